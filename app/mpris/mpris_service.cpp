#include "mpris_service.h"

#include "mpris_player_adaptor.h"
#include "mpris_root_adaptor.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>

#include <algorithm>
#include <cmath>

namespace zentavo {
namespace {

constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";
constexpr const char* kNoTrack = "/org/mpris/MediaPlayer2/TrackList/NoTrack";

} // namespace

MprisService::MprisService(QString desktopEntry, QObject* parent)
    : QObject(parent), desktopEntry_(std::move(desktopEntry)), connection_(QString())
{
    // Adaptors are children of the object they export; QtDBus finds them there.
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
}

MprisService::~MprisService()
{
    if (!serviceName_.isEmpty()) {
        connection_.unregisterObject(QString::fromLatin1(kObjectPath));
        connection_.unregisterService(serviceName_);
    }
}

bool MprisService::Register(QDBusConnection connection)
{
    if (!connection.isConnected() || !serviceName_.isEmpty())
        return false;
    if (!connection.registerObject(QString::fromLatin1(kObjectPath), this, QDBusConnection::ExportAdaptors))
        return false;
    QString name = QString::fromLatin1(kServiceName);
    if (!connection.registerService(name)) {
        // Another instance holds the plain name; MPRIS's ".instance<pid>" suffix tells them apart.
        name += QStringLiteral(".instance") + QString::number(QCoreApplication::applicationPid());
        if (!connection.registerService(name)) {
            connection.unregisterObject(QString::fromLatin1(kObjectPath));
            return false;
        }
    }
    connection_ = connection;
    serviceName_ = name;
    return true;
}

QString MprisService::Identity() const
{
    return QStringLiteral("Zentavo Player");
}

QString MprisService::PlaybackStatus() const
{
    return playing_ ? QStringLiteral("Playing") : QStringLiteral("Stopped");
}

QVariantMap MprisService::Metadata() const
{
    QVariantMap metadata;
    if (!playing_) {
        metadata.insert(QStringLiteral("mpris:trackid"),
                        QVariant::fromValue(QDBusObjectPath(QString::fromLatin1(kNoTrack))));
        return metadata;
    }
    metadata.insert(QStringLiteral("mpris:trackid"),
                    QVariant::fromValue(
                        QDBusObjectPath(QStringLiteral("/org/zentavo/Player/Play/") + QString::number(trackNumber_))));
    // The stream's own title first, then the guide's programme, else the channel alone.
    const QString& playingTitle = nowPlaying_.isEmpty() ? programme_ : nowPlaying_;
    if (playingTitle.isEmpty()) {
        metadata.insert(QStringLiteral("xesam:title"), title_);
    } else {
        metadata.insert(QStringLiteral("xesam:title"), playingTitle);
        metadata.insert(QStringLiteral("xesam:album"), title_);
    }
    return metadata;
}

void MprisService::RequestVolume(double volume)
{
    if (!std::isfinite(volume))
        return;
    const int position = static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * 100.0));
    // The window echoes the slider's new position through OnVolumePositionChanged; taking it here
    // too keeps the property right when the slider cannot move (no echo comes then).
    OnVolumePositionChanged(position);
    emit VolumeRequested(position);
}

void MprisService::OnChannelStarted(const QString& name)
{
    playing_ = true;
    title_ = name;
    nowPlaying_.clear();
    ++trackNumber_;
    NotifyPlayerChanged({{QStringLiteral("PlaybackStatus"), PlaybackStatus()},
                         {QStringLiteral("Metadata"), Metadata()},
                         {QStringLiteral("CanPause"), true},
                         {QStringLiteral("CanPlay"), true}});
}

void MprisService::OnPlaybackStopped()
{
    if (!playing_)
        return;
    playing_ = false;
    title_.clear();
    nowPlaying_.clear();
    NotifyPlayerChanged({{QStringLiteral("PlaybackStatus"), PlaybackStatus()},
                         {QStringLiteral("Metadata"), Metadata()},
                         {QStringLiteral("CanPause"), false},
                         {QStringLiteral("CanPlay"), false}});
}

void MprisService::OnNowPlaying(const QString& title)
{
    if (!playing_ || title == nowPlaying_)
        return;
    nowPlaying_ = title;
    NotifyPlayerChanged({{QStringLiteral("Metadata"), Metadata()}});
}

void MprisService::OnProgramme(const QString& title)
{
    if (title == programme_)
        return;
    programme_ = title;
    if (playing_)
        NotifyPlayerChanged({{QStringLiteral("Metadata"), Metadata()}});
}

void MprisService::OnVolumePositionChanged(int position)
{
    position = std::clamp(position, 0, 100);
    if (position == volumePosition_)
        return;
    volumePosition_ = position;
    NotifyPlayerChanged({{QStringLiteral("Volume"), Volume()}});
}

void MprisService::OnCanStepChanged(bool canStep)
{
    if (canStep == canStep_)
        return;
    canStep_ = canStep;
    NotifyPlayerChanged({{QStringLiteral("CanGoNext"), canStep_}, {QStringLiteral("CanGoPrevious"), canStep_}});
}

void MprisService::NotifyPlayerChanged(const QVariantMap& changed)
{
    if (serviceName_.isEmpty())
        return;
    // QtDBus does not announce property changes itself; the desktop listens for this signal.
    QDBusMessage signal =
        QDBusMessage::createSignal(QString::fromLatin1(kObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(kPlayerInterface) << changed << QStringList();
    connection_.send(signal);
}

} // namespace zentavo
