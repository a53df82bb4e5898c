// Channel logos: what is fetched and from where, the limits of a fetch, failures that are not tried
// again, the disk cache and its bound, and the files and folders the disk cache leaves alone.
#include "channels/logos/logo_cache.h"
#include "channels/logos/logo_decoder.h"
#include "channels/logos/logo_disk_cache.h"
#include "tests/support/media_server.h"
#include "tests/support/waits.h"

#include <QtTest>

#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QMap>
#include <QRandomGenerator>

#include <cstdio>
#include <utility>

using namespace zentavo;
using zentavo::test::MediaServer;

namespace {

QByteArray Encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage Filled(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

// Pixels that do not compress, so every stored logo takes about the same room.
QImage Noise(int side, quint32 seed)
{
    QRandomGenerator random(seed);
    QImage image(side, side, QImage::Format_ARGB32);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            image.setPixel(x, y, random.generate() | 0xFF000000U);
    return image;
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The names and contents of the files in a folder.
QMap<QString, QByteArray> Contents(const QString& folder)
{
    QMap<QString, QByteArray> contents;
    for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden)) {
        QFile file(info.filePath());
        contents.insert(info.fileName(), file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable"));
    }
    return contents;
}

// Counts the warnings logged while it lives.
class WarningCount {
public:
    WarningCount() : previous_(qInstallMessageHandler(&WarningCount::Handle)) { count_ = 0; }
    ~WarningCount() { qInstallMessageHandler(previous_); }
    int Count() const { return count_; }

private:
    static void Handle(QtMsgType type, const QMessageLogContext&, const QString& message)
    {
        if (type == QtWarningMsg) {
            ++count_;
            std::fprintf(stderr, "warning: %s\n", qPrintable(message));
        }
    }
    QtMessageHandler previous_;
    static inline int count_ = 0;
};

LogoCacheOptions Options(const QString& folder, int timeoutMs = 5000)
{
    LogoCacheOptions options;
    options.folder = folder;
    options.fetch.timeoutMs = timeoutMs;
    return options;
}

} // namespace

class LogoCacheTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void decodesToASquareIcon_data();
    void decodesToASquareIcon();
    void fetchesAShownLogoOnceAndKeepsItOnDisk();
    void failedLogosAreNotAskedForAgain_data();
    void failedLogosAreNotAskedForAgain();
    void fetchesFourAtATimeAndOnlyWhatIsShownNow();
    void diskCacheStaysWithinItsBound();
    void evictionTakesOnlyTheCachesOwnFiles();
    void refusesAFolderThatIsNotItsOwn_data();
    void refusesAFolderThatIsNotItsOwn();

private:
    std::unique_ptr<QTemporaryDir> served_, cache_;
    std::unique_ptr<MediaServer> server_;
};

void LogoCacheTest::init()
{
    served_ = std::make_unique<QTemporaryDir>();
    cache_ = std::make_unique<QTemporaryDir>();
    server_ = std::make_unique<MediaServer>(served_->path());
    Write(served_->filePath(QStringLiteral("red.png")), Encoded(Filled({64, 32}, Qt::red), "PNG"));
}

void LogoCacheTest::decodesToASquareIcon_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("decoded");
    QTest::newRow("wide png") << Encoded(Filled({200, 100}, Qt::blue), "PNG") << true;
    QTest::newRow("small jpeg") << Encoded(Filled({10, 20}, Qt::green), "JPEG") << true;
    QTest::newRow("bmp") << Encoded(Filled({48, 48}, Qt::yellow), "BMP") << true;
    QTest::newRow("at the side limit") << Encoded(Filled({kMaxLogoSide, 1}, Qt::red), "PNG") << true;
    QTest::newRow("wider than the limit") << Encoded(Filled({kMaxLogoSide + 1, 1}, Qt::red), "PNG") << false;
    QTest::newRow("svg") << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"20\" height=\"10\">"
                                       "<rect width=\"20\" height=\"10\" fill=\"red\"/></svg>")
                         << true;
    QTest::newRow("svg drawn huge") << QByteArray(
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"90000\" height=\"90000\">"
        "<rect width=\"90000\" height=\"90000\" fill=\"red\"/></svg>")
                                    << true;
    QTest::newRow("web page") << QByteArray("<!DOCTYPE html><html><body>Not found</body></html>") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("cut png") << Encoded(Filled({64, 64}, Qt::red), "PNG").left(40) << false;
}

void LogoCacheTest::decodesToASquareIcon()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, decoded);
    const std::optional<QImage> logo = DecodeLogo(bytes, 32);
    QCOMPARE(logo.has_value(), decoded);
    if (logo) {
        QCOMPARE(logo->size(), QSize(32, 32));
        // The picture is drawn across the middle.
        int drawn = 0;
        for (int y = 0; y < 32; ++y)
            drawn += logo->pixelColor(16, y).alpha() > 0 ? 1 : 0;
        QVERIFY(drawn > 0);
    }
}

