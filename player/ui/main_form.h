#pragma once
// The main window: the browser area that shows the start page or a player page, the player toolbar,
// the snapshot bar, the loading indicator and the menus. Playback preparation, the page bridge,
// the settings store and the browser launcher are classes of their own that the handlers call.

#include "channels/ui/channel_tab.h"
#include "player/channel_playback.h"
#include "player/played_pages.h"
#include "player/player_page.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <filesystem>
#include <memory>

namespace Ui {
class TMainForm;
}

class QDialog;
class QShortcut;
class QWebEnginePage;
class QWebEngineFullScreenRequest;

namespace zentavo {

struct AppContext;
class BrowserLauncher;
class FullScreenMode;
class ErrorReporter;
class OptionStore;
class PageBridge;
class PlayerProfile;
class ScratchFolder;
class TListForm;

// What the main window needs from the rest of the program.
struct MainFormServices {
    OptionStore& options;
    const ErrorReporter& errors;
    BrowserLauncher& browser;
    // The web engine profile the player pages run in; it outlives the window.
    PlayerProfile& profile;
    // Where the player pages of this process are written; it outlives the window.
    ScratchFolder& scratch;
    QString appFolder; // the executable's folder with a trailing '/', set as AppFolder on first show
    PlayerPage::AlertDisplay pageAlerts = PlayerPage::AlertDisplay::Dialog;
};

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    TMainForm(AppContext& context, MainFormServices services, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The channel list window that the Channels menu opens and whose video size choice playback reads.
    void SetListForm(TListForm* listForm);
    // The start-up splash, destroyed when the main window is first shown.
    void SetSplashForm(QWidget* splash);
    // The preferences dialog that Options > Preferences... opens.
    void SetPreferenceForm(QDialog* preferences);

    bool SnapshotMode() const { return snapshotMode_; }
    bool SoundOn() const { return soundOn_; }
    int CurrentMediaKind() const { return currentMediaKind_; }
    bool FirstActivationPending() const { return firstActivationPending_; }
    bool ShowChannelsAtStartup() const;
    void SetShowChannelsAtStartup(bool on);
    bool PlayerFillsScreen() const;
    PlayerPage* Page() const;

    // A proposed size is accepted only when its width is more than 350 pixels.
    static bool FormCanResize(const QSize& proposed);

public slots:
    // Plays CurrentChannelId under CurrentChannelName.
    void PlayChannel();
    // Plays the channel with that id: the play requests of the channel list window carry it.
    void PlayChannelById(const QString& id, const QString& name);
    void SetVolumePosition(int position);

    void FormShow();
    void FormActivate();
    void Exit1Click();

    void LoadSettings();
    void SaveSettings();
    void SetPlayerControlsEnabled(bool enabled);

    void V1Click();
    void Radio1Click();
    void Webcam1Click();
    void MyFavorites1Click();
    void AddthischanneltoMyFavorites1Click();
    // The user's own playlists, kept by the channel list window.
    void AddPlaylist1Click();
    void ManagePlaylists1Click();
    void Showcontrol1Click();
    void alwaysontop1Click();
    void ShowChannelswindowwhenstartup1Click();
    void Preferences1Click();
    void Homepage1Click();
    void About1Click();

    void btn_playClick();
    void btn_stopClick();
    void btn_fullClick();
    void btn_muteClick();
    void JvTrackBar1Change(int position);
    void BitBtn1Click();
    void CheckBox1Click();
    void JvSpinEdit1Change(int seconds);
    void Timer1Timer();
    void Timer2Timer();

signals:
    void ChannelStarted(const QString& name);
    void PlaybackStopped();
    // The title of what the playing channel plays now ("Artist - Song"); empty when it names none.
    void NowPlayingChanged(const QString& title);
    void VolumePositionChanged(int position);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormClose();
    void PlaceIntervalBox();
    void ShowStartPage();
    void KeepStartPage();
    void ShowPlay(const ChannelPlay& play, const QString& name);
    void ShowPlayerPage(const std::filesystem::path& file);
    void RestartLoadingIndicator();
    void SetMuteImage(int imageIndex);
    void OpenChannelList(ChannelTab tab);
    void FullScreenRequested(bool on);
    void PageFullScreenRequested(QWebEngineFullScreenRequest request);
    void LeaveFullScreen();

    std::unique_ptr<Ui::TMainForm> ui;
    AppContext& context_;
    MainFormServices services_;
    std::unique_ptr<PlayerPage> page_;
    std::unique_ptr<PageBridge> bridge_;
    QPointer<TListForm> listForm_;
    QPointer<QWidget> splash_;
    QPointer<QDialog> preferences_;
    QTimer Timer1;
    QTimer Timer2;
    QShortcut* escape_ = nullptr;
    ChannelPlayback playback_;
    PlayedPages playedPages_;
    QUrl startPage_; // the start page last asked for, until a player page is
    int startPageTries_ = 0;

    bool firstShowDone_ = false;
    bool firstActivationPending_ = false;
    bool loadingSettings_ = false;
    bool settingsRetryWaits_ = false;
    bool soundOn_ = true; // the sound state the page has confirmed
    bool soundWanted_ = true; // the sound state the last mute click asked for
    bool snapshotMode_ = false;
    int currentMediaKind_ = 0;
    std::unique_ptr<FullScreenMode> fullScreen_;
};

} // namespace zentavo
