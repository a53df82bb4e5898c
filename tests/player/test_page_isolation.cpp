// Player pages in the real web engine: served as HTML under our scheme, reaching remote http but no
// local file, no resource of the program and no other page file; no windows; hostile addresses stay
// inert; the template scripts drive their objects; alerts, full screen and refresh reach the host.

#include "channels/app_context.h"
#include "player/navigation_policy.h"
#include "player/page_address.h"
#include "player/page_generation.h"
#include "player/page_scheme_handler.h"
#include "player/player_page.h"
#include "player/player_profile.h"
#include "player/scratch_folder.h"
#include "tests/support/media_server.h"
#include "tests/support/waits.h"

#include <QFile>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineHistory>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineUrlRequestInterceptor>

#include <memory>

using namespace zentavo;
using zentavo::test::MediaServer;

namespace {

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

constexpr int kLoadTimeoutMs = 30000;

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

// Runs script in the page's main world and waits for its result.
QVariant Evaluate(QWebEnginePage& page, const QString& script)
{
    auto state = std::make_shared<std::pair<bool, QVariant>>();
    page.runJavaScript(script, [state](const QVariant& result) { *state = {true, result}; });
    QDeadlineTimer deadline(10000);
    while (!state->first && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return state->second;
}

bool Load(QWebEnginePage& page, const QUrl& url)
{
    QSignalSpy finished(&page, &QWebEnginePage::loadFinished);
    page.load(url);
    if (!finished.wait(kLoadTimeoutMs))
        return false;
    return finished.takeFirst().at(0).toBool();
}

// Records (and refuses) what a bare profile's pages request from the web.
class RecordingInterceptor : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        if (info.requestUrl().scheme().startsWith(QLatin1String("http"))) {
            requested << info.requestUrl().toString();
            info.block(true);
        }
    }
    QStringList requested;
};

// Stand-ins for the Real object's methods, recording each call: the template's own script is under test.
const char* const kRecordingObjects = R"JS(
window.zentavoPlayers = {real: true};
window.calls = [];
window.rmaCode = 0;
['setSource', 'SetFullScreen', 'DoPlayPause', 'DoPlay', 'DoStop', 'SetVolume', 'SetMute',
 'SetEnableContextMenu', 'SetWantErrors'].forEach(function (name) {
  HTMLObjectElement.prototype[name] = function () {
    window.calls.push(name + '(' + Array.prototype.join.call(arguments, ',') + ')');
  };
});
HTMLObjectElement.prototype.GetLastErrorRMACode = function () { return window.rmaCode; };
)JS";

const char* const kProbePage = R"HTML(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>probe</title></head><body>
<script>
window.results = {};
function done(key, value) { if (!(key in results)) results[key] = value; }
function probe(key, kind, target) {
  try {
    if (kind === 'fetch') {
      fetch(target).then(function (r) { return r.text(); })
        .then(function (t) { done(key, 'read:' + t.slice(0, 40)); }, function () { done(key, 'refused'); });
    } else if (kind === 'xhr') {
      var x = new XMLHttpRequest();
      x.open('GET', target);
      x.onload = function () { done(key, 'read:' + String(x.responseText).slice(0, 40)); };
      x.onerror = function () { done(key, 'refused'); };
      x.send();
    } else if (kind === 'img') {
      var i = new Image();
      i.onload = function () { done(key, 'loaded'); };
      i.onerror = function () { done(key, 'refused'); };
      i.src = target;
    } else if (kind === 'video') {
      var v = document.createElement('video');
      v.onloadedmetadata = function () { done(key, 'loaded'); };
      v.onerror = function () { done(key, 'refused'); };
      v.src = target;
      document.body.appendChild(v);
    } else if (kind === 'iframe') {
      var f = document.createElement('iframe');
      f.onload = function () {
        var text = '';
        try { text = f.contentDocument ? f.contentDocument.documentElement.innerText : ''; } catch (e) {}
        if (text) done(key, 'read:' + text.slice(0, 40));
      };
      f.src = target;
      document.body.appendChild(f);
      setTimeout(function () { done(key, 'unreadable'); }, 3000);
    }
  } catch (e) {
    done(key, 'refused');
  }
}
</script></body></html>
)HTML";