void LogoCacheTest::fetchesAShownLogoOnceAndKeepsItOnDisk()
{
    const QString address = server_->Url(QStringLiteral("red.png")).toString();
    {
        LogoCache cache(Options(cache_->path()));
        QSignalSpy ready(&cache, &LogoCache::LogoReady);
        QVERIFY(cache.Logo(address).isNull());
        cache.Show({address, address});
        QTRY_COMPARE_WITH_TIMEOUT(ready.size(), 1, test::Limit(5000));
        QCOMPARE(ready.first().first().toString(), address);
        const QImage shown = cache.Logo(address).pixmap(32, 32).toImage();
        QCOMPARE(shown.size(), QSize(32, 32));
        // 64 x 32 fits as 32 x 16, centred: transparent above, red in the middle.
        QCOMPARE(shown.pixelColor(16, 2).alpha(), 0);
        QCOMPARE(shown.pixelColor(16, 16).rgb(), QColor(Qt::red).rgb());
        QVERIFY(QFileInfo::exists(cache.Disk().FilePath(address)));
        QVERIFY(cache.Disk().FilePath(address).startsWith(cache_->path()));
        cache.Show({address});
        QCOMPARE(server_->RequestCount(QStringLiteral("red.png")), 1);
    }
    // The next session finds it on disk at once, without a request.
    LogoCache later(Options(cache_->path()));
    QSignalSpy ready(&later, &LogoCache::LogoReady);
    later.Show({address});
    QCOMPARE(ready.size(), 1);
    QVERIFY(!later.Logo(address).isNull());
    QCOMPARE(server_->RequestCount(QStringLiteral("red.png")), 1);
}

void LogoCacheTest::failedLogosAreNotAskedForAgain_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << "missing.png"
                             << "";
    QTest::newRow("larger than the limit") << "big.png"
                                           << "larger than 524288 bytes";
    QTest::newRow("web page as png") << "page.png"
                                     << "not a picture";
    QTest::newRow("server error") << "error.png"
                                  << "";
    QTest::newRow("never answers") << "stalled.png"
                                   << "timed out";
    QTest::newRow("closes mid answer") << "cut.png"
                                       << "";
    QTest::newRow("redirect loop") << "loop.png"
                                   << "";
    QTest::newRow("redirect to a picture") << "moved.png"
                                           << "";
}

void LogoCacheTest::failedLogosAreNotAskedForAgain()
{
    QFETCH(QString, path);
    QFETCH(QString, reason);
    // More than the limit, in a picture that would decode: only the limit refuses it.
    Write(served_->filePath(QStringLiteral("big.png")), Encoded(Noise(400, 1), "PNG"));
    QVERIFY(QFileInfo(served_->filePath(QStringLiteral("big.png"))).size() > 512 * 1024);
    Write(served_->filePath(QStringLiteral("page.png")), "<html><body>Channel logo</body></html>");
    server_->SetContentType(QStringLiteral("page.png"), "image/png");
    server_->AnswerStatus(QStringLiteral("error.png"), 500);
    server_->Stall(QStringLiteral("stalled.png"));
    Write(served_->filePath(QStringLiteral("cut.png")), Encoded(Noise(64, 2), "PNG"));
    server_->CloseAfter(QStringLiteral("cut.png"), 50, MediaServer::Closing::MidStream);
    server_->Redirect(QStringLiteral("loop.png"), QStringLiteral("loop.png"));
    server_->Redirect(QStringLiteral("moved.png"), QStringLiteral("red.png"));

    LogoCache cache(Options(cache_->path(), 600));
    QSignalSpy failed(&cache, &LogoCache::LogoFailed);
    QSignalSpy ready(&cache, &LogoCache::LogoReady);
    const QString address = server_->Url(path).toString();
    QElapsedTimer clock;
    clock.start();
    cache.Show({address});
    if (path == QLatin1String("moved.png")) {
        // A redirect to another http address is followed.
        QTRY_COMPARE_WITH_TIMEOUT(ready.size(), 1, test::Limit(5000));
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, test::Limit(5000));
    QVERIFY2(clock.elapsed() < 3000, "a fetch outlived its time limit");
    if (!reason.isEmpty())
        QCOMPARE(failed.first().at(1).toString(), reason);
    QVERIFY(cache.HasFailed(address));
    QVERIFY(cache.Logo(address).isNull());
    QVERIFY(!QFileInfo::exists(cache.Disk().FilePath(address)));
    const int requests = server_->RequestCount(path);
    QVERIFY(requests >= 1);
    cache.Show({address});
    QVERIFY(test::StaysFor(std::chrono::milliseconds(1000),
                           [this, &path, requests] { return server_->RequestCount(path) == requests; }));
    QCOMPARE(failed.size(), 1);
    QCOMPARE(cache.Fetcher().Running(), 0);
}

