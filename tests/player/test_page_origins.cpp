// Who may use the host's schemes, and what a play may reach, in the real web engine: each page has
// an origin of its own, and only our pages are answered by the relay, the address probe and the
// media gateway; a frame of an opaque origin inside our page is refused, as are web pages. A public
// channel's page reaches nothing on this machine, by itself or through the host; a local channel's
// may.

#include "player/contract/page_plays.h"
#include "player/contract/private_addresses.h"
#include "player/contract/redirect_guard.h"
#include "player/player_page.h"
#include "player/player_profile.h"
#include "player/scratch_folder.h"
#include "tests/support/media_server.h"
#include "tests/support/waits.h"

#include <QFile>
#include <QGuiApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace zentavo;
using zentavo::test::MediaServer;

namespace {

constexpr int kLoadTimeoutMs = 30000;

// Asks for an address by fetch, from the page itself or from a sandboxed inline frame (an opaque
// origin) that reports back by message; results[key] becomes "read:<text>" or "refused".
// Asks for an address with XMLHttpRequest (which, unlike fetch, takes the host's schemes), from the
// page itself or from a sandboxed inline frame (an opaque origin) that reports back by message;
// results[key] becomes "read:<text>" or "refused".
const char* const kAskingPage = R"HTML(<!DOCTYPE html>
<html><head><meta charset="utf-8"></head><body>
<script>
window.results = {};
function done(key, value) { if (!(key in results)) results[key] = value; }
window.addEventListener('message', function (e) { done(e.data.key, e.data.value); });
var askScript = 'function ask(key, target, report) {' +
  ' var x = new XMLHttpRequest(); x.open("GET", target);' +
  ' x.onload = function () { report(key, x.status === 200 ? "read:" + String(x.responseText).slice(0, 200) : "refused"); };' +
  ' x.onerror = function () { report(key, "refused"); }; x.send(); }';
eval(askScript);
function askFromFrame(key, target) {
  var f = document.createElement('iframe');
  f.setAttribute('sandbox', 'allow-scripts');
  f.srcdoc = '<script>' + askScript + '; ask(' + JSON.stringify(key) + ', ' + JSON.stringify(target) +
    ', function (k, v) { parent.postMessage({key: k, value: v}, "*"); });<\/script>';
  document.body.appendChild(f);
}
</script></body></html>
)HTML";

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QVariant Evaluate(QWebEnginePage& page, const QString& script)
{
    auto state = std::make_shared<std::pair<bool, QVariant>>();
    page.runJavaScript(script, [state](const QVariant& result) { *state = {true, result}; });
    QDeadlineTimer deadline(test::Limit(10000));
    while (!state->first && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return state->second;
}

QString Js(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace

class PageOriginsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        QVERIFY(media_.isValid());
        WriteFile(media_.filePath(QStringLiteral("data.txt")), "LOCAL-SECRET");
        WriteFile(media_.filePath(QStringLiteral("radio.mp3")), QByteArray(4096, '\0'));
        server_ = std::make_unique<MediaServer>(media_.path());
        server_->Redirect(QStringLiteral("moved.txt"), QStringLiteral("data.txt"));
        profile_ = new PlayerProfile(this);
        localPage_ = LoadAskingPage(PagePlay{{}, true});
        publicPage_ = LoadAskingPage(PagePlay{{}, false});
        QVERIFY(localPage_ && publicPage_);
    }

    void cleanupTestCase()
    {
        delete localPage_;
        delete publicPage_;
        scratch_.Clear();
    }

    void eachPageHasAnOriginOfItsOwn()
    {
        const QString local = Evaluate(*localPage_, QStringLiteral("location.origin")).toString();
        const QString other = Evaluate(*publicPage_, QStringLiteral("location.origin")).toString();
        QVERIFY2(local.startsWith(QLatin1String("zvo://")) && local.endsWith(QLatin1String(".pages")),
                 qPrintable(local));
        QVERIFY(other.startsWith(QLatin1String("zvo://")));
        QVERIFY(local != other);
    }

    // The host's schemes by who asks: our local channel's page is answered; an opaque frame inside
    // it is not, whatever it asks; the public channel's page is not led to this machine.
    void hostSchemesAnswerOurPagesOnly_data()
    {
        QTest::addColumn<QString>("asker"); // "page", "frame", "public page"
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("serverPath"); // what the server must (not) have been asked for
        QTest::addColumn<bool>("answered");
        const QString relay = RelayUrl(QStringLiteral("data.txt"));
        const QString relayMoved = RelayUrl(QStringLiteral("moved.txt"));
        const QString direct = server_->Url(QStringLiteral("data.txt")).toString();
        const QString probe = QStringLiteral("zentavo-objects:probe?id=1&url=")
            + QString::fromLatin1(QUrl::toPercentEncoding(server_->Url(QStringLiteral("data.txt")).toString()));
        const QString title = QStringLiteral("zentavo-gateway:title?id=t%1&url=")
            + QString::fromLatin1(QUrl::toPercentEncoding(server_->Url(QStringLiteral("radio.mp3")).toString()));
        const QString library = QStringLiteral("zentavo-objects:lib/hls.min.js");
        QTest::newRow("page reads through the relay") << "page" << relay << "data.txt" << true;
        QTest::newRow("page probes") << "page" << probe << "data.txt" << true;
        QTest::newRow("frame reads through the relay") << "frame" << relay << "data.txt" << false;
        QTest::newRow("frame probes") << "frame" << probe << "data.txt" << false;
        QTest::newRow("frame asks the title reader") << "frame" << title.arg(1) << "radio.mp3" << false;
        QTest::newRow("frame loads a library") << "frame" << library << "" << false;
        QTest::newRow("public page reads directly") << "public page" << direct << "data.txt" << false;
        QTest::newRow("public page reads through the relay") << "public page" << relay << "data.txt" << false;
        QTest::newRow("public page follows a redirect") << "public page" << relayMoved << "moved.txt" << false;
        QTest::newRow("public page probes") << "public page" << probe << "data.txt" << false;
        QTest::newRow("public page asks the title reader") << "public page" << title.arg(2) << "radio.mp3" << false;
    }
    void hostSchemesAnswerOurPagesOnly()
    {
        QFETCH(QString, asker);
        QFETCH(QString, target);
        QFETCH(QString, serverPath);
        QFETCH(bool, answered);
        server_->ResetCounts();
        QWebEnginePage& page = asker == QLatin1String("public page") ? *publicPage_ : *localPage_;
        const QString key = QString::fromLatin1(QTest::currentDataTag());
        if (asker == QLatin1String("frame"))
            Evaluate(page, QStringLiteral("askFromFrame(%1, %2)").arg(Js(key), Js(target)));
        else
            Evaluate(page, QStringLiteral("ask(%1, %2, done)").arg(Js(key), Js(target)));
        QString result;
        QTRY_VERIFY_WITH_TIMEOUT(
            !(result = Evaluate(page, QStringLiteral("results[%1] || ''").arg(Js(key))).toString()).isEmpty(),
            test::Limit(15000));
        // A probe answers even when it refuses, in its outcome.
        const bool reached =
            result.startsWith(QLatin1String("read:")) && !result.contains(QLatin1String("\"refused\""));
        QVERIFY2(reached == answered, qPrintable(result));
        QVERIFY2(!result.contains(QLatin1String("LOCAL-SECRET")) || answered, qPrintable(result));
        if (!answered && !serverPath.isEmpty()) {
            // Refused before any connection: the server never hears of it.
            QVERIFY(
                test::StaysFor(std::chrono::milliseconds(500), [&] { return server_->RequestCount(serverPath) == 0; }));
        }
    }

    // A public channel's stream handed to the gateway may not lead it to this machine: the session
    // fails in words instead of playing.
    void gatewayRefusesLocalSourcesOfAPublicChannel()
    {
        server_->ResetCounts();
        const QString chunk = QStringLiteral("zentavo-gateway:chunk?id=reach&n=0&url=")
            + QString::fromLatin1(QUrl::toPercentEncoding(server_->Url(QStringLiteral("radio.mp3")).toString()));
        Evaluate(*publicPage_, QStringLiteral("ask('gateway', %1, done)").arg(Js(chunk)));
        QString result;
        QTRY_VERIFY_WITH_TIMEOUT(
            !(result = Evaluate(*publicPage_, QStringLiteral("results.gateway || ''")).toString()).isEmpty(),
            test::Limit(15000));
        QVERIFY2(result.contains(QLatin1String("private network")), qPrintable(result));
        QCOMPARE(server_->RequestCount(QStringLiteral("radio.mp3")), 0);
    }

    void privateHosts_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("isPrivate");
        const QList<std::pair<const char*, bool>> table{
            {"127.0.0.1", true},
            {"127.1", true},
            {"2130706433", true},
            {"0x7f.1", true},
            {"0.0.0.0", true},
            {"10.1.2.3", true},
            {"172.16.0.1", true},
            {"172.32.0.1", false},
            {"192.168.1.1", true},
            {"169.254.169.254", true},
            {"100.64.0.1", true},
            {"239.1.1.1", true},
            {"255.255.255.255", true},
            {"8.8.8.8", false},
            {"[::1]", true},
            {"::", true},
            {"[::ffff:127.0.0.1]", true},
            {"[::ffff:8.8.8.8]", false},
            {"fd00::1", true},
            {"fe80::1", true},
            {"ff02::1", true},
            {"2001:db8::1", false},
            {"localhost", true},
            {"LOCALHOST.", true},
            {"tv.localhost", true},
            {"example.org", false},
            {"localhost.example.org", false},
            {"", false},
        };
        for (const auto& [host, isPrivate] : table)
            QTest::newRow(*host ? host : "empty") << QString::fromLatin1(host) << isPrivate;
    }
    void privateHosts()
    {
        QFETCH(QString, host);
        QFETCH(bool, isPrivate);
        QCOMPARE(IsPrivateHost(host.toStdString()), isPrivate);
    }

    // What makes a channel local: its address's host, or an operator address that receives here.
    void localChannelAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("local");
        QTest::newRow("multicast group") << "udp://@239.1.1.1:1234" << true;
        QTest::newRow("any address of this machine") << "udp://@:1234" << true;
        QTest::newRow("rtp without a host") << "rtp://@:5004" << true;
        QTest::newRow("loopback IPv6") << "http://[::1]:8080/live.m3u8" << true;
        QTest::newRow("user and password before a private host") << "rtsp://u:p@192.168.0.9/cam" << true;
        QTest::newRow("public srt") << "srt://example.org:9000" << false;
        QTest::newRow("public http") << "https://example.org/live.m3u8" << false;
        QTest::newRow("http without a host") << "http:///x" << false;
    }
    void localChannelAddresses()
    {
        QFETCH(QString, address);
        QFETCH(bool, local);
        QCOMPARE(IsPrivateAddress(QUrl(address)), local);
    }

    // The host's own requests for a play follow redirects only within its reach and within the web.
    void redirectsKeepToTheReach_data()
    {
        QTest::addColumn<bool>("channelIsLocal");
        QTest::addColumn<bool>("followed");
        QTest::newRow("local channel, to this machine") << true << true;
        QTest::newRow("public channel, to this machine") << false << false;
    }
    void redirectsKeepToTheReach()
    {
        QFETCH(bool, channelIsLocal);
        QFETCH(bool, followed);
        server_->ResetCounts();
        QNetworkAccessManager network;
        QNetworkRequest request(server_->Url(QStringLiteral("moved.txt")));
        FollowSafeRedirects(request);
        std::unique_ptr<QNetworkReply> reply(network.get(request));
        FollowRedirectsWithin(reply.get(), channelIsLocal);
        QSignalSpy finished(reply.get(), &QNetworkReply::finished);
        QVERIFY(finished.wait(test::Limit(10000)));
        QCOMPARE((reply->isOpen() ? reply->readAll() : QByteArray()) == "LOCAL-SECRET", followed);
        QCOMPARE(RedirectRefused(*reply), !followed);
        QCOMPARE(server_->RequestCount(QStringLiteral("data.txt")), followed ? 1 : 0);
    }

private:
    PlayerPage* LoadAskingPage(const PagePlay& play)
    {
        auto* page = new PlayerPage(profile_, nullptr, PlayerPage::AlertDisplay::SignalOnly);
        QSignalSpy finished(page, &QWebEnginePage::loadFinished);
        page->load(profile_->UrlForFile(QString::fromStdString(scratch_.WritePage(kAskingPage).string()), play));
        if (!finished.wait(test::Limit(kLoadTimeoutMs)) || !finished.takeFirst().at(0).toBool()) {
            delete page;
            return nullptr;
        }
        return page;
    }

    QString RelayUrl(const QString& path) const
    {
        QUrl url = server_->Url(path);
        url.setScheme(QStringLiteral("zentavo-relay-http"));
        return url.toString();
    }

    QTemporaryDir media_;
    std::unique_ptr<MediaServer> server_;
    ScratchFolder scratch_;
    PlayerProfile* profile_ = nullptr;
    PlayerPage* localPage_ = nullptr;
    PlayerPage* publicPage_ = nullptr;
};

int main(int argc, char** argv)
{
    PlayerProfile::RegisterUrlSchemes(); // before the application exists
    QGuiApplication app(argc, argv);
    PageOriginsTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_page_origins.moc"
