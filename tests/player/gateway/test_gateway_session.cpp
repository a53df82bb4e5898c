// The gateway's sessions against real servers on 127.0.0.1: what each source becomes (checked by
// reading the MPEG-TS back with FFmpeg), the bounded buffer against a reader that does not read, the
// failures in words, and that ending a session leaves no thread or file descriptor behind.

#include "player/gateway/gateway_error.h"
#include "player/gateway/gateway_session.h"
#include "player/gateway/input_attempts.h"
#include "player/gateway/stream_plan.h"
#include "tests/support/media_server.h"
#include "tests/support/server_process.h"
#include "tests/support/stream_servers.h"
#include "tests/support/test_media.h"
#include "tests/support/waits.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <memory>
#include <sys/resource.h>

using namespace zentavo;
using namespace zentavo::test;

namespace {

int CountEntries(const char* folder)
{
    return static_cast<int>(QDir(QLatin1String(folder)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size());
}

// Reads the session's stream until it ends or timeoutMs passes.
QByteArray ReadAll(StreamBuffer& buffer, int timeoutMs)
{
    QByteArray bytes;
    QElapsedTimer clock;
    clock.start();
    char chunk[65536];
    while (!buffer.AtEnd() && clock.elapsed() < timeoutMs) {
        const size_t count = buffer.Read(chunk, sizeof chunk);
        if (count > 0)
            bytes.append(chunk, static_cast<qsizetype>(count));
        else
            QTest::qWait(5);
    }
    return bytes;
}

// "h264+aac 20.0": the codecs of an MPEG-TS file and its length in seconds, as FFmpeg reads them.
QString Describe(const QString& path)
{
    AVFormatContext* context = nullptr;
    if (avformat_open_input(&context, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return QStringLiteral("unreadable");
    avformat_find_stream_info(context, nullptr);
    QStringList codecs;
    for (unsigned i = 0; i < context->nb_streams; ++i)
        codecs << QLatin1String(avcodec_get_name(context->streams[i]->codecpar->codec_id));
    codecs.sort();
    const QString name = QLatin1String(context->iformat->name);
    const double seconds = context->duration > 0 ? double(context->duration) / AV_TIME_BASE : 0;
    avformat_close_input(&context);
    return name + QLatin1Char(' ') + codecs.join(QLatin1Char('+')) + QLatin1Char(' ')
        + QString::number(seconds, 'f', 0);
}

// The span of presentation times in an MPEG-TS stream, in seconds: the last PES packet's time less
// the first one's, over all its streams (0 when it holds fewer than two).
double MediaSeconds(const QByteArray& stream)
{
    constexpr qsizetype kPacket = 188;
    int64_t first = -1;
    int64_t last = -1;
    for (qsizetype at = 0; at + kPacket <= stream.size(); at += kPacket) {
        const auto* packet = reinterpret_cast<const uint8_t*>(stream.constData() + at);
        if (packet[0] != 0x47 || !(packet[1] & 0x40) || !(packet[3] & 0x10))
            continue; // not the start of a PES packet with a payload
        int payload = 4;
        if (packet[3] & 0x20)
            payload += 1 + packet[4];
        if (payload + 14 > kPacket)
            continue;
        const uint8_t* pes = packet + payload;
        if (pes[0] != 0 || pes[1] != 0 || pes[2] != 1 || !(pes[7] & 0x80))
            continue; // no presentation time
        const uint8_t* t = pes + 9;
        const int64_t pts = (int64_t(t[0] & 0x0e) << 29) | (int64_t(t[1]) << 22) | (int64_t(t[2] & 0xfe) << 14)
            | (int64_t(t[3]) << 7) | (t[4] >> 1);
        first = first < 0 ? pts : std::min(first, pts);
        last = std::max(last, pts);
    }
    return first < 0 ? 0 : double(last - first) / 90000.0;
}

// Tests that read a whole file do not wait for it to play.
constexpr std::chrono::hours kUnpaced{1};

} // namespace

class GatewaySessionTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void streamsAreCopiedOrTranscoded_data();
    void streamsAreCopiedOrTranscoded();
    void addressesAreOpenedInTheirWays_data();
    void addressesAreOpenedInTheirWays();
    void channelHeadersBecomeFfmpegOptionsForHttpOnly();
    void operatorAddressesThatCannotBeReceivedAreRefused_data();
    void operatorAddressesThatCannotBeReceivedAreRefused();
    void sourcesBecomeMpegTsThePageDecodes_data();
    void sourcesBecomeMpegTsThePageDecodes();
    void failuresAreToldInWords_data();
    void failuresAreToldInWords();
    void slowReaderNeverMakesTheGatewayHoldMore();
    void theChosenSoundTrackPlays_data();
    void theChosenSoundTrackPlays();
    void fileRunsNoFurtherAheadOfPlayingThanItsLead();
    void pacedFileEndsWithoutFailure();
    void liveStreamIsNotPaced();
    void operatorSourceThatFallsSilentEndsAtTheGatewaysLimit_data();
    void operatorSourceThatFallsSilentEndsAtTheGatewaysLimit();
    void endingSessionsLeavesNoThreadOrDescriptor();

private:
    QTemporaryDir media_;
    std::unique_ptr<MediaServer> server_;
    QTcpServer silent_; // accepts connections and never answers
    QUdpSocket takenUdp_; // holds a UDP port on 127.0.0.1
    QList<QTcpSocket*> held_;
};

void GatewaySessionTest::initTestCase()
{
    QVERIFY(media_.isValid());
    TestMedia::Generate(media_.path());
    TestMedia::GenerateAudioTracks(media_.path());
    // A login page where the stream should be.
    WriteTextFile(media_.path(), QStringLiteral("login.html"),
                  QStringLiteral("<html><body>Log in</body></html>\n").repeated(50));
    // A source whose clock starts again, as a looped file or a restarted encoder sends it: the same
    // MPEG-TS twice in a row.
    QFile once(QDir(media_.path()).filePath(QLatin1String(TestMedia::kMpegTs)));
    QFile twice(QDir(media_.path()).filePath(QStringLiteral("looped.ts")));
    QVERIFY(once.open(QIODevice::ReadOnly) && twice.open(QIODevice::WriteOnly));
    const QByteArray bytes = once.readAll();
    twice.write(bytes + bytes);
    twice.close();
    // HLS whose second segment starts the clock again, marked as a discontinuity (an advert put in).
    WriteTextFile(media_.path(), QStringLiteral("discontinuity.m3u8"),
                  QStringLiteral("#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:20\n#EXT-X-MEDIA-SEQUENCE:0\n"
                                 "#EXTINF:20.0,\n%1\n#EXT-X-DISCONTINUITY\n#EXTINF:20.0,\n%1\n#EXT-X-ENDLIST\n")
                      .arg(QLatin1String(TestMedia::kMpegTs)));
    // x264's usual output in AVI: B-frames, and packets without presentation times.
    try {
        RunFfmpeg(media_.path(),
                  {QStringLiteral("-i"), QLatin1String(TestMedia::kMp4), QStringLiteral("-t"), QStringLiteral("5"),
                   QStringLiteral("-vf"), QStringLiteral("scale=320:-2"), QStringLiteral("-c:v"),
                   QStringLiteral("libx264"), QStringLiteral("-bf"), QStringLiteral("2"), QStringLiteral("-c:a"),
                   QStringLiteral("libmp3lame"), QStringLiteral("-f"), QStringLiteral("avi"),
                   QStringLiteral("bframes.avi")});
    } catch (const std::exception& error) {
        QFAIL(error.what());
    }
    // A file that plays for 7 s: paced, its end comes soon.
    try {
        RunFfmpeg(media_.path(),
                  {QStringLiteral("-i"), QLatin1String(TestMedia::kMpegTs), QStringLiteral("-t"), QStringLiteral("7"),
                   QStringLiteral("-c"), QStringLiteral("copy"), QStringLiteral("-f"), QStringLiteral("mpegts"),
                   QStringLiteral("short.ts")});
    } catch (const std::exception& error) {
        QFAIL(error.what());
    }
    server_ = std::make_unique<MediaServer>(media_.path());
    QVERIFY(silent_.listen(QHostAddress::LocalHost));
    QVERIFY(takenUdp_.bind(QHostAddress::LocalHost, 0));
    connect(&silent_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = silent_.nextPendingConnection())
            held_.append(socket);
    });
}