void LogoCacheTest::fetchesFourAtATimeAndOnlyWhatIsShownNow()
{
    QStringList first, later;
    for (int i = 0; i < 7; ++i) {
        const QString path = QStringLiteral("slow%1.png").arg(i);
        server_->Stall(path);
        (i < 6 ? first : later) << server_->Url(path).toString();
    }
    LogoCache cache(Options(cache_->path(), 20000));
    cache.Show(first);
    QTRY_COMPARE_WITH_TIMEOUT(cache.Fetcher().Running(), 4, test::Limit(5000));
    QTRY_COMPARE_WITH_TIMEOUT(server_->RequestCount(QStringLiteral("slow3.png")), 1, test::Limit(5000));
    QCOMPARE(cache.Fetcher().Waiting(), 2);
    // The list scrolled on: the two waiting rows are off screen now and never fetched.
    cache.Show(later);
    QCOMPARE(cache.Fetcher().Waiting(), 1);
    const auto requested = [this] {
        int count = 0;
        for (int i = 0; i < 7; ++i)
            count += server_->RequestCount(QStringLiteral("slow%1.png").arg(i));
        return count;
    };
    QVERIFY(test::StaysFor(std::chrono::milliseconds(1000), [&requested] { return requested() == 4; }));
    QCOMPARE(server_->RequestCount(QStringLiteral("slow4.png")), 0);
    QCOMPARE(server_->RequestCount(QStringLiteral("slow6.png")), 0);

    // Addresses that are no http(s) addresses fail without a request.
    QSignalSpy failed(&cache, &LogoCache::LogoFailed);
    cache.Show({QStringLiteral("file:///etc/hostname"), QStringLiteral("ftp://127.0.0.1/a.png")});
    QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 2, test::Limit(5000));
}

void LogoCacheTest::diskCacheStaysWithinItsBound()
{
    const QImage sample = Noise(32, 7);
    const qint64 one = Encoded(sample, "PNG").size();
    LogoDiskCache disk(cache_->path() + QStringLiteral("/logos"), 5 * one + one / 2);
    const QDateTime start = QDateTime::currentDateTimeUtc().addSecs(-100);
    const auto address = [](int i) { return QStringLiteral("https://logos.example/%1.png").arg(i); };
    for (int i = 0; i < 12; ++i) {
        QVERIFY(disk.Store(address(i), Noise(32, 100 + static_cast<quint32>(i))));
        // Stored one second apart, so that "used longest ago" is unambiguous.
        QFile file(disk.FilePath(address(i)));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(start.addSecs(i), QFileDevice::FileModificationTime));
        if (i == 3)
            QVERIFY(disk.Load(address(1))); // used again: kept over the ones stored after it
        QVERIFY(disk.TotalBytes() <= disk.MaxBytes());
    }
    qint64 total = 0;
    for (const QFileInfo& info : QDir(cache_->path() + QStringLiteral("/logos")).entryInfoList(QDir::Files))
        total += info.size();
    QCOMPARE(total, disk.TotalBytes());
    QVERIFY(total <= disk.MaxBytes());
    QVERIFY(disk.Load(address(11)));
    QVERIFY(disk.Load(address(10)));
    QVERIFY(disk.Load(address(1)));
    QVERIFY(!disk.Load(address(0)));
    QVERIFY(!disk.Load(address(2)));
    // A new session counts what the folder holds.
    LogoDiskCache again(cache_->path() + QStringLiteral("/logos"), disk.MaxBytes());
    QCOMPARE(again.TotalBytes(), total);
}

