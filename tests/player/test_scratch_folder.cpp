// The scratch folder: where it lies, who may own it, the page file format, and clearing it
// without following symbolic links.

#include "player/scratch_folder.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace zentavo;
namespace fs = std::filesystem;

Q_DECLARE_METATYPE(std::string)

namespace {

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

QByteArray Bytes(const std::string& text) { return QByteArray(text.data(), static_cast<qsizetype>(text.size())); }

// Runs the body with XDG_RUNTIME_DIR unset, so that the folder lies under the system temporary folder.
class WithoutRuntimeFolder {
public:
    WithoutRuntimeFolder() : saved_(qgetenv("XDG_RUNTIME_DIR")) { qunsetenv("XDG_RUNTIME_DIR"); }
    ~WithoutRuntimeFolder() { qputenv("XDG_RUNTIME_DIR", saved_); }
    WithoutRuntimeFolder(const WithoutRuntimeFolder&) = delete;
    WithoutRuntimeFolder& operator=(const WithoutRuntimeFolder&) = delete;

private:
    QByteArray saved_;
};

fs::path PrivateBase() { return fs::path(QDir::tempPath().toStdString()) / ("zentavo-" + std::to_string(::getuid())); }

} // namespace

class ScratchFolderTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        ClearScratchFolder();
        std::error_code ignored;
        fs::remove_all(PrivateBase(), ignored);
    }

    void liesInTheRuntimeFolderWhenThereIsOne()
    {
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        QVERIFY(!runtime.isEmpty());
        QCOMPARE(QString::fromStdString(ScratchFolderPath().string()),
                 QString::fromLocal8Bit(runtime) + QStringLiteral("/zvoplayer"));
    }

    void otherwiseLiesInAPrivateFolderOfTheUser()
    {
        WithoutRuntimeFolder without;
        const fs::path folder = ScratchFolderPath();
        QCOMPARE(QString::fromStdString(folder.string()),
                 QString::fromStdString((PrivateBase() / "zvoplayer").string()));
        struct stat info {};
        QCOMPARE(::lstat(PrivateBase().c_str(), &info), 0);
        QVERIFY(S_ISDIR(info.st_mode));
        QCOMPARE(info.st_mode & 0777, 0700u);
        QCOMPARE(info.st_uid, ::getuid());

        const fs::path page = WritePageFile("x");
        QCOMPARE(QString::fromStdString(page.parent_path().string()), QString::fromStdString(folder.string()));
    }

    void refusesAPlantedOrOpenPrivateFolder()
    {
        WithoutRuntimeFolder without;
        QTemporaryDir elsewhere;
        // Another user could have planted a link to a folder of their choice ...
        fs::create_directory_symlink(elsewhere.path().toStdString(), PrivateBase());
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, ScratchFolderPath());
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, WritePageFile("x"));
        QVERIFY(QDir(elsewhere.path()).isEmpty());
        fs::remove(PrivateBase());
        // ... or a folder that others may write into.
        fs::create_directory(PrivateBase());
        fs::permissions(PrivateBase(), fs::perms(0777));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, ScratchFolderPath());
    }

    void pageFileEndsEveryLineWithCrLf_data()
    {
        QTest::addColumn<std::string>("page");
        QTest::addColumn<std::string>("file");
        QTest::newRow("empty page, empty file") << std::string() << std::string();
        QTest::newRow("one line without end") << std::string("a") << std::string("a\r\n");
        QTest::newRow("LF") << std::string("a\nb\n") << std::string("a\r\nb\r\n");
        QTest::newRow("CR") << std::string("a\rb") << std::string("a\r\nb\r\n");
        QTest::newRow("CR LF kept") << std::string("a\r\nb\r\n") << std::string("a\r\nb\r\n");
        QTest::newRow("mixed") << std::string("a\rb\nc\r\nd") << std::string("a\r\nb\r\nc\r\nd\r\n");
        QTest::newRow("empty lines") << std::string("a\n\nb") << std::string("a\r\n\r\nb\r\n");
        QTest::newRow("only a line break") << std::string("\n") << std::string("\r\n");
        QTest::newRow("CR CR LF is two lines") << std::string("a\r\r\nb") << std::string("a\r\n\r\nb\r\n");
        QTest::newRow("LF CR is two line ends") << std::string("a\n\rb") << std::string("a\r\n\r\nb\r\n");
        QTest::newRow("bytes stand as they are") << std::string("caf\xE9 \xC3\xA9\t\x01", 9)
                                                 << std::string("caf\xE9 \xC3\xA9\t\x01\r\n", 11);
        QTest::newRow("zero byte kept") << std::string("a\0b", 3) << std::string("a\0b\r\n", 5);
    }
    void pageFileEndsEveryLineWithCrLf()
    {
        QFETCH(std::string, page);
        QFETCH(std::string, file);
        QCOMPARE(Bytes(ReadBytes(WritePageFile(page))), Bytes(file));
    }

    void everyPageGetsANewGuidName()
    {
        static const QRegularExpression guid(
            QStringLiteral("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$"));
        const fs::path first = WritePageFile("same page");
        const fs::path second = WritePageFile("same page");
        QVERIFY(first != second);
        for (const fs::path& page : {first, second}) {
            QCOMPARE(QString::fromStdString(page.parent_path().string()),
                     QString::fromStdString(ScratchFolderPath().string()));
            const QString name = QString::fromStdString(page.filename().string());
            QCOMPARE(name.size(), 38);
            QVERIFY2(guid.match(name).hasMatch(), qPrintable(name));
        }
    }

    void aPageThatCannotBeWrittenIsAnError()
    {
        // A file where the folder should be: neither the folder nor the page can be made.
        fs::remove_all(ScratchFolderPath());
        WriteBytes(ScratchFolderPath(), "not a folder");
        try {
            WritePageFile("page");
            QFAIL("writing into a file must fail");
        } catch (const std::runtime_error& error) {
            QVERIFY2(QString::fromUtf8(error.what()).startsWith(QStringLiteral("Cannot create file \"")), error.what());
        }
        fs::remove(ScratchFolderPath());
    }

    void clearingRemovesEverythingInTheFolder()
    {
        const fs::path folder = ScratchFolderPath();
        WritePageFile("ours");
        fs::create_directories(folder / "sub" / "deeper");
        WriteBytes(folder / "sub" / "deeper" / "left by an earlier run", "x");
        WriteBytes(folder / "readme.txt", "not ours");
        ClearScratchFolder();
        QVERIFY(!fs::exists(fs::symlink_status(folder)));
        // A folder that does not exist is no error.
        ClearScratchFolder();
        QVERIFY(!fs::exists(fs::symlink_status(folder)));
    }

    void clearingNeverFollowsSymbolicLinks()
    {
        QTemporaryDir outside;
        const fs::path target = outside.path().toStdString();
        fs::create_directory(target / "folder");
        WriteBytes(target / "folder" / "keep.txt", "keep");
        WriteBytes(target / "file.txt", "keep");

        const fs::path folder = ScratchFolderPath();
        WritePageFile("page");
        fs::create_directory_symlink(target / "folder", folder / "link-to-folder");
        fs::create_symlink(target / "file.txt", folder / "link-to-file");
        fs::create_directory(folder / "sub");
        fs::create_directory_symlink(target, folder / "sub" / "link-to-outside");
        ClearScratchFolder();

        QVERIFY(!fs::exists(fs::symlink_status(folder)));
        QCOMPARE(QString::fromStdString(ReadBytes(target / "folder" / "keep.txt")), QStringLiteral("keep"));
        QCOMPARE(QString::fromStdString(ReadBytes(target / "file.txt")), QStringLiteral("keep"));
    }

    void clearingAScratchFolderThatIsALinkRemovesOnlyTheLink()
    {
        QTemporaryDir outside;
        const fs::path target = outside.path().toStdString();
        WriteBytes(target / "keep.txt", "keep");
        const fs::path folder = ScratchFolderPath();
        fs::remove_all(folder);
        fs::create_directory_symlink(target, folder);
        ClearScratchFolder();
        QVERIFY(!fs::exists(fs::symlink_status(folder)));
        QCOMPARE(QString::fromStdString(ReadBytes(target / "keep.txt")), QStringLiteral("keep"));
    }
};

QTEST_GUILESS_MAIN(ScratchFolderTest)
#include "test_scratch_folder.moc"
