#pragma once
// The programme on now on the channel that plays: asked of the guide when a channel starts, and
// again when that programme ends, so the main window's title and the desktop's media controls
// follow the guide while the channel plays.

#include "guide_clock.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <string>

namespace zentavo {

class GuideStore;

class PlayingProgramme : public QObject {
    Q_OBJECT
public:
    // The store must outlive it.
    PlayingProgramme(const GuideStore& store, GuideClock clock, QObject* parent = nullptr);

    // The channel with that id plays from now on.
    void Track(const QString& channelId);
    // Nothing plays.
    void Stop();
    // Asks again, after the guide changed.
    void Reload();

    const QString& Title() const { return title_; }
    const QString& Note() const { return note_; }

signals:
    // The programme on now changed: its title, and "Title (until 21:00)" for the window; both empty
    // when nothing is on or nothing plays.
    void Changed(const QString& title, const QString& note);

private:
    void Update();

    const GuideStore& store_;
    GuideClock clock_;
    std::string channelId_;
    QString title_, note_;
    QTimer timer_;
};

} // namespace zentavo
