// Now playing through the media gateway, end to end: an Icecast server (Debian's icecast2, started
// here on 127.0.0.1 and fed by ffmpeg) sends the title of what plays in its ICY metadata; the
// Windows Media page's status bar and the Real page's message line show it while playing, the host
// hears it (for the desktop's media controls), and both follow when the server's title changes.
// Two mounts: MP2, which the page's engine does not decode, so that it plays through the gateway; and
// MP3, which the page plays itself while the host reads the titles beside it.

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
    void radioThatThePagePlaysItselfShowsItsTitle();

private:
    void StartIcecast();
    std::unique_ptr<QProcess> StartSource(const QString& codec, const QString& mount);
    void SetTitle(const QString& mount, const QString& title);
    int SocketsToServer();
    void Play(const char* id);
    QString StatusTexts();

    // Under /tmp itself: icecast2 running as nobody cannot pass the test's own private temporary folder.
    QTemporaryDir folder_{QStringLiteral("/tmp/zentavo-icecast-XXXXXX")};
    quint16 port_ = 0;
    std::unique_ptr<QProcess> icecast_;
    std::unique_ptr<QProcess> mp2Source_;
    std::unique_ptr<QProcess> mp3Source_;
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
    // setpriv runs icecast2 in its own process, so that ending the process ends the server.
    if (geteuid() == 0)
        icecast_->start(QStringLiteral("setpriv"),
                        {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                         QStringLiteral("--clear-groups"), QStringLiteral("icecast2"), QStringLiteral("-c"),
                         configPath});
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

// ffmpeg sends a tone in codec (mp2 or mp3) to the mount.
std::unique_ptr<QProcess> GatewayTitles::StartSource(const QString& codec, const QString& mount)
{
    auto source = std::make_unique<QProcess>();
    source->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    source->start(QStringLiteral("ffmpeg"),
                  {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                   QStringLiteral("-re"), QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                   QStringLiteral("sine=frequency=440:sample_rate=44100"), QStringLiteral("-c:a"),
                   codec == QLatin1String("mp3") ? QStringLiteral("libmp3lame") : codec, QStringLiteral("-b:a"),
                   QStringLiteral("128k"), QStringLiteral("-content_type"), QStringLiteral("audio/mpeg"),
                   QStringLiteral("-ice_name"), QStringLiteral("Test Radio"), QStringLiteral("-f"), codec,
                   QStringLiteral("icecast://source:%1@127.0.0.1:%2%3")
                       .arg(QLatin1String(kSourcePassword))
                       .arg(port_)
                       .arg(mount)});
    if (!source->waitForStarted(10000))
        qFatal("ffmpeg (Debian package ffmpeg) is needed");
    return source;
}