void GatewaySessionTest::streamsAreCopiedOrTranscoded_data()
{
    QTest::addColumn<bool>("video");
    QTest::addColumn<int>("codec");
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("copied");
    QTest::newRow("H.264 4:2:0") << true << int(AV_CODEC_ID_H264) << int(AV_PIX_FMT_YUV420P) << true;
    QTest::newRow("H.264 High 10") << true << int(AV_CODEC_ID_H264) << int(AV_PIX_FMT_YUV420P10LE) << false;
    QTest::newRow("H.264 4:4:4") << true << int(AV_CODEC_ID_H264) << int(AV_PIX_FMT_YUV444P) << false;
    QTest::newRow("HEVC") << true << int(AV_CODEC_ID_HEVC) << int(AV_PIX_FMT_YUV420P) << false;
    QTest::newRow("MPEG-2 video") << true << int(AV_CODEC_ID_MPEG2VIDEO) << int(AV_PIX_FMT_YUV420P) << false;
    QTest::newRow("WMV 8") << true << int(AV_CODEC_ID_WMV2) << int(AV_PIX_FMT_YUV420P) << false;
    QTest::newRow("RealVideo 2") << true << int(AV_CODEC_ID_RV20) << int(AV_PIX_FMT_YUV420P) << false;
    QTest::newRow("AAC") << false << int(AV_CODEC_ID_AAC) << 0 << true;
    QTest::newRow("MP3") << false << int(AV_CODEC_ID_MP3) << 0 << true;
    QTest::newRow("MP2") << false << int(AV_CODEC_ID_MP2) << 0 << false;
    QTest::newRow("AC-3") << false << int(AV_CODEC_ID_AC3) << 0 << false;
    QTest::newRow("WMA 2") << false << int(AV_CODEC_ID_WMAV2) << 0 << false;
    QTest::newRow("cook") << false << int(AV_CODEC_ID_COOK) << 0 << false;
}

