#include "stream_info.h"

#include <QUrl>
#include <QVariantMap>

#include <cmath>

namespace zentavo {
namespace {

constexpr qsizetype kLongestText = 80;

QString PlainField(const QVariantMap& map, const char* key)
{
    QString text = map.value(QLatin1String(key)).toString().left(kLongestText);
    for (QChar& c : text) {
        if (!c.isPrint())
            c = QLatin1Char(' ');
    }
    return text.simplified();
}

// A whole number within [1, most]; 0 for anything else.
qint64 CountField(const QVariantMap& map, const char* key, qint64 most)
{
    bool ok = false;
    const double value = map.value(QLatin1String(key)).toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 1 || value > double(most))
        return 0;
    return static_cast<qint64>(std::llround(value));
}

QString Line(const char* name, const QString& value)
{
    return QString::fromLatin1(name).leftJustified(16, QLatin1Char(' '))
        + (value.isEmpty() ? QStringLiteral("unknown") : value) + QLatin1Char('\n');
}

QString EngineWords(const QString& engine)
{
    if (engine == QLatin1String("native"))
        return QStringLiteral("played by the web engine's own player");
    if (engine == QLatin1String("hls"))
        return QStringLiteral("HLS playlist, played by hls.js");
    if (engine == QLatin1String("mpegts"))
        return QStringLiteral("live stream, played by mpegts.js");
    if (engine == QLatin1String("dash"))
        return QStringLiteral("DASH manifest, played by dash.js");
    if (engine == QLatin1String("gateway"))
        return QStringLiteral("played through the media gateway (FFmpeg)");
    return {};
}

QString Number(double value)
{
    return QString::number(value, 'f', value == std::floor(value) ? 0 : 2);
}

QString BitRateWords(qint64 bitsPerSecond)
{
    if (bitsPerSecond <= 0)
        return {};
    if (bitsPerSecond >= 1'000'000)
        return QString::number(double(bitsPerSecond) / 1e6, 'f', 2) + QStringLiteral(" Mbit/s");
    return QString::number(std::llround(double(bitsPerSecond) / 1e3)) + QStringLiteral(" kbit/s");
}

QString GatewayWords(const StreamFacts& facts)
{
    if (facts.engine != QLatin1String("gateway"))
        return QStringLiteral("not used");
    if (!facts.gateway)
        return QStringLiteral("used; the source is not open yet");
    QStringList parts;
    if (facts.gateway->hasVideo)
        parts << (facts.gateway->videoCopied ? QStringLiteral("copies the video")
                                             : QStringLiteral("transcodes the video to H.264"));
    if (facts.gateway->hasAudio)
        parts << (facts.gateway->audioCopied ? QStringLiteral("copies the sound")
                                             : QStringLiteral("transcodes the sound to AAC"));
    return parts.join(QStringLiteral(", "));
}

} // namespace

std::optional<StreamFacts> StreamFactsFromPage(const QVariant& answer)
{
    if (answer.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantMap map = answer.toMap();
    StreamFacts facts;
    facts.scheme = QUrl(map.value(QStringLiteral("address")).toString()).scheme().toLower().left(kLongestText);
    facts.engine = PlainField(map, "engine");
    facts.state = PlainField(map, "state");
    facts.container = PlainField(map, "container");
    facts.videoCodec = PlainField(map, "videoCodec");
    facts.audioCodec = PlainField(map, "audioCodec");
    facts.width = int(CountField(map, "width", 100'000));
    facts.height = int(CountField(map, "height", 100'000));
    bool ok = false;
    const double rate = map.value(QStringLiteral("frameRate")).toDouble(&ok);
    facts.frameRate = ok && std::isfinite(rate) && rate > 0 && rate <= 1000 ? rate : 0;
    facts.channels = int(CountField(map, "channels", 64));
    facts.sampleRate = int(CountField(map, "sampleRate", 1'000'000));
    facts.bitRate = CountField(map, "bitRate", 100'000'000'000);
    facts.gatewaySession = PlainField(map, "gatewaySession");
    return facts;
}

QString StreamInformationText(const std::optional<StreamFacts>& facts)
{
    if (!facts)
        return QStringLiteral("Nothing plays now.\n");
    const StreamFacts& f = *facts;
    // What the gateway read from the source wins over what the page sees of the gateway's MPEG-TS.
    QString container = f.container;
    QString videoCodec = f.videoCodec;
    QString audioCodec = f.audioCodec;
    int width = f.width;
    int height = f.height;
    double frameRate = f.frameRate;
    int channels = f.channels;
    int sampleRate = f.sampleRate;
    qint64 bitRate = f.bitRate;
    if (const std::optional<SourceFacts>& g = f.gateway) {
        container = g->container;
        if (g->hasVideo) {
            videoCodec = g->videoCodec;
            width = g->width > 0 ? g->width : width;
            height = g->height > 0 ? g->height : height;
            frameRate = g->frameRate > 0 ? g->frameRate : frameRate;
        }
        if (g->hasAudio) {
            audioCodec = g->audioCodec;
            channels = g->channels > 0 ? g->channels : channels;
            sampleRate = g->sampleRate > 0 ? g->sampleRate : sampleRate;
        }
        bitRate = g->bitRate > 0 ? g->bitRate : bitRate;
    }
    const bool gatewaySaysNoVideo = f.gateway && !f.gateway->hasVideo;
    QString kind = f.scheme.isEmpty() ? QString() : f.scheme.toUpper() + QStringLiteral(" address");
    const QString engine = EngineWords(f.engine);
    if (!engine.isEmpty())
        kind += (kind.isEmpty() ? QString() : QStringLiteral(", ")) + engine;

    QString text;
    text += Line("Address kind:", kind);
    text += Line("Container:", container);
    text += Line("Video codec:", gatewaySaysNoVideo ? QStringLiteral("none") : videoCodec);
    text += Line("Video size:",
                 width > 0 && height > 0 ? QStringLiteral("%1 x %2").arg(width).arg(height)
                                         : (gatewaySaysNoVideo ? QStringLiteral("none") : QString()));
    text += Line("Frame rate:", frameRate > 0 ? Number(frameRate) + QStringLiteral(" frames a second") : QString());
    text += Line("Audio codec:", audioCodec);
    text += Line("Audio channels:", channels > 0 ? QString::number(channels) : QString());
    text += Line("Sample rate:", sampleRate > 0 ? QString::number(sampleRate) + QStringLiteral(" Hz") : QString());
    text += Line("Bit rate:", BitRateWords(bitRate));
    text += Line("Gateway:", GatewayWords(f));
    return text;
}

} // namespace zentavo
