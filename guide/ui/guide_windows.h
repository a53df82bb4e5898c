#pragma once
// The guide's part of the windows: the "now on" column of the four channel lists, "Guide channel..."
// in their popup menus, "Guide..." in the lists' Channels menu, the guide window, and the programme
// on now on the channel that plays. One guide store, opened here, serves them all on the window
// thread. Connected to the main window by ConnectGuideToMainWindow (guide_wiring.h).

#include "guide_clock.h"

#include "guide/guide_store.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <array>
#include <functional>
#include <memory>

class QNetworkAccessManager;
class QWidget;

namespace zentavo {

class GuideForm;
class GuideRefresh;
struct GuideRefreshSettings;
class NowNextColumn;
class PlayingProgramme;
class TListForm;

class GuideWindows : public QObject {
    Q_OBJECT
public:
    // Opens the guide at those paths; a guide file that cannot be read is reported in words by the
    // windows that need it (OpenError) and the lists go without the column.
    GuideWindows(GuidePaths paths, GuideClock clock, QObject* parent = nullptr);
    ~GuideWindows() override;

    // Adds the column and the commands to the list window (which must outlive this object).
    void AttachLists(TListForm& lists);
    // Opens the guide window over `over` with the channels of the TV and radio lists.
    GuideForm* ShowGuide(QWidget* over);
    // "Guide channel..." for the channel selected in the lists.
    void ChooseGuideChannel(const QString& id, const QString& caption, QWidget* over);
    // After a reading replaced the guide: everything shown asks again.
    void GuideChanged();

    // The guide's sources: a Guides part in the lists' Manage playlists, the guides named by the
    // playlists the lists add, and RefreshQuietly. The settings are asked for when first needed (the
    // folders are known once the program runs).
    void EnableSources(std::function<GuideRefreshSettings()> settings);
    // A playlist was added, read again or removed: its sources become the guides it names now (as
    // the playlist store keeps them), and the guide is read again in the background when that
    // brought a new source, or when a playlist that names guides was added (its channels are new).
    void FollowPlaylist(const QString& key, bool added);
    // Reads the guides again without a word when one is older than a day; the old guide stays
    // when that fails. Returns at once.
    void RefreshQuietly();
    GuideRefresh* Refresh();

    GuideStore* Store() const { return store_.get(); }
    PlayingProgramme* Playing() const { return playing_.get(); }
    GuideForm* Form() const;
    const QString& OpenError() const { return openError_; }

signals:
    // Play a channel chosen in the guide window (its id and caption).
    void PlayChannelRequested(const QString& id, const QString& name);
    // The lists' "Guide..." closed the list window and asks for the guide over the main window.
    void GuideRequested();

private:
    void ShowColumns();
    void ReloadShown();
    // Reads every guide again in the background, now or once the refresh under way is done.
    void ReadAgainSoon();

    GuideClock clock_;
    std::unique_ptr<GuideStore> store_;
    QString openError_;
    std::unique_ptr<PlayingProgramme> playing_;
    QPointer<TListForm> lists_;
    std::array<QPointer<NowNextColumn>, 4> columns_{};
    QPointer<GuideForm> form_;
    std::function<GuideRefreshSettings()> sourceSettings_;
    QNetworkAccessManager* network_ = nullptr;
    GuideRefresh* refresh_ = nullptr;
    bool readAgain_ = false; // a reading was asked for while a refresh ran
};

} // namespace zentavo
