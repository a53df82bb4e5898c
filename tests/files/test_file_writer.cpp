// The file writer: a new file is created only where nothing is, and never through a link.
#include "files/file_descriptor.h"
#include "files/file_error.h"
#include "files/file_writer.h"

#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace zentavo;
namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace

class FileWriterTest : public QObject {
    Q_OBJECT

private slots:
    void aNewFileIsCreatedOnlyWhereNothingIs_data()
    {
        QTest::addColumn<QString>("planted");
        QTest::newRow("a file") << QStringLiteral("file");
        QTest::newRow("a link to a file") << QStringLiteral("link");
        QTest::newRow("a link to nothing yet") << QStringLiteral("dangling");
        QTest::newRow("a folder") << QStringLiteral("folder");
    }
    void aNewFileIsCreatedOnlyWhereNothingIs()
    {
        QFETCH(QString, planted);
        QTemporaryDir dir;
        const fs::path folder = dir.path().toStdString();
        const fs::path name = folder / "page";
        const fs::path target = folder / "target";
        if (planted == QLatin1String("file")) {
            std::ofstream(name) << "theirs";
        } else if (planted == QLatin1String("folder")) {
            fs::create_directory(name);
        } else {
            if (planted == QLatin1String("link"))
                std::ofstream(target) << "theirs";
            fs::create_symlink(target, name);
        }
        const FileDescriptor folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        QVERIFY(folderFd.IsOpen());

        QVERIFY_THROWS_EXCEPTION(FileError, CreateNewFileAt(folderFd.Get(), "page", "ours", 0600));

        if (planted == QLatin1String("file"))
            QCOMPARE(QString::fromStdString(ReadBytes(name)), QStringLiteral("theirs"));
        else if (planted == QLatin1String("folder"))
            QVERIFY(fs::is_directory(fs::symlink_status(name)));
        else
            QVERIFY(fs::is_symlink(fs::symlink_status(name)));
        if (planted == QLatin1String("link"))
            QCOMPARE(QString::fromStdString(ReadBytes(target)), QStringLiteral("theirs"));
        if (planted == QLatin1String("dangling"))
            QVERIFY(!fs::exists(fs::symlink_status(target)));
    }
};

QTEST_APPLESS_MAIN(FileWriterTest)
#include "test_file_writer.moc"