// The channel name at every kind of place a template can give it, and the address in a
// single-quoted string and attribute.
// The play of a channel whose address is on this machine, as the test server's are.
const PagePlay kLocalChannel{{}, true};
const QString kBareHost = QStringLiteral("bare.pages");

const char* const kEveryPlacePage =
    "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%|TITLE|%</title>\r\n"
    "<script>var inScript = \"%|TITLE|%\"; var inSingle = '%|URL|%';</script></head>\r\n"
    "<body><p id=\"text\">%|TITLE|%</p><img id=\"pic\" alt=\"%|TITLE|%\" title='%|URL|%'>"
    "<span id=\"bare\" title=%|TITLE|%>x</span></body></html>\r\n";

} // namespace

class PageIsolationTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        // Remote data that consents to cross-origin reads, a picture, and a webcam picture that
        // says it may be cached for an hour (the refresh must fetch it anyway).
        QVERIFY(media_.isValid());
        WriteFile(media_.filePath(QStringLiteral("data.txt")), "REMOTE-DATA");
        WriteFile(media_.filePath(QStringLiteral("img.png")), Png());
        WriteFile(media_.filePath(QStringLiteral("cam.png")), Png());
        server_ = std::make_unique<MediaServer>(media_.path());
        server_->SetCacheControl(QStringLiteral("cam.png"), "max-age=3600");
        profile_ = new PlayerProfile(this);
        page_ = new PlayerPage(profile_, this, PlayerPage::AlertDisplay::SignalOnly);

        sibling_ = profile_->UrlForFile(Q(scratch_.WritePage("<html><body>SIBLING-SECRET</body></html>").string()));
        // The probe page plays a channel of this machine, as the test server is: it may reach it.
        QVERIFY(Load(*page_, profile_->UrlForFile(Q(scratch_.WritePage(kProbePage).string()), kLocalChannel)));
    }

    void cleanupTestCase()
    {
        delete page_;
        scratch_.Clear();
    }

    void pagesReachRemoteHttpButNothingLocal_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("reaches");
        QTest::newRow("fetch remote http")
            << QStringLiteral("fetch") << server_->Url(QStringLiteral("data.txt")).toString() << true;
        QTest::newRow("img remote http") << QStringLiteral("img") << server_->Url(QStringLiteral("img.png")).toString()
                                         << true;
        const QString passwd = QStringLiteral("file:///etc/passwd");
        const QString resource = QStringLiteral("qrc:/zentavo/templates/real.html");
        const QString script = QStringLiteral("javascript:window.hacked=1");
        for (const char* kind : {"fetch", "xhr", "img", "iframe", "video"}) {
            const QString k = QString::fromLatin1(kind);
            QTest::addRow("%s file", kind) << k << passwd << false;
            QTest::addRow("%s sibling page", kind) << k << sibling_.toString() << false;
            QTest::addRow("%s qrc", kind) << k << resource << false;
        }
        for (const char* kind : {"fetch", "xhr", "img", "video"})
            QTest::addRow("%s javascript", kind) << QString::fromLatin1(kind) << script << false;
    }
    void pagesReachRemoteHttpButNothingLocal()
    {
        QFETCH(QString, kind);
        QFETCH(QString, target);
        QFETCH(bool, reaches);
        const QString key = QString::fromLatin1(QTest::currentDataTag());
        Evaluate(*page_, QStringLiteral("probe(%1, %2, %3)").arg(Js(key), Js(kind), Js(target)));
        QString result;
        QTRY_VERIFY_WITH_TIMEOUT(
            !(result = Evaluate(*page_, QStringLiteral("results[%1] || ''").arg(Js(key))).toString()).isEmpty(),
            test::Limit(15000));
        const bool reached = result.startsWith(QLatin1String("read:")) || result == QLatin1String("loaded");
        QVERIFY2(reached == reaches, qPrintable(result));
        QCOMPARE(Evaluate(*page_, QStringLiteral("String(window.hacked)")).toString(), QStringLiteral("undefined"));
    }

    void pagesCannotOpenWindows()
    {
        QCOMPARE(
            Evaluate(
                *page_,
                QStringLiteral("String(window.open(%1))").arg(Js(server_->Url(QStringLiteral("popup")).toString())))
                .toString(),
            QStringLiteral("null"));
        QVERIFY(test::StaysFor(std::chrono::milliseconds(1000),
                               [this] { return server_->RequestCount(QStringLiteral("popup")) == 0; }));
    }

    void pagesCannotNavigateToLocalFilesOrOtherPages_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("file") << QStringLiteral("file:///etc/passwd");
        QTest::newRow("qrc") << QStringLiteral("qrc:/zentavo/templates/real.html");
        QTest::newRow("sibling page") << sibling_.toString();
        QTest::newRow("data") << QStringLiteral("data:text/html,<p>x</p>");
    }
    void pagesCannotNavigateToLocalFilesOrOtherPages()
    {
        QFETCH(QString, target);
        const QUrl before = page_->url();
        Evaluate(*page_, QStringLiteral("location.href = %1").arg(Js(target)));
        QVERIFY(test::StaysFor(std::chrono::milliseconds(1000), [this, &before] { return page_->url() == before; }));
        QVERIFY(Evaluate(*page_, QStringLiteral("typeof probe")).toString() == QLatin1String("function"));
    }

    void navigationPolicy_data()
    {
        QTest::addColumn<QUrl>("url");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("mainFrame");
        QTest::addColumn<bool>("allowed");
        const QUrl page(QStringLiteral("zvo://pages/%7BABC%7D"));
        QTest::newRow("host loads a page") << page << int(QWebEnginePage::NavigationTypeTyped) << true << true;
        QTest::newRow("host reloads a page") << page << int(QWebEnginePage::NavigationTypeReload) << true << true;
        QTest::newRow("script goes to a page") << page << int(QWebEnginePage::NavigationTypeOther) << true << false;
        QTest::newRow("link to a page") << page << int(QWebEnginePage::NavigationTypeLinkClicked) << true << false;
        QTest::newRow("page in a frame") << page << int(QWebEnginePage::NavigationTypeTyped) << false << false;
        QTest::newRow("home page fall-back")
            << QUrl(QString::fromLatin1(kHomePageUrl)) << int(QWebEnginePage::NavigationTypeOther) << true << true;
        QTest::newRow("http frame") << QUrl(QStringLiteral("http://h/x")) << int(QWebEnginePage::NavigationTypeOther)
                                    << false << false;
        QTest::newRow("web page") << QUrl(QStringLiteral("https://h/x")) << int(QWebEnginePage::NavigationTypeOther)
                                  << true << false;
        QTest::newRow("link to a web page")
            << QUrl(QStringLiteral("http://h/x")) << int(QWebEnginePage::NavigationTypeLinkClicked) << true << false;
        QTest::newRow("file") << QUrl(QStringLiteral("file:///etc/passwd")) << int(QWebEnginePage::NavigationTypeTyped)
                              << true << false;
        QTest::newRow("qrc") << QUrl(QStringLiteral("qrc:/x")) << int(QWebEnginePage::NavigationTypeOther) << true
                             << false;
        QTest::newRow("javascript") << QUrl(QStringLiteral("javascript:alert(1)"))
                                    << int(QWebEnginePage::NavigationTypeOther) << true << false;
        QTest::newRow("ftp") << QUrl(QStringLiteral("ftp://h/x")) << int(QWebEnginePage::NavigationTypeOther) << true
                             << false;
        QTest::newRow("about:blank frame")
            << QUrl(QStringLiteral("about:blank")) << int(QWebEnginePage::NavigationTypeOther) << false << true;
    }
    void navigationPolicy()
    {
        QFETCH(QUrl, url);
        QFETCH(int, type);
        QFETCH(bool, mainFrame);
        QFETCH(bool, allowed);
        QCOMPARE(IsPlayerNavigationAllowed(url, static_cast<QWebEnginePage::NavigationType>(type), mainFrame), allowed);
    }

    void hostileAddressesStayInert_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("address");
        const QStringList addresses{
            QStringLiteral("x\";window.hacked=1;//"),
            QStringLiteral("</script><script>window.hacked=1</script>"),
            QStringLiteral("x\" onerror=\"window.hacked=1"),
            QStringLiteral("javascript:window.hacked=1"),
            QStringLiteral("file:///etc/passwd"),
            QStringLiteral("qrc:/zentavo/templates/real.html"),
            sibling_.toString(),
            QStringLiteral("|%\\\"\r\nwindow.hacked=1"),
        };
        for (int kind = 0; kind <= 2; ++kind) {
            for (int i = 0; i < addresses.size(); ++i)
                QTest::addRow("kind %d address %d", kind, i) << kind << addresses[i];
        }
    }
    void hostileAddressesStayInert()
    {
        QFETCH(int, kind);
        QFETCH(QString, address);
        PlayerPage page(profile_, nullptr, PlayerPage::AlertDisplay::SignalOnly);
        const std::string encoded = EncodeAddressForPage(address.toStdString());
        const std::string html = FillTemplate(PlayerTemplate(static_cast<MediaKind>(kind)), encoded, {});
        QVERIFY(Load(page, profile_->UrlForFile(Q(scratch_.WritePage(html).string()))));
        QVERIFY(test::StaysFor(std::chrono::milliseconds(1000), [&page] {
            return Evaluate(page, QStringLiteral("String(window.hacked)")).toString() == QLatin1String("undefined");
        }));
        if (kind == 2) {
            // The picture's address is the encoded address, whole, and nothing local shows.
            QCOMPARE(Evaluate(page, QStringLiteral("document.images.length")).toInt(), 1);
            QCOMPARE(Evaluate(page, QStringLiteral("document.images[0].getAttribute('src')")).toString(), Q(encoded));
            QCOMPARE(Evaluate(page, QStringLiteral("document.images[0].naturalWidth")).toInt(), 0);
        } else {
            // The script string holds the encoded address, whole.
            QCOMPARE(Evaluate(page, QStringLiteral("srcc")).toString(), Q(encoded));
        }
    }

    // Hostile addresses and channel names together, through the address encoding and the filling
    // of the three templates, and through the filling alone into a page that holds the name at
    // every kind of place: no script of theirs runs, and each value arrives whole.
    void hostileAddressesAndNamesRunNoScript_data()
    {
        QTest::addColumn<int>("kind"); // 0 to 2: the templates; 3: every place, address not encoded
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("name");
        const QList<std::pair<QString, QString>> values{
            {QStringLiteral("http://h/live?%|TITLE|%"),
             QStringLiteral("x\";window.hacked=1;//</script><script>window.hacked=2</script>")},
            {QStringLiteral("%|TITLE|%"), QStringLiteral("</script><script>window.hacked=1</script>")},
            {QStringLiteral("x\"+(window.hacked=1)+\""), QStringLiteral("'+(window.hacked=1)+'")},
            {QStringLiteral("http://h/a|%%|URL|%"), QStringLiteral("<img src=x onerror=\"window.hacked=1\">")},
            {QStringLiteral("x' onerror='window.hacked=1"), QStringLiteral("\" onerror=\"window.hacked=1")},
            {QStringLiteral("\\\";window.hacked=1;//"), QStringLiteral("\\\";window.hacked=1;//")},
            {QStringLiteral("x\u2028window.hacked=1"), QStringLiteral("x\u2028window.hacked=1;\u2029window.hacked=2")},
            {QStringLiteral("</script>"), QStringLiteral("<!--<script>")},
            {QStringLiteral("x onmouseover=window.hacked=1"), QStringLiteral("x onfocus=window.hacked=1 autofocus")},
            {QStringLiteral("%|URL|%%|TITLE|%"), QStringLiteral("&lt;script&gt;window.hacked=1&lt;/script&gt;")},
        };
        for (int kind = 0; kind <= 3; ++kind) {
            for (int i = 0; i < values.size(); ++i)
                QTest::addRow("kind %d values %d", kind, i) << kind << values[i].first << values[i].second;
        }
    }
    void hostileAddressesAndNamesRunNoScript()
    {
        QFETCH(int, kind);
        QFETCH(QString, address);
        QFETCH(QString, name);
        PlayerPage page(profile_, nullptr, PlayerPage::AlertDisplay::SignalOnly);
        const FillOptions options{true, name.toStdString()};
        const std::string encoded = kind == 3 ? address.toStdString() : EncodeAddressForPage(address.toStdString());
        const std::string templateText =
            kind == 3 ? std::string(kEveryPlacePage) : PlayerTemplate(static_cast<MediaKind>(kind));
        QVERIFY(Load(
            page, profile_->UrlForFile(Q(scratch_.WritePage(FillTemplate(templateText, encoded, options)).string()))));
        // Long enough for an injected image to fail and its handler to run.
        QVERIFY(test::StaysFor(std::chrono::milliseconds(1000), [&page] {
            return Evaluate(page, QStringLiteral("String(window.hacked)")).toString() == QLatin1String("undefined");
        }));
        switch (kind) {
        case 0:
        case 1:
            QCOMPARE(Evaluate(page, QStringLiteral("srcc")).toString(), Q(encoded));
            break;
        case 2:
            QCOMPARE(Evaluate(page, QStringLiteral("document.images[0].getAttribute('src')")).toString(), Q(encoded));
            break;
        default:
            QCOMPARE(Evaluate(page, QStringLiteral("document.images.length")).toInt(), 1);
            QCOMPARE(Evaluate(page, QStringLiteral("[inScript, inSingle].join('|')")).toString(),
                     name + QLatin1Char('|') + address);
            QCOMPARE(Evaluate(page,
                              QStringLiteral("[document.title, text.textContent, pic.alt, pic.title, bare.title]"
                                             ".join('|')"))
                         .toString(),
                     QStringList({name, name, name, address, name}).join(QLatin1Char('|')));
            break;
        }
    }

    void pagesAndTheStartPageRenderAsHtml()
    {
        const QString startPage = qEnvironmentVariable("ZENTAVO_SOURCE_DIR") + QStringLiteral("/data/start.zvo");
        PlayerPage page(profile_, nullptr, PlayerPage::AlertDisplay::SignalOnly);
        QVERIFY(Load(page, profile_->UrlForFile(startPage)));
        QCOMPARE(Evaluate(page, QStringLiteral("document.contentType")).toString(), QStringLiteral("text/html"));
        QCOMPARE(page.title(), QStringLiteral("Zentavo Player"));

        const auto file = scratch_.WritePage(PlayerTemplate(MediaKind::Snapshot));
        QVERIFY(Load(page, profile_->UrlForFile(Q(file.string()))));
        QCOMPARE(Evaluate(page, QStringLiteral("document.contentType")).toString(), QStringLiteral("text/html"));
        QCOMPARE(page.title(), QStringLiteral("Untitled Document"));
    }

    void onlyRegisteredFilesAreServed_data()
    {
        QTest::addColumn<QString>("url");
        QTest::newRow("unregistered page") << QStringLiteral("zvo://pages/%7B00000000-0000-0000-0000-000000000000%7D");
        QTest::newRow("path traversal") << QStringLiteral("zvo://pages/..%2F..%2F..%2Fetc%2Fpasswd");
        QTest::newRow("folder") << QStringLiteral("zvo://pages/sub/start.zvo");
        QTest::newRow("other host") << QStringLiteral("zvo://etc/passwd");
        // The sibling's file, but under a host that is not its own: no page under another's origin.
        QTest::newRow("page at another page's host")
            << QStringLiteral("zvo://00000000000000000000000000000000.pages") + sibling_.path();
    }
    void onlyRegisteredFilesAreServed()
    {
        QFETCH(QString, url);
        PlayerPage page(profile_, nullptr, PlayerPage::AlertDisplay::SignalOnly);
        QVERIFY(!Load(page, QUrl(url)));
        QVERIFY(!Evaluate(page, QStringLiteral("document.documentElement.innerText"))
                     .toString()
                     .contains(QLatin1String("root:")));
    }

    // A long session keeps neither the pages it has left (history, back-forward cache) nor a
    // servable entry for each of them: only the last few registered files are served.
    void leftPagesAreNeitherKeptNorServed()
    {
        PlayerPage page(profile_, nullptr, PlayerPage::AlertDisplay::SignalOnly);
        QList<QUrl> shown;
        for (int i = 0; i <= PageSchemeHandler::kRemembered; ++i) {
            const auto file = scratch_.WritePage("<html><body>PAGE " + std::to_string(i) + "</body></html>");
            shown.append(profile_->UrlForFile(Q(file.string())));
            QVERIFY(Load(page, shown.last()));
            QCOMPARE(page.history()->count(), 1);
            QVERIFY(!page.history()->canGoBack());
        }
        // The page on show reloads; the first one, long left, is no longer served.
        QSignalSpy reloaded(&page, &QWebEnginePage::loadFinished);
        page.triggerAction(QWebEnginePage::Reload);
        QTRY_COMPARE_WITH_TIMEOUT(reloaded.size(), 1, test::Limit(kLoadTimeoutMs));
        QVERIFY(reloaded.at(0).at(0).toBool());
        QCOMPARE(Evaluate(page, QStringLiteral("document.body.innerText")).toString(),
                 QStringLiteral("PAGE %1").arg(PageSchemeHandler::kRemembered));
        QVERIFY(Load(page, shown.at(1)));
        QVERIFY(!Load(page, shown.first()));
    }

    void refreshFetchesThePictureAgain()
    {
        PlayerPage page(profile_, nullptr, PlayerPage::AlertDisplay::SignalOnly);
        const std::string html = FillTemplate(PlayerTemplate(MediaKind::Snapshot),
                                              server_->Url(QStringLiteral("cam.png")).toString().toStdString(), {});
        QVERIFY(Load(page, profile_->UrlForFile(Q(scratch_.WritePage(html).string()), kLocalChannel)));
        QTRY_COMPARE_WITH_TIMEOUT(server_->RequestCount(QStringLiteral("cam.png")), 1, test::Limit(10000));
        QTRY_COMPARE_WITH_TIMEOUT(Evaluate(page, QStringLiteral("document.images[0].naturalWidth")).toInt(), 1,
                                  test::Limit(10000));
        for (int round = 2; round <= 3; ++round) {
            QSignalSpy finished(&page, &QWebEnginePage::loadFinished);
            page.RefreshPage();
            QVERIFY(finished.wait(kLoadTimeoutMs));
            QTRY_COMPARE_WITH_TIMEOUT(server_->RequestCount(QStringLiteral("cam.png")), round, test::Limit(10000));
        }
    }

    void alertsAndFullScreenWishesReachTheHost()
    {
        QSignalSpy alerts(page_, &PlayerPage::AlertShown);
        QSignalSpy fullScreen(page_, &PlayerPage::FullScreenRequested);
        Evaluate(*page_, QStringLiteral("alert('Sorry, this channel is not available at the moment.')"));
        QTRY_COMPARE_WITH_TIMEOUT(alerts.size(), 1, test::Limit(10000));
        QCOMPARE(alerts.at(0).at(0).toString(), QStringLiteral("Sorry, this channel is not available at the moment."));
        Evaluate(*page_, QStringLiteral("console.info('zentavo:fullscreen:on')"));
        QTRY_COMPARE_WITH_TIMEOUT(fullScreen.size(), 1, test::Limit(10000));
        QCOMPARE(fullScreen.at(0).at(0).toBool(), true);
        Evaluate(*page_, QStringLiteral("console.info('zentavo:fullscreen:off')"));
        QTRY_COMPARE_WITH_TIMEOUT(fullScreen.size(), 2, test::Limit(10000));
        QCOMPARE(fullScreen.at(1).at(0).toBool(), false);
        Evaluate(*page_, QStringLiteral("console.info('zentavo:fullscreen:maybe')"));
        QVERIFY(test::StaysFor(std::chrono::milliseconds(1000), [&fullScreen] { return fullScreen.size() == 2; }));
    }

    void realPageDrivesItsObject()
    {
        BareProfile bare(true);
        const QString address = QStringLiteral("http://h/live.rm");
        const std::string html = FillTemplate(PlayerTemplate(MediaKind::Real), address.toStdString(), {});
        const QUrl url = bare.handler.Register(Q(scratch_.WritePage(html).string()), kBareHost);
        QVERIFY(Load(*bare.page, url));
        // Object set-up while the page is parsed, then the load handler's playy(srcc).
        QCOMPARE(Evaluate(*bare.page, QStringLiteral("calls.join(' ')")).toString(),
                 QStringLiteral("SetEnableContextMenu(false) SetEnableContextMenu(false) SetWantErrors(true) "
                                "setSource(http://h/live.rm)"));
        QCOMPARE(Evaluate(*bare.page, QStringLiteral("[CanPlay, CanPause, CanStop, PlayState].join()")).toString(),
                 QStringLiteral("false,true,true,1"));
        const auto click = [&](const char* name) {
            return Evaluate(*bare.page,
                            QStringLiteral("calls = []; document.all.item('%1').click(); calls.join(' ')")
                                .arg(QLatin1String(name)))
                .toString();
        };
        QCOMPARE(click("HTML_Full"), QStringLiteral("SetFullScreen() DoPlayPause() DoPlay()"));
        QCOMPARE(click("HTML_SetONSound"), QStringLiteral("SetMute(true)"));
        QCOMPARE(click("HTML_SetONSound"), QStringLiteral("SetMute(true)"));
        QCOMPARE(click("HTML_SetOFFSound"), QStringLiteral("SetMute(false)"));
        Evaluate(*bare.page, QStringLiteral("document.all.item('HTML_Sound').value = '42'"));
        QCOMPARE(click("HTML_Sound"), QStringLiteral("SetVolume(42)"));
        // Before ClickPlay has run, full screen does nothing.
        Evaluate(*bare.page, QStringLiteral("CanPlay = true"));
        QCOMPARE(click("HTML_Full"), QString());

        // A query behind "?" wins over the filled address.
        QUrl withQuery = url;
        withQuery.setQuery(QStringLiteral("http://other/x.rm"));
        QVERIFY(Load(*bare.page, withQuery));
        QCOMPARE(Evaluate(*bare.page, QStringLiteral("calls[calls.length - 1]")).toString(),
                 QStringLiteral("setSource(http://other/x.rm)"));
    }

    void realPageErrorAlerts_data()
    {
        QTest::addColumn<qint64>("code");
        QTest::addColumn<QString>("alert");
        const QString notAvailable = QStringLiteral("Sorry, this channel is not available at the moment.");
        const QString tryLater =
            QStringLiteral("Sorry, this channel is not available at the moment. Please try later.");
        QTest::newRow("file not found") << qint64(-2147221496) << notAvailable;
        for (const qint64 code : {-2147221433LL, -2147221428LL, -2147221417LL, -2147217468LL})
            QTest::addRow("cannot locate server %lld", code) << code << notAvailable;
        QTest::newRow("other") << qint64(-1) << tryLater;
        QTest::newRow("zero") << qint64(0) << tryLater;
    }
    void realPageErrorAlerts()
    {
        QFETCH(qint64, code);
        QFETCH(QString, alert);
        BareProfile bare(true);
        const std::string html = FillTemplate(PlayerTemplate(MediaKind::Real), "http://h/x", {});
        QVERIFY(Load(*bare.page, bare.handler.Register(Q(scratch_.WritePage(html).string()), kBareHost)));
        QSignalSpy alerts(bare.page.get(), &PlayerPage::AlertShown);
        Evaluate(*bare.page, QStringLiteral("rmaCode = %1; RPOCX_OnErrorMessage(0, 0, 0, '', '', '')").arg(code));
        QTRY_COMPARE_WITH_TIMEOUT(alerts.size(), 1, test::Limit(10000));
        QCOMPARE(alerts.at(0).at(0).toString(), alert);
    }

    void realPageWithoutARealPlayerAlertsAndGoesHome()
    {
        BareProfile bare(false);
        QSignalSpy alerts(bare.page.get(), &PlayerPage::AlertShown);
        const std::string html = FillTemplate(PlayerTemplate(MediaKind::Real), "http://h/x", {});
        bare.page->load(bare.handler.Register(Q(scratch_.WritePage(html).string()), kBareHost));
        QTRY_COMPARE_WITH_TIMEOUT(alerts.size(), 1, test::Limit(kLoadTimeoutMs));
        QCOMPARE(alerts.at(0).at(0).toString(),
                 QStringLiteral("RealPlayer was not detected on your PC. This free software is required to watch "
                                "Internet TV stations. \n\n Please click OK to download RealPlayer"));
        QTRY_VERIFY_WITH_TIMEOUT(bare.interceptor.requested.contains(QString::fromLatin1(kHomePageUrl)),
                                 test::Limit(10000));
    }

