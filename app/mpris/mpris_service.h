#pragma once
// The player as the desktop's media controls see it (MPRIS, org.mpris.MediaPlayer2 on the session
// bus): its identity, the channel that plays, and the volume. Commands from the desktop come out as
// signals; what the player does goes in through the slots. The service knows no window, so the
// program wires it to the main window (mpris_wiring.h) and tests to whatever they like.

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

namespace zentavo {

class MprisService : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";
    static constexpr const char* kServiceName = "org.mpris.MediaPlayer2.zentavo_player";

    // desktopEntry: the .desktop file's name without ".desktop", so the desktop shows our icon.
    explicit MprisService(QString desktopEntry, QObject* parent = nullptr);
    ~MprisService() override;

    // Publishes the object and takes the bus name (with ".instance<pid>" when another player holds
    // it). False when there is no usable bus: the player then simply runs without media controls.
    bool Register(QDBusConnection connection = QDBusConnection::sessionBus());
    // The bus name taken by Register; empty before.
    QString ServiceName() const { return serviceName_; }

    QString Identity() const;
    QString DesktopEntry() const { return desktopEntry_; }
    bool Playing() const { return playing_; }
    QString PlaybackStatus() const;
    QVariantMap Metadata() const;
    double Volume() const { return volumePosition_ / 100.0; }
    // CanGoNext and CanGoPrevious: a channel of a list plays.
    bool CanStep() const { return canStep_; }

    // From the desktop: the new volume (0.0 to 1.0, clamped) becomes a slider position.
    void RequestVolume(double volume);
    void RequestPause() { emit PauseRequested(); }
    void RequestRaise() { emit RaiseRequested(); }
    // Next (1) or Previous (-1); nothing while CanStep is false.
    void RequestStep(int step)
    {
        if (canStep_)
            emit StepRequested(step);
    }

public slots:
    // From the player.
    void OnChannelStarted(const QString& name);
    void OnPlaybackStopped();
    // The title of what the channel plays now; empty when it names none. With a title, xesam:title
    // is the title and xesam:album the channel; without, xesam:title is the channel.
    void OnNowPlaying(const QString& title);
    // The programme on now, from the guide; empty when it has none. It is xesam:title (with the
    // channel as xesam:album) while the stream sends no title of its own: the stream's title wins.
    void OnProgramme(const QString& title);
    void OnVolumePositionChanged(int position);
    void OnCanStepChanged(bool canStep);

signals:
    // To the player: run the Pause command; move the volume slider to 0..100; show the window.
    void PauseRequested();
    void VolumeRequested(int position);
    void RaiseRequested();
    // To the player: the next (1) or previous (-1) channel of its list.
    void StepRequested(int step);

private:
    void NotifyPlayerChanged(const QVariantMap& changed);

    QString desktopEntry_;
    QString serviceName_;
    QDBusConnection connection_;
    bool playing_ = false;
    QString title_;
    QString nowPlaying_;
    QString programme_;
    quint64 trackNumber_ = 0;
    int volumePosition_ = 100; // the slider starts at full volume
    bool canStep_ = false;
};

} // namespace zentavo
