// Now playing through the media gateway, end to end: an Icecast server (Debian's icecast2, started
// here on 127.0.0.1 and fed by ffmpeg) sends the title of what plays in its ICY metadata; the
// Windows Media page's status bar and the Real page's message line show it while playing, the host
// hears it (for the desktop's media controls), and both follow when the server's title changes.
// The sound is MP2, which the page's engine does not decode, so the channel plays through the gateway.

#include "crypto/stream_passphrase.h"
#include "crypto/string_cipher.h"
#include "player/page_generation.h"
#include "player/player_page.h"
#include "player/player_profile.h"
#include "player/scratch_folder.h"
#include "tests/support/page_script.h"
#include "tests/support/test_media.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <unistd.h>

#include <memory>

using namespace zentavo;
using namespace zentavo::test;

namespace {

constexpr int kPlayTimeoutMs = 40000;
const char* const kAdminPassword = "admin-pw";
const char* const kSourcePassword = "source-pw";

quint16 FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

} // namespace

class GatewayTitles : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void pageAndHostShowTheTitleAndFollowItsChange_data();
    void pageAndHostShowTheTitleAndFollowItsChange();

private:
    void StartIcecast();
    void StartSource();
    void SetTitle(const QString& title);
    void Play(const char* id);
    QString StatusTexts();

    // Under /tmp itself: icecast2 running as nobody cannot pass the test's own private temporary folder.
    QTemporaryDir folder_{QStringLiteral("/tmp/zentavo-icecast-XXXXXX")};
    quint16 port_ = 0;
    std::unique_ptr<QProcess> icecast_;
    std::unique_ptr<QProcess> source_;
    QString catalogue_;
    std::unique_ptr<PlayerProfile> profile_;
    std::unique_ptr<PlayerPage> page_;
    std::unique_ptr<QWebEngineView> view_;
};

// icecast2 refuses to run as root: then it runs as nobody, which must read its configuration.
void GatewayTitles::StartIcecast()
{
    QVERIFY(folder_.isValid());
    QFile::setPermissions(folder_.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                              | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther
                              | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup);
    port_ = FreePort();
    const QString config =
        QStringLiteral("<icecast>\n"
                       "  <limits><clients>10</clients><sources>2</sources><burst-size>65536</burst-size></limits>\n"
                       "  <authentication><source-password>%2</source-password><admin-user>admin</admin-user>"
                       "<admin-password>%3</admin-password></authentication>\n"
                       "  <hostname>127.0.0.1</hostname>\n"
                       "  <listen-socket><port>%1</port><bind-address>127.0.0.1</bind-address></listen-socket>\n"
                       "  <paths><basedir>/usr/share/icecast2</basedir><logdir>%4</logdir>"
                       "<webroot>/usr/share/icecast2/web</webroot><adminroot>/usr/share/icecast2/admin</adminroot>"
                       "</paths>\n"
                       "  <logging><errorlog>-</errorlog><loglevel>1</loglevel></logging>\n"
                       "</icecast>\n")
            .arg(port_)
            .arg(QLatin1String(kSourcePassword), QLatin1String(kAdminPassword), folder_.path());
    WriteTextFile(folder_.path(), QStringLiteral("icecast.xml"), config);
    const QString configPath = QDir(folder_.path()).filePath(QStringLiteral("icecast.xml"));
    QVERIFY2(QFile::exists(QStringLiteral("/usr/bin/icecast2")), "icecast2 (Debian package icecast2) is needed");
    icecast_ = std::make_unique<QProcess>();
    icecast_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (geteuid() == 0)
        icecast_->start(QStringLiteral("runuser"),
                        {QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--"),
                         QStringLiteral("icecast2"), QStringLiteral("-c"), configPath});
    else
        icecast_->start(QStringLiteral("icecast2"), {QStringLiteral("-c"), configPath});
    QVERIFY(icecast_->waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(
        [this] {
            if (icecast_->state() == QProcess::NotRunning)
                return true; // told below
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port_);
            return socket.waitForConnected(500);
        }(),
        10000);
    QVERIFY2(icecast_->state() == QProcess::Running, "icecast2 did not start");
}

// ffmpeg sends a tone as MP2 to the mount /radio.
void GatewayTitles::StartSource()
{
    source_ = std::make_unique<QProcess>();
    source_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    source_->start(
        QStringLiteral("ffmpeg"),
        {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-re"),
         QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
         QStringLiteral("sine=frequency=440:sample_rate=44100"), QStringLiteral("-c:a"), QStringLiteral("mp2"),
         QStringLiteral("-b:a"), QStringLiteral("128k"), QStringLiteral("-content_type"), QStringLiteral("audio/mpeg"),
         QStringLiteral("-ice_name"), QStringLiteral("Test Radio"), QStringLiteral("-f"), QStringLiteral("mp2"),
         QStringLiteral("icecast://source:%1@127.0.0.1:%2/radio").arg(QLatin1String(kSourcePassword)).arg(port_)});
    QVERIFY2(source_->waitForStarted(10000), "ffmpeg (Debian package ffmpeg) is needed");
}

