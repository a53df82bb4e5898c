#pragma once
// The guide window (Channels > Guide...): the grid of the lists' channels and their programmes, a
// search field and a group filter that narrow the channels as the lists' do, a search of programme titles over all
// days whose hits lead to their place in the grid, and the selected programme's details. Enter or a
// double click on a channel plays it.

#include "guide_clock.h"

#include "channels/list_row.h"
#include "guide/guide_types.h"

#include <QDialog>
#include <string>
#include <unordered_map>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace zentavo {

class GroupChoice;
class GuideGrid;
class GuideStore;

class GuideForm : public QDialog {
    Q_OBJECT
public:
    // The store must outlive the window.
    GuideForm(GuideStore& store, GuideClock clock, QWidget* parent = nullptr);
    ~GuideForm() override;

    // The channels of the lists, in their order; the search field and the group filter narrow them.
    // The group chosen stays chosen while the new rows have it.
    void SetChannels(std::vector<ListRow> rows);
    // After the guide changed: programmes and title hits are asked for anew.
    void Reload();

    GuideGrid* Grid() const { return grid_; }

signals:
    // The channel chosen to play (its id and caption), as the channel list window asks.
    void PlayChannelRequested(const QString& id, const QString& name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyChannelFilter();
    void SearchTitles();
    void GoToHit(int hitIndex);
    void ShowDetails();
    void Play(int gridRow);

    GuideStore& store_;
    QLineEdit* channelSearch_;
    GroupChoice* groupChoice_;
    QLineEdit* titleSearch_;
    QPushButton* nowButton_;
    GuideGrid* grid_;
    QListWidget* hits_;
    QLabel* details_;
    std::vector<ListRow> rows_;
    std::vector<std::string> foldedCaptions_;
    std::vector<GuideTitleHit> titleHits_;
    // Guide channel id -> the first channel of the lists that shows it; built at the first hit used.
    std::unordered_map<std::string, std::string> listKeyOfGuideChannel_;
    bool guideKeysKnown_ = false;
};

} // namespace zentavo
