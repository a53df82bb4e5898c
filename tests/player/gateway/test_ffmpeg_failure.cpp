// What the user reads when FFmpeg fails: the kind the page maps onto its error codes, and the words.
#include "player/contract/host_names.h"
#include "player/gateway/ffmpeg_failure.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <QTest>

#include <cerrno>

using namespace zentavo;

class FfmpegFailureTest : public QObject {
    Q_OBJECT

private slots:
    void errorsAreToldInWords_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<bool>("timedOut");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("words");
        using namespace failure_kinds;
        const auto row = [](const char* name, int error, const char* scheme, bool timedOut, const char* kind,
                            const char* words) {
            QTest::newRow(name) << error << QString::fromLatin1(scheme) << timedOut << QString::fromLatin1(kind)
                                << QString::fromLatin1(words);
        };
        row("interrupted by the time limit", AVERROR_EXIT, "rtsp", true, kTimeout,
            "Cannot play: the server gave no answer within 15 seconds.");
        row("the time limit wins over what the interruption looked like", AVERROR_EOF, "http", true, kTimeout,
            "Cannot play: the server gave no answer within 15 seconds.");
        row("timed out by the system", AVERROR(ETIMEDOUT), "mmsh", false, kTimeout,
            "Cannot play: the server gave no answer within 15 seconds.");
        row("nothing came to a udp: address", AVERROR_EXIT, "udp", true, kTimeout,
            "Cannot play: no data has come from the stream for 15 seconds.");
        row("nothing came to an rtp: address", AVERROR(ETIMEDOUT), "rtp", false, kTimeout,
            "Cannot play: no data has come from the stream for 15 seconds.");
        row("an srt: server that does not answer", AVERROR_EXIT, "srt", true, kTimeout,
            "Cannot play: the server gave no answer within 15 seconds.");
        row("port taken by another receiver", AVERROR(EADDRINUSE), "udp", false, kError,
            "Cannot play: another program already receives on the port of this address.");
        row("unknown protocol", AVERROR_PROTOCOL_NOT_FOUND, "pnm", false, kProtocol,
            "Cannot play: the pnm: protocol of this address is not supported.");
        row("no scheme at all", AVERROR_PROTOCOL_NOT_FOUND, "", false, kProtocol,
            "Cannot play: this is not the address of a network stream.");
        row("refused", AVERROR(ECONNREFUSED), "rtsp", false, kRefused,
            "Cannot play: the server refused the connection.");
        row("not found", AVERROR_HTTP_NOT_FOUND, "http", false, kNotFound,
            "Cannot play: the server has no stream at this address (not found).");
        row("forbidden", AVERROR_HTTP_FORBIDDEN, "http", false, kHttp, "Cannot play: the server refused the request.");
        row("server error", AVERROR_HTTP_SERVER_ERROR, "https", false, kHttp,
            "Cannot play: the server reported an error.");
        row("not a stream", AVERROR_INVALIDDATA, "http", false, kFormat,
            "Cannot play: the format of this stream is not recognised.");
        row("reset", AVERROR(ECONNRESET), "rtmp", false, kClosed, "Cannot play: the server closed the connection.");
        row("ended before anything came", AVERROR_EOF, "http", false, kClosed,
            "Cannot play: the server closed the connection.");
        row("anything else names the step", AVERROR(ENOMEM), "http", false, kError,
            "Cannot play this stream: reading the stream failed (Cannot allocate memory).");
    }

    void errorsAreToldInWords()
    {
        QFETCH(int, error);
        QFETCH(QString, scheme);
        QFETCH(bool, timedOut);
        QFETCH(QString, kind);
        QFETCH(QString, words);
        const GatewayError failure = FfmpegFailure(error, "reading the stream", scheme.toStdString(),
                                                   std::chrono::milliseconds(14500), timedOut);
        QCOMPARE(QString::fromStdString(failure.Kind()), kind);
        QCOMPARE(QString::fromUtf8(failure.what()), words);
    }
};

QTEST_GUILESS_MAIN(FfmpegFailureTest)
#include "test_ffmpeg_failure.moc"