// Through Icecast's admin interface, as a radio's playout system does.
void GatewayTitles::SetTitle(const QString& mount, const QString& title)
{
    QUrl url(QStringLiteral("http://127.0.0.1:%1/admin/metadata").arg(port_));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("mount"), mount);
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
    // The mounts exist once their sources are connected.
    mp2Source_ = StartSource(QStringLiteral("mp2"), QStringLiteral("/radio"));
    mp3Source_ = StartSource(QStringLiteral("mp3"), QStringLiteral("/mp3"));
    QTRY_VERIFY_WITH_TIMEOUT(
        [this] {
            QNetworkAccessManager network;
            QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1/status-json.xsl").arg(port_)));
            std::unique_ptr<QNetworkReply> reply(network.get(request));
            QElapsedTimer clock;
            clock.start();
            while (!reply->isFinished() && clock.elapsed() < 2000)
                QTest::qWait(50);
            const QByteArray status = reply->readAll();
            return status.contains("/radio") && status.contains("/mp3");
        }(),
        15000);

    const std::string passphrase = BuildStreamPassphrase();
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>\n");
    const QList<std::pair<int, const char*>> channels = {{0, "/radio"}, {1, "/radio"}, {0, "/mp3"}};
    for (int index = 0; index < channels.size(); ++index) {
        const auto& [kind, mount] = channels[index];
        const QString address = QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(QLatin1String(mount));
        const std::string protectedUrl = EncipherString(address.toStdString(), passphrase, KeySize::Key256);
        xml += QStringLiteral("<item><id>%1</id><name>Radio %1</name><country>Test</country><bandwidth>128k</bandwidth>"
                              "<type2>radio</type2><imgindex>%2</imgindex><url>%3</url></item>\n")
                   .arg(index + 1)
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
    for (auto* process : {mp2Source_.get(), mp3Source_.get(), icecast_.get()}) {
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
    return PlayerPageTexts(*page_);
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
    SetTitle(QStringLiteral("/radio"), first);
    QVERIFY(!QTest::currentTestFailed());
    QSignalSpy heard(profile_.get(), &PlayerProfile::NowPlayingChanged);
    Play(id.constData());
    const QString failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QTRY_VERIFY2_WITH_TIMEOUT(StatusTexts().contains(QStringLiteral("Playing: ") + first), qPrintable(StatusTexts()),
                              10000);
    QTRY_VERIFY_WITH_TIMEOUT(!heard.isEmpty() && heard.last().at(0).toString() == first, 5000);

    SetTitle(QStringLiteral("/radio"), second);
    QVERIFY(!QTest::currentTestFailed());
    QTRY_VERIFY2_WITH_TIMEOUT(StatusTexts().contains(QStringLiteral("Playing: ") + second), qPrintable(StatusTexts()),
                              10000);
    QTRY_VERIFY_WITH_TIMEOUT(heard.last().at(0).toString() == second, 5000);

    // The page goes: the host hears that nothing plays a title any more.
    view_.reset();
    page_.reset();
    QTRY_VERIFY_WITH_TIMEOUT(heard.last().at(0).toString().isEmpty(), 10000);
}

// The page plays MP3 itself; the host reads the titles in a connection of its own, which ends when
// the page pauses or goes.
void GatewayTitles::radioThatThePagePlaysItselfShowsItsTitle()
{
    const QString first = QStringLiteral("Nina Simone - Feeling Good");
    const QString second = QStringLiteral(u"Édith Piaf - Non, je ne regrette rien");
    SetTitle(QStringLiteral("/mp3"), first);
    QVERIFY(!QTest::currentTestFailed());
    QSignalSpy heard(profile_.get(), &PlayerProfile::NowPlayingChanged);
    Play("3");
    const QString failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QVERIFY(RunJavaScript(*page_, QStringLiteral("zentavoMediaWatch.media.currentSrc.indexOf('/mp3') > 0")).toBool());
    QTRY_VERIFY2_WITH_TIMEOUT(StatusTexts().contains(QStringLiteral("Playing: ") + first), qPrintable(StatusTexts()),
                              10000);
    QTRY_VERIFY_WITH_TIMEOUT(!heard.isEmpty() && heard.last().at(0).toString() == first, 5000);
    SetTitle(QStringLiteral("/mp3"), second);
    QVERIFY(!QTest::currentTestFailed());
    QTRY_VERIFY2_WITH_TIMEOUT(StatusTexts().contains(QStringLiteral("Playing: ") + second), qPrintable(StatusTexts()),
                              10000);
    QTRY_VERIFY_WITH_TIMEOUT(heard.last().at(0).toString() == second, 5000);
    QVERIFY(SocketsToServer() >= 1);

    // Pause: the page stops asking, the reader ends, and the host hears that no title plays.
    RunJavaScript(*page_, QStringLiteral("document.NSPlay.Pause(); true"));
    QTRY_VERIFY_WITH_TIMEOUT(heard.last().at(0).toString().isEmpty(), 10000);
    view_.reset();
    page_.reset();
    QTRY_COMPARE_WITH_TIMEOUT(SocketsToServer(), 0, 10000);
}

// Connections of this process (the host's and the page engine's network) to the Icecast server.
int GatewayTitles::SocketsToServer()
{
    QSet<QString> inodes;
    QFile file(QStringLiteral("/proc/net/tcp"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    file.readLine();
    while (!file.atEnd()) {
        const QStringList fields = QString::fromLatin1(file.readLine()).simplified().split(QLatin1Char(' '));
        if (fields.size() >= 10 && fields[2].section(QLatin1Char(':'), 1).toUInt(nullptr, 16) == port_
            && fields[3] == QLatin1String("01"))
            inodes.insert(QStringLiteral("socket:[%1]").arg(fields[9]));
    }
    int count = 0;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : fds.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)) {
        if (inodes.contains(QFile::symLinkTarget(fds.filePath(fd)).section(QLatin1Char('/'), -1)))
            ++count;
    }
    return count;
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