void GatewaySessionTest::streamsAreCopiedOrTranscoded()
{
    QFETCH(bool, video);
    QFETCH(int, codec);
    QFETCH(int, format);
    QFETCH(bool, copied);
    const StreamAction action = video ? VideoAction(static_cast<AVCodecID>(codec), static_cast<AVPixelFormat>(format))
                                      : AudioAction(static_cast<AVCodecID>(codec));
    QCOMPARE(action == StreamAction::Copy, copied);
}

void GatewaySessionTest::addressesAreOpenedInTheirWays_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("attempts"); // url [name=value ...] | ...
    QTest::newRow("mms: tries MMS over TCP, then over HTTP") << "mms://host/live"
                                                             << "mmst://host/live | mmsh://host/live";
    QTest::newRow("MMS: in capitals") << "MMS://host/live"
                                      << "mmst://host/live | mmsh://host/live";
    QTest::newRow("rtsp: asks for TCP first") << "rtsp://host/a"
                                              << "rtsp://host/a rtsp_transport=tcp | rtsp://host/a";
    QTest::newRow("http: read as a live stream") << "http://host/a.wmv"
                                                 << "http://host/a.wmv seekable=0 icy=1";
    QTest::newRow("rtmp: live or recorded") << "rtmp://host/live/x"
                                            << "rtmp://host/live/x rtmp_live=any";
    QTest::newRow("mmsh: as it is") << "mmsh://host/live"
                                    << "mmsh://host/live";
    // Operators' addresses are written anew: the gateway's buffers, and only the options it takes.
    const QString udp = QStringLiteral(" buffer_size=2097152 fifo_size=44620 overrun_nonfatal=1");
    QTest::newRow("udp: a group, with @") << "udp://@239.1.1.1:1234" << QStringLiteral("udp://239.1.1.1:1234") + udp;
    QTest::newRow("udp: @ and a unicast address: the one to receive on")
        << "udp://@127.0.0.1:1234"
        << QStringLiteral("udp://127.0.0.1:1234") + udp + QStringLiteral(" localaddr=127.0.0.1");
    QTest::newRow("udp: a unicast address without @: any address")
        << "UDP://10.0.0.5:1234/" << QStringLiteral("udp://10.0.0.5:1234") + udp;
    QTest::newRow("udp: any address") << "udp://@:1234" << QStringLiteral("udp://:1234") + udp;
    QTest::newRow("udp: an IPv6 group") << "udp://@[ff15::1]:1234" << QStringLiteral("udp://[ff15::1]:1234") + udp;
    QTest::newRow("udp: one sender; the options it takes pass, the others are left out")
        << "udp://10.0.0.9@232.1.1.1:1234?localaddr=10.0.0.2&fifo_size=1&buffer_size=1&localport=1&reuse=0#x"
        << QStringLiteral("udp://232.1.1.1:1234") + udp + QStringLiteral(" sources=10.0.0.9 localaddr=10.0.0.2");
    QTest::newRow("udp: senders to hear and to block")
        << "udp://@232.1.1.1:1234?sources=10.0.0.1,10.0.0.2&block=10.0.0.3"
        << QStringLiteral("udp://232.1.1.1:1234") + udp + QStringLiteral(" sources=10.0.0.1,10.0.0.2 block=10.0.0.3");
    QTest::newRow("rtp: a group, with @") << "rtp://@239.1.1.1:5000?write_to_source=1&fec=prompeg"
                                          << "rtp://239.1.1.1:5000 buffer_size=2097152";
    QTest::newRow("rtp: one sender, in its address") << "rtp://10.0.0.9@232.1.1.1:5000"
                                                     << "rtp://232.1.1.1:5000?sources=10.0.0.9 buffer_size=2097152";
    QTest::newRow("srt: called, with SRT's own latency") << "srt://host:9000"
                                                         << "srt://host:9000 mode=caller latency=120000 "
                                                            "connect_timeout=60000";
    QTest::newRow("srt: latency in ms, passphrase and stream id pass, the rest is left out")
        << "srt://host:9000?mode=caller&latency=500&passphrase=0123456789&streamid=live%2Fx&transtype=file&maxbw=1"
        << "srt://host:9000 mode=caller latency=500000 connect_timeout=60000 passphrase=0123456789 streamid=live/x";
    QTest::newRow("srt: latency in microseconds, as FFmpeg writes it") << "srt://host:9000?latency=2000000"
                                                                       << "srt://host:9000 mode=caller "
                                                                          "latency=2000000 connect_timeout=60000";
}

