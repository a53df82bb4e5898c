#pragma once
// The "Guides" part of Manage playlists: the guides the player reads (files and addresses, the
// user's own and those named by a playlist) with their state and last update; Add (a file or an
// address), Refresh (all guides, with progress and Cancel) and Remove. A refresh that replaced the
// guide says so through the refresh's Finished; the panel only shows its outcome.

#include "guide/guide_refresh.h"

#include <QGroupBox>
#include <functional>

class QPushButton;
class QTreeWidget;

namespace zentavo {

class GuideSourcesPanel : public QGroupBox {
    Q_OBJECT
public:
    // The refresh must outlive the panel; its settings name the list of sources.
    GuideSourcesPanel(GuideRefresh& refresh, std::filesystem::path sourcesFile, QWidget* parent = nullptr);

    // Lists the sources as the file holds them now.
    void Reload();

private:
    void AddFile();
    void AddAddress();
    void Add(const QString& address);
    void RefreshAll();
    void RemoveSelected();
    void UpdateButtons();

    GuideRefresh& refresh_;
    GuideSourceList sources_;
    QTreeWidget* table_;
    QPushButton* refreshButton_;
    QPushButton* removeButton_;
};

} // namespace zentavo
