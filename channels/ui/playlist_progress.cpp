#include "playlist_progress.h"

#include "plain_text.h"

#include <QEventLoop>
#include <QProgressDialog>

namespace zentavo {

PlaylistJobResult& RunWithProgress(QWidget* parent, PlaylistJob& job, PlaylistJobRequest request)
{
    QProgressDialog progress(parent);
    progress.setObjectName(QStringLiteral("PlaylistProgress"));
    progress.setWindowTitle(QStringLiteral("Playlists"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.setMinimumDuration(0);
    progress.setRange(0, 0);
    progress.setMinimumWidth(320);
    QEventLoop loop;
    const auto progressConnection = QObject::connect(
        &job, &PlaylistJob::Progress, &progress, [&progress](const QString& stage, qint64 done, qint64 total) {
            progress.setLabelText(stage);
            // Kilobytes keep the largest download within an int.
            progress.setRange(0, total > 0 ? static_cast<int>(total / 1024) + 1 : 0);
            if (total > 0)
                progress.setValue(static_cast<int>(done / 1024));
        });
    const auto finishedConnection = QObject::connect(&job, &PlaylistJob::Finished, &loop, &QEventLoop::quit);
    QObject::connect(&progress, &QProgressDialog::canceled, &job, [&job, &progress] {
        // The import stops before it writes anything; the dialog stays until it has.
        progress.setLabelText(QStringLiteral("Cancelling..."));
        progress.show();
        job.Cancel();
    });
    progress.show();
    job.Start(std::move(request));
    if (job.Running())
        loop.exec();
    QObject::disconnect(progressConnection);
    QObject::disconnect(finishedConnection);
    return job.Result();
}

void ShowJobResult(QWidget* parent, const PlaylistJobResult& result, const QString& title)
{
    switch (result.outcome) {
    case PlaylistJobResult::Outcome::Cancelled:
        return;
    case PlaylistJobResult::Outcome::Done: {
        if (result.message.isEmpty())
            return;
        PlainMessageBox box(QMessageBox::Information, title, result.message, QMessageBox::Ok, parent);
        box.setObjectName(QStringLiteral("PlaylistSummary"));
        box.exec();
        return;
    }
    case PlaylistJobResult::Outcome::Kept: // nothing changed, for the reason given
    case PlaylistJobResult::Outcome::Failed: {
        PlainMessageBox box(QMessageBox::Warning, title, result.message, QMessageBox::Ok, parent);
        box.setObjectName(QStringLiteral("PlaylistFailure"));
        box.exec();
        return;
    }
    }
}

} // namespace zentavo