void GatewaySessionTest::operatorAddressesThatCannotBeReceivedAreRefused_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("words");
    const QString noPort = QStringLiteral("Cannot play: the address names no port (udp://address:port).");
    const QString badPort = QStringLiteral("Cannot play: the port of this address is not a number from 1 to 65535.");
    const QString badValue = QStringLiteral(" has a value that the player does not take.");
    QTest::newRow("no port") << "udp://@239.1.1.1" << noPort;
    QTest::newRow("no port after the colon") << "udp://@239.1.1.1:/" << noPort;
    QTest::newRow("port 0") << "udp://@239.1.1.1:0" << badPort;
    QTest::newRow("port above 65535") << "rtp://@239.1.1.1:65536" << badPort;
    QTest::newRow("port with letters") << "udp://@239.1.1.1:12ab" << badPort;
    QTest::newRow("no slashes") << "udp:@239.1.1.1:1234"
                                << "Cannot play: the address does not say where to receive (udp://address:port).";
    QTest::newRow("a host that is no host") << "udp://@evil%20host:1234"
                                            << "Cannot play: the address names no valid host.";
    QTest::newRow("a sender that is no address")
        << "udp://me;id@239.1.1.1:1234"
        << "Cannot play: the sender named before the \"@\" is not an IP address.";
    QTest::newRow("a group as the address to receive on")
        << "udp://@239.1.1.1:1234?localaddr=239.1.1.2"
        << QStringLiteral("Cannot play: the address's option localaddr") + badValue;
    QTest::newRow("senders that are no addresses")
        << "udp://@239.1.1.1:1234?sources=/etc/passwd"
        << QStringLiteral("Cannot play: the address's option sources") + badValue;
    QTest::newRow("srt: no server to call") << "srt://:9000"
                                            << "Cannot play: the address names no server to call (srt://server:port).";
    QTest::newRow("srt: the player asked to wait for the sender")
        << "srt://0.0.0.0:9000?mode=listener"
        << "Cannot play: the address asks the player to wait for the sender (mode=listener); the player calls SRT "
           "servers only.";
    QTest::newRow("srt: latency that is no number")
        << "srt://host:9000?latency=1e9" << QStringLiteral("Cannot play: the address's option latency") + badValue;
    QTest::newRow("srt: latency of hours") << "srt://host:9000?latency=999999999"
                                           << QStringLiteral("Cannot play: the address's option latency") + badValue;
    QTest::newRow("srt: passphrase SRT does not take")
        << "srt://host:9000?passphrase=short"
        << QStringLiteral("Cannot play: the address's option passphrase") + badValue;
    QTest::newRow("srt: stream id with a line end")
        << "srt://host:9000?streamid=a%0Ab" << QStringLiteral("Cannot play: the address's option streamid") + badValue;
}

void GatewaySessionTest::operatorAddressesThatCannotBeReceivedAreRefused()
{
    QFETCH(QString, address);
    QFETCH(QString, words);
    try {
        InputAttempts(address.toStdString());
        QFAIL("the address was taken");
    } catch (const GatewayError& error) {
        QCOMPARE(QString::fromUtf8(error.what()), words);
        QCOMPARE(QString::fromStdString(error.Kind()), QStringLiteral("protocol"));
    }
}

void GatewaySessionTest::channelHeadersBecomeFfmpegOptionsForHttpOnly()
{
    const RequestHeaders headers{
        {"User-Agent", "Agent/1"}, {"Referer", "https://r/"}, {"Cookie", "a=1"}, {"X-Token", "t"}};
    const std::vector<InputAttempt> http = InputAttempts("https://host/live.m3u8", headers);
    QCOMPARE(http.size(), size_t(1));
    const std::vector<std::pair<std::string, std::string>> expected{{"seekable", "0"},
                                                                    {"icy", "1"},
                                                                    {"user_agent", "Agent/1"},
                                                                    {"referer", "https://r/"},
                                                                    {"headers", "Cookie: a=1\r\nX-Token: t\r\n"}};
    QVERIFY(http.front().options == expected);
    // Other protocols have no such headers: their ways stay as they are.
    for (const char* address : {"rtsp://host/a", "rtmp://host/live/x", "mms://host/live"}) {
        std::vector<std::pair<std::string, std::string>> with, without;
        for (const InputAttempt& attempt : InputAttempts(address, headers))
            with.insert(with.end(), attempt.options.begin(), attempt.options.end());
        for (const InputAttempt& attempt : InputAttempts(address))
            without.insert(without.end(), attempt.options.begin(), attempt.options.end());
        QVERIFY2(with == without, address);
    }
}

