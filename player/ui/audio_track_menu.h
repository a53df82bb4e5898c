#pragma once
// The "Audio track" menu of the main window, shown by its toolbar button and under Options: one
// checkable item a sound track of what plays (the one that plays checked), in words the stream gave
// (plain text, see AudioTrackLabel). With fewer than two tracks it holds one disabled item that
// says so, and the toolbar button is disabled.

#include "player/audio_tracks.h"

#include <QObject>

class QActionGroup;
class QMenu;
class QToolButton;

namespace zentavo {

class AudioTrackMenu : public QObject {
    Q_OBJECT
public:
    // The menu and the button belong to the window; the button opens the menu.
    AudioTrackMenu(QMenu& menu, QToolButton& button);

    void Show(const AudioTracks& tracks);

    // The words of the menu's item when it lists no tracks, for what plays and for nothing playing.
    static QString OneTrackText();
    static QString NoTracksText();

signals:
    void TrackChosen(int index);

private:
    QMenu& menu_;
    QToolButton& button_;
    QActionGroup* group_;
};

} // namespace zentavo