void LogoCacheTest::evictionTakesOnlyTheCachesOwnFiles()
{
    const QString folder = cache_->path() + QStringLiteral("/logos");
    QVERIFY(QDir().mkpath(folder));
    // Pictures of the user's and files near the cache's naming, all used long ago; a link of the
    // cache's naming to a picture elsewhere.
    const QString hash(64, QLatin1Char('a'));
    const QByteArray picture = Encoded(Noise(64, 3), "PNG");
    for (const QString& name : {QStringLiteral("holiday.png"), QString(64, QLatin1Char('A')) + QStringLiteral(".png"),
                                hash + QStringLiteral(".jpg"), hash.left(63) + QStringLiteral(".png")})
        Write(QDir(folder).filePath(name), picture);
    Write(cache_->filePath(QStringLiteral("elsewhere.png")), picture);
    QVERIFY(QFile::link(cache_->filePath(QStringLiteral("elsewhere.png")),
                        QDir(folder).filePath(hash + QStringLiteral(".png"))));
    const QDateTime longAgo = QDateTime::currentDateTimeUtc().addDays(-100);
    for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files | QDir::NoSymLinks)) {
        QFile file(info.filePath());
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(longAgo, QFileDevice::FileModificationTime));
    }
    const QMap<QString, QByteArray> before = Contents(folder);

    const qint64 one = Encoded(Noise(32, 7), "PNG").size();
    LogoDiskCache disk(folder, 5 * one + one / 2);
    QCOMPARE(disk.TotalBytes(), qint64{0});
    for (int i = 0; i < 12; ++i) {
        QVERIFY(disk.Store(QStringLiteral("https://logos.example/%1.png").arg(i), Noise(32, 100 + quint32(i))));
        QVERIFY(disk.TotalBytes() <= disk.MaxBytes());
    }
    QMap<QString, QByteArray> after = Contents(folder);
    qint64 own = 0;
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        QCOMPARE(after.value(it.key()), it.value());
        after.remove(it.key());
    }
    for (const QByteArray& bytes : std::as_const(after))
        own += bytes.size();
    QCOMPARE(own, disk.TotalBytes());
    QVERIFY(after.size() <= 5);
    QVERIFY(QFileInfo(QDir(folder).filePath(hash + QStringLiteral(".png"))).isSymLink());
    QCOMPARE(Contents(cache_->path()).value(QStringLiteral("elsewhere.png")), picture);
    // The link is no logo of the cache: its address finds nothing, and storing it replaces the
    // link, not the picture it points to.
    const QString linked = QStringLiteral("https://logos.example/linked.png");
    LogoDiskCache named(cache_->path() + QStringLiteral("/named"), disk.MaxBytes());
    QVERIFY(QDir().mkpath(cache_->path() + QStringLiteral("/named")));
    QVERIFY(QFile::link(cache_->filePath(QStringLiteral("elsewhere.png")), named.FilePath(linked)));
    QVERIFY(!named.Load(linked));
    QVERIFY(named.Store(linked, Noise(32, 5)));
    QVERIFY(!QFileInfo(named.FilePath(linked)).isSymLink());
    QCOMPARE(Contents(cache_->path()).value(QStringLiteral("elsewhere.png")), picture);
}

void LogoCacheTest::refusesAFolderThatIsNotItsOwn_data()
{
    QTest::addColumn<bool>("link");
    QTest::newRow("a link to a folder of pictures") << true;
    QTest::newRow("a file") << false;
}

void LogoCacheTest::refusesAFolderThatIsNotItsOwn()
{
    QFETCH(bool, link);
    const QString address = server_->Url(QStringLiteral("red.png")).toString();
    const QString folder = cache_->path() + QStringLiteral("/logos");
    const QString pictures = cache_->path() + QStringLiteral("/pictures");
    QVERIFY(QDir().mkpath(pictures));
    // The pictures include one of the cache's naming for the address asked for.
    for (int i = 0; i < 8; ++i)
        Write(QDir(pictures).filePath(QStringLiteral("photo-%1.png").arg(i)), Encoded(Noise(32, quint32(i)), "PNG"));
    const QString ownName = QFileInfo(LogoDiskCache(folder, 0).FilePath(address)).fileName();
    Write(QDir(pictures).filePath(ownName), Encoded(Filled({32, 32}, Qt::blue), "PNG"));
    if (link)
        QVERIFY(QFile::link(pictures, folder));
    else
        Write(folder, "not a folder");
    const QMap<QString, QByteArray> before = Contents(pictures);

    const WarningCount warnings;
    {
        // A bound below one logo: anything the cache may remove, it would.
        LogoDiskCache disk(folder, 1);
        QCOMPARE(disk.TotalBytes(), qint64{0});
        QVERIFY(!disk.Load(address));
        for (int i = 0; i < 4; ++i)
            QVERIFY(!disk.Store(QStringLiteral("https://logos.example/%1.png").arg(i), Noise(32, quint32(i))));
        QVERIFY(disk.Refused());
    }
    QCOMPARE(warnings.Count(), 1);

    // The lists still show the logo, from memory; one warning again for the session.
    LogoCacheOptions options = Options(folder);
    options.maxDiskBytes = 1;
    LogoCache cache(options);
    QSignalSpy ready(&cache, &LogoCache::LogoReady);
    cache.Show({address});
    QTRY_COMPARE_WITH_TIMEOUT(ready.size(), 1, test::Limit(5000));
    QCOMPARE(cache.Logo(address).pixmap(32, 32).toImage().pixelColor(16, 16).rgb(), QColor(Qt::red).rgb());
    QCOMPARE(server_->RequestCount(QStringLiteral("red.png")), 1);
    QCOMPARE(warnings.Count(), 2);

    QCOMPARE(Contents(pictures), before);
    QCOMPARE(QFileInfo(folder).isSymLink(), link);
}

QTEST_MAIN(LogoCacheTest)
#include "test_logo_cache.moc"