void GatewaySessionTest::addressesAreOpenedInTheirWays()
{
    QFETCH(QString, address);
    QFETCH(QString, attempts);
    QStringList described;
    for (const InputAttempt& attempt : InputAttempts(address.toStdString())) {
        QString text = QString::fromStdString(attempt.url);
        for (const auto& [name, value] : attempt.options)
            text += QStringLiteral(" %1=%2").arg(QString::fromStdString(name), QString::fromStdString(value));
        described << text;
    }
    QCOMPARE(described.join(QStringLiteral(" | ")), attempts);
}

void GatewaySessionTest::sourcesBecomeMpegTsThePageDecodes_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("title"); // the container's title, told as what plays
    const QString none;
    QTest::newRow("ASF with WMV 8 and WMA 2: transcoded")
        << TestMedia::kWmv << "mpegts aac+h264 3" << QString::fromLatin1(TestMedia::kWmvTitle);
    QTest::newRow("RealMedia with RealVideo 2 and AC-3: transcoded")
        << TestMedia::kRealMedia << "mpegts aac+h264 20" << none;
    QTest::newRow("MPEG-TS with HEVC and AAC: video transcoded") << TestMedia::kHevcTs << "mpegts aac+h264 20" << none;
    QTest::newRow("MPEG-TS with MPEG-2 and MP2: transcoded") << TestMedia::kMpeg2Ts << "mpegts aac+h264 20" << none;
    QTest::newRow("MPEG-TS with H.264 and AAC: copied") << TestMedia::kMpegTs << "mpegts aac+h264 20" << none;
    QTest::newRow("MP4 with H.264 and AAC: copied") << TestMedia::kMp4 << "mpegts aac+h264 20" << none;
    QTest::newRow("MP3 alone: copied") << TestMedia::kMp3 << "mpegts mp3 20" << none;
    QTest::newRow("MPEG-TS whose clock starts again: copied, its times going on") << "looped.ts"
                                                                                  << "mpegts aac+h264 40" << none;
    QTest::newRow("HLS with a discontinuity: copied, its times going on") << "discontinuity.m3u8"
                                                                          << "mpegts aac+h264 40" << none;
    QTest::newRow("AVI with H.264 B-frames: copied, its times made") << "bframes.avi"
                                                                     << "mpegts h264+mp3 5" << none;
}

void GatewaySessionTest::sourcesBecomeMpegTsThePageDecodes()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QFETCH(QString, title);
    auto buffer = std::make_shared<StreamBuffer>(GatewaySession::kBufferBytes);
    GatewaySession session(server_->Url(path).toString().toStdString(), buffer, GatewaySession::kNetworkTimeout, {},
                           kUnpaced);
    const QByteArray stream = ReadAll(*buffer, 60000);
    QCOMPARE(session.Title(), title);
    QVERIFY2(buffer->AtEnd(), "the stream did not end");
    QCOMPARE(QString::fromStdString(buffer->Error()), QString());
    QVERIFY(stream.size() > 188 && stream.at(0) == 0x47); // MPEG-TS packets
    const QString file = QDir(media_.path()).filePath(QStringLiteral("out.ts"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(stream);
    out.close();
    QCOMPARE(Describe(file), expected);
}

void GatewaySessionTest::failuresAreToldInWords_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("words");
    QTest::newRow("nothing listens") << MediaServer::RefusedUrl(QStringLiteral("live.wmv")).toString() << "refused"
                                     << "Cannot play: the server refused the connection.";
    QTest::newRow("mms: where neither MMS way listens") << "mms://127.0.0.1:1/live"
                                                        << "refused"
                                                        << "Cannot play: the server refused the connection.";
    QTest::newRow("no such protocol") << "xyz://127.0.0.1/live"
                                      << "protocol"
                                      << "Cannot play: the xyz: protocol of this address is not supported.";
    QTest::newRow("a local file") << QDir(media_.path()).filePath(QLatin1String(TestMedia::kMp4)) << "protocol"
                                  << "Cannot play: this is not the address of a network stream.";
    QTest::newRow("a local file by its address")
        << QUrl::fromLocalFile(QDir(media_.path()).filePath(QLatin1String(TestMedia::kMp4))).toString() << "protocol"
        << "Cannot play: the file: protocol of this address is not supported.";
    QTest::newRow("404") << server_->Url(QStringLiteral("missing.wmv")).toString() << "notfound"
                         << "Cannot play: the server has no stream at this address (not found).";
    QTest::newRow("a web page, not media") << server_->Url(QStringLiteral("login.html")).toString() << "format"
                                           << "Cannot play: the format of this stream is not recognised.";
    QTest::newRow("accepts and never answers (RTSP)")
        << QStringLiteral("rtsp://127.0.0.1:%1/live").arg(silent_.serverPort()) << "timeout"
        << "Cannot play: the server gave no answer within 2 seconds.";
    QTest::newRow("accepts and never answers (HTTP)")
        << QStringLiteral("http://127.0.0.1:%1/live").arg(silent_.serverPort()) << "timeout"
        << "Cannot play: the server gave no answer within 2 seconds.";
    QTest::newRow("nothing comes to a udp address")
        << QStringLiteral("udp://@127.0.0.1:%1").arg(FreeLocalPort()) << "timeout"
        << "Cannot play: no data has come from the stream for 2 seconds.";
    QTest::newRow("nothing comes in RTP") << QStringLiteral("rtp://127.0.0.1:%1").arg(FreeLocalPort()) << "timeout"
                                          << "Cannot play: no data has come from the stream for 2 seconds.";
    QTest::newRow("no SRT server answers") << QStringLiteral("srt://127.0.0.1:%1").arg(FreeLocalPort()) << "timeout"
                                           << "Cannot play: the server gave no answer within 2 seconds.";
    QTest::newRow("another program receives on the port")
        << QStringLiteral("udp://127.0.0.1:%1").arg(takenUdp_.localPort()) << "error"
        << "Cannot play: another program already receives on the port of this address.";
}

