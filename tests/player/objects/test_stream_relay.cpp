// The relay addresses through which player pages read what a server without CORS consent serves.

#include "player/objects/stream_relay.h"

#include <QTest>

using namespace zentavo;

class StreamRelayTest : public QObject {
    Q_OBJECT

private slots:
    void realAddress_data();
    void realAddress();
};

void StreamRelayTest::realAddress_data()
{
    QTest::addColumn<QString>("relay");
    QTest::addColumn<QString>("real");
    QTest::newRow("http with port, path and query") << "zentavo-relay-http://127.0.0.1:8080/live/index.m3u8?token=a%20b"
                                                    << "http://127.0.0.1:8080/live/index.m3u8?token=a%20b";
    QTest::newRow("https") << "zentavo-relay-https://cdn.example/seg1.ts"
                           << "https://cdn.example/seg1.ts";
    QTest::newRow("fragment dropped") << "zentavo-relay-http://a.example/x.ts#t=1"
                                      << "http://a.example/x.ts";
    QTest::newRow("library scheme is no relay") << "zentavo-objects:lib/hls.js"
                                                << "";
    QTest::newRow("file is no relay") << "file:///etc/passwd"
                                      << "";
    QTest::newRow("no host") << "zentavo-relay-http:///etc/passwd"
                             << "";
}

void StreamRelayTest::realAddress()
{
    QFETCH(QString, relay);
    QFETCH(QString, real);
    QCOMPARE(StreamRelay::RealAddress(QUrl(relay)).toString(QUrl::FullyEncoded), real);
}

QTEST_GUILESS_MAIN(StreamRelayTest)
#include "test_stream_relay.moc"
