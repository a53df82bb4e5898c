// Now playing through the media gateway, end to end: an Icecast server (Debian's icecast2, started
// here on 127.0.0.1 and fed by ffmpeg) sends the title of what plays in its ICY metadata; the
// Windows Media page's status bar and the Real page's message line show it while playing, the host
// hears it (for the desktop's media controls), and both follow when the server's title changes.
// Two mounts: MP2, which the page's engine does not decode, so that it plays through the gateway; and
// MP3, which the page plays itself while the host reads the titles beside it.

#include "crypto/stream_passphrase.h"
#include "crypto/string_cipher.h"
#include "player/gateway/gateway_scheme_handler.h"
#include "player/page_generation.h"
#include "player/player_page.h"
#include "player/player_profile.h"
#include "player/scratch_folder.h"
#include "tests/support/icecast_server.h"
#include "tests/support/page_script.h"
#include "tests/support/player_page_fixture.h"
#include "tests/support/test_media.h"
#include "tests/support/waits.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <memory>

using namespace zentavo;
using namespace zentavo::test;

namespace {

constexpr int kPlayTimeoutMs = 40000;
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
    void fastTitlesReachTheHostOnceASecondEndingOnTheLast();

private:
    void SetTitle(const QString& mount, const QString& title);
    int SocketsToServer();
    void Play(const char* id);
    QString StatusTexts();

    std::unique_ptr<SharedFolder> folder_;
    std::unique_ptr<IcecastServer> icecast_;
    std::unique_ptr<ServerProcess> mp2Source_;
    std::unique_ptr<ServerProcess> mp3Source_;
    std::unique_ptr<test::PlayerPageFixture> pages_;
    PlayerProfile* profile_ = nullptr;
    PlayerPage* page_ = nullptr;
};

// Through Icecast's admin interface, as a radio's playout system does.
void GatewayTitles::SetTitle(const QString& mount, const QString& title)
{
    try {
        icecast_->SetTitle(mount, title);
    } catch (const std::exception& error) {
        QFAIL(error.what());
    }
}

void GatewayTitles::initTestCase()
{
    try {
        folder_ = std::make_unique<SharedFolder>();
        icecast_ = std::make_unique<IcecastServer>(*folder_);
        // The mounts exist once their sources are connected.
        mp2Source_ = icecast_->StartToneSource(QStringLiteral("/radio"), QStringLiteral("mp2"));
        mp3Source_ = icecast_->StartToneSource(QStringLiteral("/mp3"), QStringLiteral("mp3"));
        icecast_->WaitForMount(QStringLiteral("/radio"));
        icecast_->WaitForMount(QStringLiteral("/mp3"));
    } catch (const std::exception& error) {
        QFAIL(error.what());
    }

    const std::string passphrase = BuildStreamPassphrase();
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>\n");
    const QList<std::pair<int, const char*>> channels = {{0, "/radio"}, {1, "/radio"}, {0, "/mp3"}};
    for (int index = 0; index < channels.size(); ++index) {
        const auto& [kind, mount] = channels[index];
        const QString address = icecast_->Url(QLatin1String(mount));
        const std::string protectedUrl = EncipherString(address.toStdString(), passphrase, KeySize::Key256);
        xml += QStringLiteral("<item><id>%1</id><name>Radio %1</name><country>Test</country><bandwidth>128k</bandwidth>"
                              "<type2>radio</type2><imgindex>%2</imgindex><url>%3</url></item>\n")
                   .arg(index + 1)
                   .arg(kind)
                   .arg(QString::fromStdString(protectedUrl));
    }
    xml += QStringLiteral("</items>\n");
    WriteTextFile(folder_->path(), QStringLiteral("radio-all.xml"), xml);
    pages_ = std::make_unique<test::PlayerPageFixture>(folder_->filePath(QStringLiteral("radio-all.xml")));
    profile_ = &pages_->Profile();
}

void GatewayTitles::cleanupTestCase()
{
    profile_ = nullptr;
    pages_.reset();
    mp2Source_.reset();
    mp3Source_.reset();
    icecast_.reset();
}

void GatewayTitles::init()
{
    page_ = &pages_->Open();
}

void GatewayTitles::cleanup()
{
    pages_->Close();
    page_ = nullptr;
}

