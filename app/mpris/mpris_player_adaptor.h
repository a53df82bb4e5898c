#pragma once
// org.mpris.MediaPlayer2.Player: what plays, pause, the volume, and next and previous. A channel
// is a live stream: no seeking, and "pause" unloads it, so Pause, Stop and PlayPause all run the
// player's Pause command. Next and Previous step through the list the channel was played from.

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QVariantMap>

namespace zentavo {

class MprisService;

class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(double Rate READ Rate WRITE SetRate)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(double MinimumRate READ Rate)
    Q_PROPERTY(double MaximumRate READ Rate)
    Q_PROPERTY(bool CanGoNext READ CanStep)
    Q_PROPERTY(bool CanGoPrevious READ CanStep)
    Q_PROPERTY(bool CanPlay READ Playing)
    Q_PROPERTY(bool CanPause READ Playing)
    Q_PROPERTY(bool CanSeek READ No)
    Q_PROPERTY(bool CanControl READ Yes)
public:
    explicit MprisPlayerAdaptor(MprisService* service);

    QString PlaybackStatus() const;
    double Rate() const { return 1.0; }
    void SetRate(double) {}
    QVariantMap Metadata() const;
    double Volume() const;
    void SetVolume(double volume);
    qlonglong Position() const { return 0; }
    bool Playing() const;
    bool CanStep() const;
    bool No() const { return false; }
    bool Yes() const { return true; }

public slots:
    void Pause();
    void PlayPause();
    void Stop();
    // Nothing to resume: the paused channel was unloaded. Play while playing changes nothing.
    void Play() {}
    void Next();
    void Previous();
    void Seek(qlonglong) {}
    void SetPosition(const QDBusObjectPath&, qlonglong) {}
    void OpenUri(const QString&) {}

signals:
    void Seeked(qlonglong position);

private:
    MprisService* service_;
};

} // namespace zentavo