void GatewaySessionTest::failuresAreToldInWords()
{
    QFETCH(QString, address);
    QFETCH(QString, kind);
    QFETCH(QString, words);
    auto buffer = std::make_shared<StreamBuffer>(GatewaySession::kBufferBytes);
    QElapsedTimer clock;
    clock.start();
    GatewaySession session(address.toStdString(), buffer, std::chrono::seconds(2));
    QTRY_VERIFY_WITH_TIMEOUT(buffer->Finished(), test::Limit(10000));
    QVERIFY2(clock.elapsed() < 4000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(QString::fromStdString(buffer->Error()), words);
    QCOMPARE(QString::fromStdString(session.FailureKind()), kind);
    QCOMPARE(buffer->Available(), size_t(0));
}

void GatewaySessionTest::slowReaderNeverMakesTheGatewayHoldMore()
{
    auto buffer = std::make_shared<StreamBuffer>(256 * 1024);
    GatewaySession session(server_->Url(QLatin1String(TestMedia::kMpeg2Ts)).toString().toStdString(), buffer,
                           GatewaySession::kNetworkTimeout, {}, kUnpaced);
    QTRY_COMPARE_WITH_TIMEOUT(buffer->Available(), buffer->Capacity(), test::Limit(20000));
    // The worker waits, holding no more, for as long as nobody reads.
    QVERIFY(test::StaysFor(std::chrono::milliseconds(1000),
                           [&buffer] { return buffer->Available() == buffer->Capacity() && !buffer->Finished(); }));
    // Reading on lets it go on.
    const QByteArray rest = ReadAll(*buffer, 60000);
    QVERIFY(buffer->AtEnd());
    QVERIFY(rest.size() > qsizetype(buffer->Capacity()));
}

void GatewaySessionTest::theChosenSoundTrackPlays_data()
{
    QTest::addColumn<int>("asked"); // the page's track number, -1 for none
    QTest::addColumn<int>("plays"); // -1: FFmpeg's pick, whichever it is
    QTest::newRow("the second") << 1 << 1;
    QTest::newRow("the first") << 0 << 0;
    QTest::newRow("none asked for") << -1 << -1;
    QTest::newRow("one the source lacks") << 5 << -1;
}

void GatewaySessionTest::theChosenSoundTrackPlays()
{
    QFETCH(int, asked);
    QFETCH(int, plays);
    auto buffer = std::make_shared<StreamBuffer>(GatewaySession::kBufferBytes);
    GatewaySession session(server_->Url(QLatin1String(TestMedia::kTwoAudioTs)).toString().toStdString(), buffer,
                           GatewaySession::kNetworkTimeout, {}, GatewaySession::kPlayingLead, asked);
    QTRY_VERIFY_WITH_TIMEOUT(session.Facts().has_value(), test::Limit(20000));
    const SourceFacts facts = *session.Facts();
    QCOMPARE(facts.audioTracks.size(), 2);
    QCOMPARE(facts.audioTracks[0].language, QStringLiteral("eng"));
    QCOMPARE(facts.audioTracks[1].language, QStringLiteral("fra"));
    if (plays >= 0)
        QCOMPARE(facts.audioTrack, plays);
    else
        QVERIFY(facts.audioTrack == 0 || facts.audioTrack == 1);
    // One sound stream goes to the page, whichever plays.
    QTRY_VERIFY_WITH_TIMEOUT(buffer->Available() > 64 * 1024, test::Limit(20000));
    QByteArray head(qsizetype(buffer->Available()), Qt::Uninitialized);
    head.truncate(qsizetype(buffer->Read(head.data(), size_t(head.size()))));
    QTemporaryDir dir;
    QFile out(dir.filePath(QStringLiteral("head.ts")));
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(head);
    out.close();
    QVERIFY2(Describe(out.fileName()).startsWith(QStringLiteral("mpegts aac+h264 ")),
             qPrintable(Describe(out.fileName())));
}

void GatewaySessionTest::fileRunsNoFurtherAheadOfPlayingThanItsLead()
{
    // A file (it has a length) that the gateway copies, far faster than it plays when unpaced.
    auto buffer = std::make_shared<StreamBuffer>(GatewaySession::kBufferBytes);
    GatewaySession session(server_->Url(QLatin1String(TestMedia::kMpegTs)).toString().toStdString(), buffer);
    QTRY_VERIFY_WITH_TIMEOUT(buffer->Available() > 0, test::Limit(20000));
    QElapsedTimer clock;
    clock.start();
    QByteArray stream;
    char chunk[65536];
    // Read as it comes: at no time does the output hold more than the time since it started, the
    // lead and a second's slack (one packet's wait, the first packet found late on a busy machine).
    const double lead = std::chrono::duration<double>(GatewaySession::kPlayingLead).count();
    const auto withinLead = [&] {
        while (const size_t count = buffer->Read(chunk, sizeof chunk))
            stream.append(chunk, static_cast<qsizetype>(count));
        return MediaSeconds(stream) < double(clock.elapsed()) / 1000.0 + lead + 1.0;
    };
    QVERIFY2(test::StaysFor(std::chrono::milliseconds(3000), withinLead),
             qPrintable(QStringLiteral("%1 s of media after %2 ms").arg(MediaSeconds(stream)).arg(clock.elapsed())));
    // The lead itself came at once, and the file goes on.
    QVERIFY2(MediaSeconds(stream) > lead - 1.0, qPrintable(QString::number(MediaSeconds(stream))));
    QVERIFY(!buffer->Finished());
    // Stopped while it waits for its time, it ends at once.
    clock.restart();
    buffer->Close();
    QTRY_VERIFY_WITH_TIMEOUT(buffer->Finished(), test::Limit(5000));
    QVERIFY2(clock.elapsed() < test::Limit(2000), qPrintable(QString::number(clock.elapsed())));
}

void GatewaySessionTest::pacedFileEndsWithoutFailure()
{
    // It came no faster than it plays, as a live stream does, yet its end is the file's end, not a
    // stream that broke off.
    auto buffer = std::make_shared<StreamBuffer>(GatewaySession::kBufferBytes);
    GatewaySession session(server_->Url(QStringLiteral("short.ts")).toString().toStdString(), buffer);
    const QByteArray stream = ReadAll(*buffer, test::Limit(30000));
    QVERIFY2(buffer->AtEnd(), "the stream did not end");
    QCOMPARE(QString::fromStdString(buffer->Error()), QString());
    QCOMPARE(QString::fromStdString(session.FailureKind()), QString());
    QVERIFY2(MediaSeconds(stream) > 5.0, qPrintable(QString::number(MediaSeconds(stream))));
}

void GatewaySessionTest::operatorSourceThatFallsSilentEndsAtTheGatewaysLimit_data()
{
    QTest::addColumn<int>("protocol");
    QTest::addColumn<QString>("address"); // %1: the port
    QTest::newRow("udp") << int(OperatorProtocol::Udp) << QStringLiteral("udp://@127.0.0.1:%1");
    // FFmpeg's RTP reader would give up after 10 s of its own.
    QTest::newRow("rtp") << int(OperatorProtocol::Rtp) << QStringLiteral("rtp://@127.0.0.1:%1");
}

void GatewaySessionTest::operatorSourceThatFallsSilentEndsAtTheGatewaysLimit()
{
    QFETCH(int, protocol);
    QFETCH(QString, address);
    constexpr std::chrono::seconds kLimit{12};
    const quint16 port = FreeLocalPort();
    const SharedFolder shared;
    std::unique_ptr<ServerProcess> sender;
    try {
        sender = StartOperatorSender(static_cast<OperatorProtocol>(protocol),
                                     shared.Add(QDir(media_.path()).filePath(QLatin1String(TestMedia::kMpegTs))), port);
    } catch (const std::exception& error) {
        QFAIL(error.what());
    }
    auto buffer = std::make_shared<StreamBuffer>(GatewaySession::kBufferBytes);
    GatewaySession session(address.arg(port).toStdString(), buffer, kLimit);
    QByteArray played;
    QTRY_VERIFY_WITH_TIMEOUT((played += ReadAll(*buffer, 100)).size() > 100000, test::Limit(20000));
    sender->Stop();
    QElapsedTimer clock;
    clock.start();
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    QTRY_VERIFY_WITH_TIMEOUT((ReadAll(*buffer, 100), buffer->Finished()), test::Limit(30000));
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    const double processor =
        seconds(after.ru_utime) - seconds(before.ru_utime) + seconds(after.ru_stime) - seconds(before.ru_stime);
    QVERIFY2(clock.elapsed() > 11000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(QString::fromStdString(buffer->Error()),
             QStringLiteral("Cannot play: no data has come from the stream for 12 seconds."));
    QCOMPARE(QString::fromStdString(session.FailureKind()), QStringLiteral("timeout"));
    // Waiting for the source costs next to nothing: no loop that asks again and again.
    QVERIFY2(processor < 2.0, qPrintable(QString::number(processor)));
}

void GatewaySessionTest::liveStreamIsNotPaced()
{
    // Served with no length, as a live server sends: all of it comes at once, and goes out as it
    // comes, further ahead of playing than a paced source may ever be.
    const QString live = QStringLiteral("live-stream.ts");
    QVERIFY(QFile::copy(QDir(media_.path()).filePath(QLatin1String(TestMedia::kMpegTs)),
                        QDir(media_.path()).filePath(live)));
    server_->GoSilentAfter(live, QFileInfo(QDir(media_.path()).filePath(live)).size());
    auto buffer = std::make_shared<StreamBuffer>(GatewaySession::kBufferBytes);
    GatewaySession session(server_->Url(live).toString().toStdString(), buffer);
    QTRY_VERIFY_WITH_TIMEOUT(buffer->Available() > 0, test::Limit(20000));
    QElapsedTimer clock;
    clock.start();
    QByteArray stream;
    char chunk[65536];
    const double lead = std::chrono::duration<double>(GatewaySession::kPlayingLead).count();
    const auto beyondLead = [&] {
        while (const size_t count = buffer->Read(chunk, sizeof chunk))
            stream.append(chunk, static_cast<qsizetype>(count));
        return MediaSeconds(stream) > double(clock.elapsed()) / 1000.0 + lead + 1.0;
    };
    QVERIFY2(QTest::qWaitFor(beyondLead, test::Limit(10000)),
             qPrintable(QStringLiteral("%1 s of media after %2 ms").arg(MediaSeconds(stream)).arg(clock.elapsed())));
}

void GatewaySessionTest::endingSessionsLeavesNoThreadOrDescriptor()
{
    QTest::qWait(200);
    const int descriptors = CountEntries("/proc/self/fd");
    const int threads = CountEntries("/proc/self/task");
    {
        // One that plays (transcoding, so decoder and encoder threads run), one that waits for a
        // server that never answers, one that waits for a reader.
        auto playing = std::make_shared<StreamBuffer>(GatewaySession::kBufferBytes);
        auto waiting = std::make_shared<StreamBuffer>(GatewaySession::kBufferBytes);
        auto full = std::make_shared<StreamBuffer>(64 * 1024);
        GatewaySession a(server_->Url(QLatin1String(TestMedia::kMpeg2Ts)).toString().toStdString(), playing);
        GatewaySession b(QStringLiteral("rtsp://127.0.0.1:%1/live").arg(silent_.serverPort()).toStdString(), waiting);
        GatewaySession c(server_->Url(QLatin1String(TestMedia::kMp4)).toString().toStdString(), full,
                         GatewaySession::kNetworkTimeout, {}, kUnpaced);
        QTRY_VERIFY_WITH_TIMEOUT(playing->Available() > 0, test::Limit(20000));
        QTRY_COMPARE_WITH_TIMEOUT(full->Available(), full->Capacity(), test::Limit(20000));
        QVERIFY(CountEntries("/proc/self/task") > threads + 3);
        QVERIFY(CountEntries("/proc/self/fd") > descriptors);
        // The reader went away: the session stops writing at once, not at the end of the stream
        // (the file would take many seconds more to transcode).
        QElapsedTimer clock;
        clock.start();
        playing->Close();
        QTRY_VERIFY_WITH_TIMEOUT(playing->Finished(), test::Limit(5000));
        QVERIFY2(clock.elapsed() < test::Limit(2000), qPrintable(QString::number(clock.elapsed())));
    }
    // The server's side of the connections closes in its own event loop.
    QTRY_COMPARE_WITH_TIMEOUT(CountEntries("/proc/self/task"), threads, test::Limit(5000));
    QTRY_COMPARE_WITH_TIMEOUT(CountEntries("/proc/self/fd"), descriptors, test::Limit(5000));
}

QTEST_GUILESS_MAIN(GatewaySessionTest)

#include "test_gateway_session.moc"