// Through Icecast's admin interface, as a radio's playout system does.
void GatewayTitles::SetTitle(const QString& title)
{
    QUrl url(QStringLiteral("http://127.0.0.1:%1/admin/metadata").arg(port_));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("mount"), QStringLiteral("/radio"));
    query.addQueryItem(QStringLiteral("mode"), QStringLiteral("updinfo"));
    query.addQueryItem(QStringLiteral("song"), QString::fromLatin1(QUrl::toPercentEncoding(title)));
    url.setQuery(query);
    url.setUserName(QStringLiteral("admin"));
    url.setPassword(QLatin1String(kAdminPassword));
    QNetworkAccessManager network;
    QNetworkRequest request(url);
    request.setRawHeader("Authorization", "Basic " + QByteArray("admin:").append(kAdminPassword).toBase64());
    std::unique_ptr<QNetworkReply> reply(network.get(request));
    QTRY_VERIFY_WITH_TIMEOUT(reply->isFinished(), 10000);
    const QByteArray answer = reply->readAll();
    QVERIFY2(answer.contains("Metadata update successful"), answer.constData());
}

void GatewayTitles::initTestCase()
{
    StartIcecast();
    QVERIFY(!QTest::currentTestFailed());
    // The mount exists once the source is connected.
    StartSource();
    QVERIFY(!QTest::currentTestFailed());
    QTRY_VERIFY_WITH_TIMEOUT(
        [this] {
            QNetworkAccessManager network;
            QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1/status-json.xsl").arg(port_)));
            std::unique_ptr<QNetworkReply> reply(network.get(request));
            QElapsedTimer clock;
            clock.start();
            while (!reply->isFinished() && clock.elapsed() < 2000)
                QTest::qWait(50);
            return reply->readAll().contains("/radio");
        }(),
        15000);

    const QString address = QStringLiteral("http://127.0.0.1:%1/radio").arg(port_);
    const std::string passphrase = BuildStreamPassphrase();
    const std::string protectedUrl = EncipherString(address.toStdString(), passphrase, KeySize::Key256);
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>\n");
    for (int kind : {0, 1}) {
        xml += QStringLiteral("<item><id>%1</id><name>Radio %1</name><country>Test</country><bandwidth>128k</bandwidth>"
                              "<type2>radio</type2><imgindex>%2</imgindex><url>%3</url></item>\n")
                   .arg(kind + 1)
                   .arg(kind)
                   .arg(QString::fromStdString(protectedUrl));
    }
    xml += QStringLiteral("</items>\n");
    WriteTextFile(folder_.path(), QStringLiteral("radio-all.xml"), xml);
    catalogue_ = QDir(folder_.path()).filePath(QStringLiteral("radio-all.xml"));
    profile_ = std::make_unique<PlayerProfile>();
    profile_->scripts()->insert(MediaWatchScript());
}

void GatewayTitles::cleanupTestCase()
{
    profile_.reset();
    for (auto* process : {source_.get(), icecast_.get()}) {
        if (!process)
            continue;
        process->terminate();
        if (!process->waitForFinished(5000)) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
}

void GatewayTitles::init()
{
    page_ = std::make_unique<PlayerPage>(profile_.get(), nullptr, PlayerPage::AlertDisplay::SignalOnly);
    view_ = std::make_unique<QWebEngineView>();
    view_->setPage(page_.get());
    view_->resize(640, 480);
    view_->show();
}

void GatewayTitles::cleanup()
{
    view_.reset();
    page_.reset();
}

void GatewayTitles::Play(const char* id)
{
    FillOptions options;
    options.channelName = "Radio";
    const auto play = PreparePlay(catalogue_.toStdString(), id, BuildStreamPassphrase(), options);
    QVERIFY(play.has_value());
    const auto file = WritePageFile(play->page);
    page_->load(profile_->UrlForFile(QString::fromStdString(file.string())));
}

QString GatewayTitles::StatusTexts()
{
    return RunJavaScript(*page_,
                         QStringLiteral("Array.from(document.querySelectorAll('.zentavo-status, .zentavo-message'))"
                                        ".map(function (e) { return e.textContent; }).join(' | ')"))
        .toString();
}

void GatewayTitles::pageAndHostShowTheTitleAndFollowItsChange_data()
{
    QTest::addColumn<QByteArray>("id");
    QTest::newRow("Windows Media page") << QByteArray("1");
    QTest::newRow("Real page") << QByteArray("2");
}

void GatewayTitles::pageAndHostShowTheTitleAndFollowItsChange()
{
    QFETCH(QByteArray, id);
    const QString first = QStringLiteral(u"Guns N' Roses - Don't Cry; live at Björk's");
    const QString second = QStringLiteral("Miles Davis - So What");
    SetTitle(first);
    QVERIFY(!QTest::currentTestFailed());
    QSignalSpy heard(profile_.get(), &PlayerProfile::NowPlayingChanged);
    Play(id.constData());
    const QString failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QTRY_VERIFY2_WITH_TIMEOUT(StatusTexts().contains(QStringLiteral("Playing: ") + first), qPrintable(StatusTexts()),
                              10000);
    QTRY_VERIFY_WITH_TIMEOUT(!heard.isEmpty() && heard.last().at(0).toString() == first, 5000);

    SetTitle(second);
    QVERIFY(!QTest::currentTestFailed());
    QTRY_VERIFY2_WITH_TIMEOUT(StatusTexts().contains(QStringLiteral("Playing: ") + second), qPrintable(StatusTexts()),
                              10000);
    QTRY_VERIFY_WITH_TIMEOUT(heard.last().at(0).toString() == second, 5000);

    // The page goes: the host hears that nothing plays a title any more.
    view_.reset();
    page_.reset();
    QTRY_VERIFY_WITH_TIMEOUT(heard.last().at(0).toString().isEmpty(), 10000);
}

int main(int argc, char** argv)
{
    PlayerProfile::RegisterUrlSchemes(); // before the application exists
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    GatewayTitles test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_gateway_titles.moc"
