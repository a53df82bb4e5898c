#pragma once
// "Manage playlists": the playlists the user added (name, source, channels, last update) with
// Refresh and Remove. Each change runs as a playlist job behind a progress dialog; the lists it
// leaves are handed on through ListsChanged. A Refresh whose new reading does not look like the
// playlist (no playlist by its content, or most channels gone) asks before it replaces the channels.

#include "channels/playlists/playlist_job.h"

#include <QDialog>
#include <functional>

class QPushButton;
class QTreeWidget;

namespace zentavo {

class PlaylistsDialog : public QDialog {
    Q_OBJECT
public:
    // makeRequest gives a request with the paths and the passphrase filled in.
    PlaylistsDialog(PlaylistJob& job, std::function<PlaylistJobRequest()> makeRequest, QWidget* parent = nullptr);

    // Lists the playlists as the folder holds them now.
    void Reload();
    // Adds a part of another subsystem's (the programme guide's sources) below the playlists.
    void AddPart(QWidget* part);

signals:
    // The job finished a change: its Result() holds the new rows.
    void ListsChanged();

private:
    void Run(PlaylistJobRequest::Kind kind);
    // Whether the user wants the channels replaced all the same; why says what is wrong with the reading.
    bool AskToReplace(const QString& why);
    void UpdateButtons();

    PlaylistJob& job_;
    std::function<PlaylistJobRequest()> makeRequest_;
    QTreeWidget* table_ = nullptr;
    QPushButton* refresh_ = nullptr;
    QPushButton* remove_ = nullptr;
};

} // namespace zentavo