private:
    // A profile with our page scheme but without the player objects: optionally with recording
    // stand-ins for the Real object, so that the template's own script is what runs.
    struct BareProfile {
        explicit BareProfile(bool withRecordingObjects)
        {
            profile.installUrlSchemeHandler(QByteArray(PageSchemeHandler::kScheme), &handler);
            profile.setUrlRequestInterceptor(&interceptor);
            if (withRecordingObjects) {
                QWebEngineScript script;
                script.setSourceCode(QString::fromLatin1(kRecordingObjects));
                script.setInjectionPoint(QWebEngineScript::DocumentCreation);
                script.setWorldId(QWebEngineScript::MainWorld);
                profile.scripts()->insert(script);
            }
            page = std::make_unique<PlayerPage>(&profile, nullptr, PlayerPage::AlertDisplay::SignalOnly);
        }
        ~BareProfile()
        {
            page.reset();
            profile.removeAllUrlSchemeHandlers();
            profile.setUrlRequestInterceptor(nullptr);
        }
        PageSchemeHandler handler;
        RecordingInterceptor interceptor;
        QWebEngineProfile profile;
        std::unique_ptr<PlayerPage> page;
    };

    static QString Js(const QString& text)
    {
        QString quoted = text;
        quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\''), QLatin1String("\\'"));
        quoted.replace(QLatin1Char('\n'), QLatin1String("\\n")).replace(QLatin1Char('\r'), QLatin1String("\\r"));
        return QLatin1Char('\'') + quoted + QLatin1Char('\'');
    }

    // A 1x1 PNG.
    static QByteArray Png()
    {
        return QByteArray::fromBase64(
            "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==");
    }

    QTemporaryDir media_;
    std::unique_ptr<MediaServer> server_;
    ScratchFolder scratch_;
    PlayerProfile* profile_ = nullptr;
    PlayerPage* page_ = nullptr;
    QUrl sibling_;
};

int main(int argc, char** argv)
{
    PlayerProfile::RegisterUrlSchemes();
    QGuiApplication app(argc, argv);
    PageIsolationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_page_isolation.moc"
