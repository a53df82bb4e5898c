#pragma once
// Runs one playlist job behind a progress dialog with Cancel, keeping the window's events flowing.

#include "channels/playlists/playlist_job.h"

class QWidget;

namespace zentavo {

// Starts the job and returns when it has finished (Cancel asks it to stop and waits for it).
PlaylistJobResult& RunWithProgress(QWidget* parent, PlaylistJob& job, PlaylistJobRequest request);

// The result in a message box: the summary when done, the reason when failed; nothing when cancelled.
void ShowJobResult(QWidget* parent, const PlaylistJobResult& result, const QString& title);

} // namespace zentavo
