#include "audio_track_menu.h"

#include <QActionGroup>
#include <QMenu>
#include <QToolButton>

namespace zentavo {

AudioTrackMenu::AudioTrackMenu(QMenu& menu, QToolButton& button)
    : QObject(&menu), menu_(menu), button_(button), group_(new QActionGroup(this))
{
    group_->setExclusive(true);
    button_.setMenu(&menu_);
    button_.setPopupMode(QToolButton::InstantPopup);
    Show({});
}

QString AudioTrackMenu::OneTrackText()
{
    return QStringLiteral("This stream has one audio track");
}

QString AudioTrackMenu::NoTracksText()
{
    return QStringLiteral("No audio tracks");
}

void AudioTrackMenu::Show(const AudioTracks& tracks)
{
    for (QAction* action : group_->actions()) {
        group_->removeAction(action);
        delete action;
    }
    menu_.clear();
    const bool choice = tracks.tracks.size() >= 2;
    if (!choice) {
        QAction* note = menu_.addAction(tracks.tracks.isEmpty() ? NoTracksText() : OneTrackText());
        note->setEnabled(false);
    }
    for (int i = 0; choice && i < tracks.tracks.size(); ++i) {
        // The words come from the stream: an ampersand in them is no mnemonic.
        const QString label = AudioTrackLabel(tracks.tracks[i], i);
        QAction* item = new QAction(
            QStringLiteral("&%1 ").arg(i + 1) + QString(label).replace(QLatin1Char('&'), QStringLiteral("&&")), group_);
        item->setObjectName(QStringLiteral("AudioTrack%1").arg(i + 1));
        item->setCheckable(true);
        item->setChecked(i == tracks.current);
        item->setToolTip(label);
        menu_.addAction(item);
        connect(item, &QAction::triggered, this, [this, i] { emit TrackChosen(i); });
    }
    button_.setEnabled(choice);
    const QString tip =
        choice ? QStringLiteral("Audio track") : QStringLiteral("Audio track: ") + menu_.actions().first()->text();
    button_.setToolTip(tip);
    // What plays, for assistive technology; the button's name stays "Audio track".
    const bool known = choice && tracks.current >= 0;
    button_.setAccessibleDescription(known ? AudioTrackLabel(tracks.tracks[tracks.current], tracks.current) : tip);
}

} // namespace zentavo