void GatewayTitles::Play(const char* id)
{
    pages_->Play(id);
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
    QSignalSpy heard(profile_, &PlayerProfile::NowPlayingChanged);
    Play(id.constData());
    const QString failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QTRY_VERIFY2_WITH_TIMEOUT(StatusTexts().contains(QStringLiteral("Playing: ") + first), qPrintable(StatusTexts()),
                              test::Limit(10000));
    QTRY_VERIFY_WITH_TIMEOUT(!heard.isEmpty() && heard.last().at(0).toString() == first, test::Limit(5000));

    SetTitle(QStringLiteral("/radio"), second);
    QVERIFY(!QTest::currentTestFailed());
    QTRY_VERIFY2_WITH_TIMEOUT(StatusTexts().contains(QStringLiteral("Playing: ") + second), qPrintable(StatusTexts()),
                              test::Limit(10000));
    QTRY_VERIFY_WITH_TIMEOUT(heard.last().at(0).toString() == second, test::Limit(5000));

    // The page goes: the host hears that nothing plays a title any more.
    pages_->Close();
    page_ = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT(heard.last().at(0).toString().isEmpty(), test::Limit(10000));
}

// The page plays MP3 itself; the host reads the titles in a connection of its own, which ends when
// the page pauses or goes.
void GatewayTitles::radioThatThePagePlaysItselfShowsItsTitle()
{
    const QString first = QStringLiteral("Nina Simone - Feeling Good");
    const QString second = QStringLiteral(u"Édith Piaf - Non, je ne regrette rien");
    SetTitle(QStringLiteral("/mp3"), first);
    QVERIFY(!QTest::currentTestFailed());
    QSignalSpy heard(profile_, &PlayerProfile::NowPlayingChanged);
    Play("3");
    const QString failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QVERIFY(RunJavaScript(*page_, QStringLiteral("zentavoMediaWatch.media.currentSrc.indexOf('/mp3') > 0")).toBool());
    QTRY_VERIFY2_WITH_TIMEOUT(StatusTexts().contains(QStringLiteral("Playing: ") + first), qPrintable(StatusTexts()),
                              test::Limit(10000));
    QTRY_VERIFY_WITH_TIMEOUT(!heard.isEmpty() && heard.last().at(0).toString() == first, test::Limit(5000));
    SetTitle(QStringLiteral("/mp3"), second);
    QVERIFY(!QTest::currentTestFailed());
    QTRY_VERIFY2_WITH_TIMEOUT(StatusTexts().contains(QStringLiteral("Playing: ") + second), qPrintable(StatusTexts()),
                              test::Limit(10000));
    QTRY_VERIFY_WITH_TIMEOUT(heard.last().at(0).toString() == second, test::Limit(5000));
    QVERIFY(SocketsToServer() >= 1);

    // Pause: the page stops asking, the reader ends, and the host hears that no title plays.
    RunJavaScript(*page_, QStringLiteral("document.NSPlay.Pause(); true"));
    QTRY_VERIFY_WITH_TIMEOUT(heard.last().at(0).toString().isEmpty(), test::Limit(10000));
    pages_->Close();
    page_ = nullptr;
    QTRY_COMPARE_WITH_TIMEOUT(SocketsToServer(), 0, test::Limit(10000));
}

// Both paths of the titles (the gateway's reading, the reader the page asks for) leave the gateway
// by its TitleChanged; fifty titles a second from there reach the host at most once a second, and
// the last one is never lost.
void GatewayTitles::fastTitlesReachTheHostOnceASecondEndingOnTheLast()
{
    auto* gateway = profile_->findChild<GatewaySchemeHandler*>();
    QVERIFY(gateway);
    QSignalSpy heard(profile_, &PlayerProfile::NowPlayingChanged);
    constexpr int kTitles = 100;
    int sent = 0;
    QTimer source;
    source.setInterval(20);
    connect(&source, &QTimer::timeout, this, [&] {
        emit gateway->TitleChanged(QStringLiteral("Fast Radio - Song %1").arg(++sent));
        if (sent == kTitles)
            source.stop();
    });
    QElapsedTimer clock;
    clock.start();
    source.start();
    const QString last = QStringLiteral("Fast Radio - Song %1").arg(kTitles);
    QTRY_VERIFY_WITH_TIMEOUT(!heard.isEmpty() && heard.last().at(0).toString() == last, test::Limit(15000));
    QCOMPARE(sent, kTitles);
    QVERIFY2(heard.size() <= 2 + clock.elapsed() / 1000, qPrintable(QString::number(heard.size())));
    QVERIFY(heard.size() >= 2);
    // Nothing follows the last title.
    const qsizetype count = heard.size();
    QVERIFY(test::StaysFor(std::chrono::milliseconds(1500), [&] { return heard.size() == count; }));
    emit gateway->TitleChanged(QString());
    QTRY_VERIFY_WITH_TIMEOUT(heard.last().at(0).toString().isEmpty(), test::Limit(5000));
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
        if (fields.size() >= 10 && fields[2].section(QLatin1Char(':'), 1).toUInt(nullptr, 16) == icecast_->Port()
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
