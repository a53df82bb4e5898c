// The scratch folder: where it lies, who may own it, the page file format, and which pages each
// player removes (its own, and those of players that have ended; never anything else).

#include "player/scratch_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <sys/file.h>
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

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

QByteArray Bytes(const std::string& text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

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

// Every entry under the folder, links not followed, as paths relative to it, sorted; hidden
// entries (the players' lists of their pages) left out.
QStringList ScratchNames(const fs::path& folder)
{
    QStringList names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with('.'))
            names << QString::fromStdString(entry.path().lexically_relative(folder).string());
    }
    names.sort();
    return names;
}

QStringList HiddenNames(const fs::path& folder)
{
    QStringList names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with('.'))
            names << QString::fromStdString(entry.path().filename().string());
    }
    return names;
}

int RunOtherPlayer(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ScratchFolder scratch;
    std::cout << scratch.WritePage("their page").string() << std::endl;
    std::string command;
    while (std::getline(std::cin, command)) {
        if (command == "clear") {
            scratch.Clear();
            std::cout << "cleared" << std::endl;
        }
    }
    return 0;
}

// A second player process, started from this test program.
class PlayerProcess {
public:
    PlayerProcess()
    {
        process_.setProgram(QCoreApplication::applicationFilePath());
        process_.setArguments({QStringLiteral("--player")});
        process_.start();
    }
    ~PlayerProcess()
    {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(10000))
            process_.kill();
    }
    PlayerProcess(const PlayerProcess&) = delete;
    PlayerProcess& operator=(const PlayerProcess&) = delete;

    fs::path WritePage() { return ReadLine().toStdString(); }
    void Clear()
    {
        process_.write("clear\n");
        QCOMPARE(ReadLine(), QStringLiteral("cleared"));
    }
    void Kill()
    {
        process_.kill();
        process_.waitForFinished(10000);
    }

private:
    QString ReadLine()
    {
        QElapsedTimer waited;
        waited.start();
        while (!process_.canReadLine() && waited.elapsed() < 10000)
            process_.waitForReadyRead(100);
        return QString::fromLocal8Bit(process_.readLine()).trimmed();
    }

    QProcess process_;
};

fs::path PrivateBase()
{
    return fs::path(QDir::tempPath().toStdString()) / ("zentavo-" + std::to_string(::getuid()));
}

} // namespace

class ScratchFolderTest : public QObject {
    Q_OBJECT

    ScratchFolder scratch_; // this player's pages

private slots:
    void cleanup()
    {
        scratch_.Clear();
        std::error_code ignored;
        fs::remove_all(PrivateBase(), ignored);
    }

    void liesInTheRuntimeFolderWhenThereIsOne()
    {
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        QVERIFY(!runtime.isEmpty());
        QCOMPARE(QString::fromStdString(scratch_.Path().string()),
                 QString::fromLocal8Bit(runtime) + QStringLiteral("/zvoplayer"));
    }

    void otherwiseLiesInAPrivateFolderOfTheUser()
    {
        WithoutRuntimeFolder without;
        const fs::path folder = scratch_.Path();
        QCOMPARE(QString::fromStdString(folder.string()),
                 QString::fromStdString((PrivateBase() / "zvoplayer").string()));
        struct stat info {};
        QCOMPARE(::lstat(PrivateBase().c_str(), &info), 0);
        QVERIFY(S_ISDIR(info.st_mode));
        QCOMPARE(info.st_mode & 0777, 0700u);
        QCOMPARE(info.st_uid, ::getuid());

        const fs::path page = scratch_.WritePage("x");
        QCOMPARE(QString::fromStdString(page.parent_path().string()), QString::fromStdString(folder.string()));
    }

    void refusesAPlantedOrOpenPrivateFolder()
    {
        WithoutRuntimeFolder without;
        QTemporaryDir elsewhere;
        // Another user could have planted a link to a folder of their choice ...
        fs::create_directory_symlink(elsewhere.path().toStdString(), PrivateBase());
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, scratch_.Path());
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, scratch_.WritePage("x"));
        QVERIFY(QDir(elsewhere.path()).isEmpty());
        fs::remove(PrivateBase());
        // ... or a folder that others may write into.
        fs::create_directory(PrivateBase());
        fs::permissions(PrivateBase(), fs::perms(0777));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, scratch_.Path());
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
        QTest::newRow("bytes stand as they are")
            << std::string("caf\xE9 \xC3\xA9\t\x01", 9) << std::string("caf\xE9 \xC3\xA9\t\x01\r\n", 11);
        QTest::newRow("zero byte kept") << std::string("a\0b", 3) << std::string("a\0b\r\n", 5);
    }
    void pageFileEndsEveryLineWithCrLf()
    {
        QFETCH(std::string, page);
        QFETCH(std::string, file);
        QCOMPARE(Bytes(ReadBytes(scratch_.WritePage(page))), Bytes(file));
    }

    void everyPageGetsANewGuidName()
    {
        static const QRegularExpression guid(
            QStringLiteral("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$"));
        const fs::path first = scratch_.WritePage("same page");
        const fs::path second = scratch_.WritePage("same page");
        QVERIFY(first != second);
        for (const fs::path& page : {first, second}) {
            QCOMPARE(QString::fromStdString(page.parent_path().string()),
                     QString::fromStdString(scratch_.Path().string()));
            const QString name = QString::fromStdString(page.filename().string());
            QCOMPARE(name.size(), 38);
            QVERIFY2(guid.match(name).hasMatch(), qPrintable(name));
        }
    }

    // A scratch folder that is not the user's own private folder is refused in words, nothing is
    // written into it or through it, and clearing leaves it as it was.
    void anUnsafeScratchFolderIsRefusedAndLeftAlone_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("words");
        QTest::newRow("a link to another folder")
            << QStringLiteral("link") << QStringLiteral("is a symbolic link, not a folder");
        QTest::newRow("a link to nowhere")
            << QStringLiteral("dangling") << QStringLiteral("is a symbolic link, not a folder");
        QTest::newRow("open to everyone") << QStringLiteral("0777") << QStringLiteral("is open to other users");
        QTest::newRow("readable by the group") << QStringLiteral("0750") << QStringLiteral("is open to other users");
        QTest::newRow("a file") << QStringLiteral("file") << QStringLiteral("is not a folder");
        // Only root can give a folder to another user.
        if (::geteuid() == 0)
            QTest::newRow("owned by another user")
                << QStringLiteral("nobody") << QStringLiteral("belongs to another user");
    }
    void anUnsafeScratchFolderIsRefusedAndLeftAlone()
    {
        QFETCH(QString, kind);
        QFETCH(QString, words);
        QTemporaryDir outside;
        const fs::path target = fs::path(outside.path().toStdString()) / "target";
        fs::create_directory(target);
        WriteBytes(target / "someone's file", "keep");
        const fs::path folder = scratch_.Path();
        fs::remove_all(folder);
        if (kind == QLatin1String("link")) {
            fs::create_directory_symlink(target, folder);
        } else if (kind == QLatin1String("dangling")) {
            fs::create_directory_symlink(target / "missing", folder);
        } else if (kind == QLatin1String("file")) {
            WriteBytes(folder, "not a folder");
        } else {
            fs::create_directory(folder);
            WriteBytes(folder / "someone's file", "keep");
            fs::permissions(folder, fs::perms(kind == QLatin1String("nobody") ? 0700 : kind.toUInt(nullptr, 8)));
            if (kind == QLatin1String("nobody"))
                QCOMPARE(::chown(folder.c_str(), 65534, 65534), 0);
        }
        struct stat before {};
        QCOMPARE(::lstat(folder.c_str(), &before), 0);

        try {
            scratch_.WritePage("page");
            QFAIL("the page must not be written");
        } catch (const std::runtime_error& error) {
            QCOMPARE(QString::fromUtf8(error.what()),
                     QStringLiteral("The scratch folder \"%1\" %2; remove it and try again")
                         .arg(QString::fromStdString(folder.string()), words));
        }
        scratch_.Clear();

        struct stat after {};
        QCOMPARE(::lstat(folder.c_str(), &after), 0);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_ino, before.st_ino);
        const fs::path inside = S_ISDIR(after.st_mode) ? folder : target;
        QCOMPARE(QString::fromStdString(ReadBytes(inside / "someone's file")), QStringLiteral("keep"));
        QCOMPARE(std::distance(fs::directory_iterator(inside), fs::directory_iterator()), 1);
        QVERIFY(!fs::exists(target / "missing"));
        QCOMPARE(std::distance(fs::directory_iterator(target), fs::directory_iterator()), 1);
        fs::remove_all(folder);
    }

    // Clearing removes this player's pages and nothing else: files, folders and links that others
    // put there stay, and so does the folder that holds them.
    void clearingRemovesOnlyThisPlayersPages()
    {
        QTemporaryDir outside;
        const fs::path target = outside.path().toStdString();
        WriteBytes(target / "file.txt", "keep");

        const fs::path folder = scratch_.Path();
        const fs::path first = scratch_.WritePage("ours");
        const fs::path second = scratch_.WritePage("ours too");
        fs::create_directories(folder / "sub" / "deeper");
        WriteBytes(folder / "sub" / "deeper" / "left by someone", "x");
        WriteBytes(folder / "readme.txt", "not ours");
        // A page name that this player never wrote, e.g. one of another player.
        WriteBytes(folder / "{00000000-0000-0000-0000-000000000000}", "not ours");
        fs::create_symlink(target / "file.txt", folder / "link-to-file");
        fs::create_directory_symlink(target, folder / "sub" / "link-to-outside");
        scratch_.Clear();

        QVERIFY(!fs::exists(first));
        QVERIFY(!fs::exists(second));
        QCOMPARE(ScratchNames(folder),
                 (QStringList{QStringLiteral("link-to-file"), QStringLiteral("readme.txt"), QStringLiteral("sub"),
                              QStringLiteral("sub/deeper"), QStringLiteral("sub/deeper/left by someone"),
                              QStringLiteral("sub/link-to-outside"),
                              QStringLiteral("{00000000-0000-0000-0000-000000000000}")}));
        QCOMPARE(QString::fromStdString(ReadBytes(target / "file.txt")), QStringLiteral("keep"));

        // With only its own pages in it, the folder goes too; a folder that does not exist is no error.
        fs::remove_all(folder);
        scratch_.WritePage("ours");
        scratch_.Clear();
        QVERIFY(!fs::exists(fs::symlink_status(folder)));
        scratch_.Clear();
        QVERIFY(!fs::exists(fs::symlink_status(folder)));
    }

    // Two players at once: neither's clearing, at start-up or at the end, removes the other's
    // pages; the pages of a player that was killed go with the next player's start-up clearing.
    void twoPlayersNeverRemoveEachOthersPages()
    {
        const fs::path folder = scratch_.Path();
        PlayerProcess other;
        const fs::path theirs = other.WritePage();
        WriteBytes(folder / "not ours", "keep");
        const fs::path mine = scratch_.WritePage("mine");

        scratch_.RemoveLeftovers();
        QVERIFY(fs::exists(theirs));
        scratch_.Clear();
        QVERIFY(!fs::exists(mine));
        QVERIFY(fs::exists(theirs));

        const fs::path mineAgain = scratch_.WritePage("mine again");
        other.Clear();
        QVERIFY(!fs::exists(theirs));
        QVERIFY(fs::exists(mineAgain));

        // Killed: its page and its list stay until a player starts.
        PlayerProcess killed;
        const fs::path left = killed.WritePage();
        killed.Kill();
        QVERIFY(fs::exists(left));
        scratch_.RemoveLeftovers();
        QVERIFY(!fs::exists(left));
        QVERIFY(fs::exists(mineAgain));
        QCOMPARE(ScratchNames(folder),
                 (QStringList{QStringLiteral("not ours"), QString::fromStdString(mineAgain.filename().string())}));
        QCOMPARE(HiddenNames(folder).size(), 1); // this player's own list; the killed one's is gone
    }

    // What the start-up clearing removes: the pages that the list of an ended player names (a list
    // no process holds locked), and that list. Nothing else, whatever a list says.
    void startUpRemovesOnlyTheLeftoversOfEndedPlayers_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<bool>("removed"); // the planted entry named "thing"
        QTest::newRow("page of an ended player") << QStringLiteral("ended") << true;
        QTest::newRow("page of a running player") << QStringLiteral("running") << false;
        QTest::newRow("page that no list names") << QStringLiteral("unlisted") << false;
        QTest::newRow("list naming a file by path") << QStringLiteral("path") << false;
        QTest::newRow("list naming a folder") << QStringLiteral("folder") << false;
        QTest::newRow("listed page that is a link: the link goes, not its target") << QStringLiteral("link") << true;
        QTest::newRow("list that is a link") << QStringLiteral("linked list") << false;
        QTest::newRow("list of lower-case names") << QStringLiteral("lower case") << false;
    }
    void startUpRemovesOnlyTheLeftoversOfEndedPlayers()
    {
        QFETCH(QString, setup);
        QFETCH(bool, removed);
        QTemporaryDir base;
        QTemporaryDir outside;
        const fs::path folder = fs::path(base.path().toStdString()) / "zvoplayer";
        fs::create_directory(folder);
        fs::permissions(folder, fs::perms(0700));
        const fs::path keep = fs::path(outside.path().toStdString()) / "keep.txt";
        WriteBytes(keep, "keep");

        const std::string page = "{0A1B2C3D-0000-4000-8000-00000000ABCD}";
        const std::string list = ".instance-{11111111-2222-4333-8444-555555555555}";
        fs::path thing = folder / page;
        std::string listed = page + "\n";
        if (setup == QLatin1String("path")) {
            thing = keep;
            listed = keep.string() + "\n../" + keep.filename().string() + "\n";
        } else if (setup == QLatin1String("folder")) {
            fs::create_directory(thing);
        } else if (setup == QLatin1String("link")) {
            fs::create_symlink(keep, thing);
        } else if (setup == QLatin1String("lower case")) {
            thing = folder / QString::fromStdString(page).toLower().toStdString();
            listed = thing.filename().string() + "\n";
        }
        if (!fs::exists(fs::symlink_status(thing)))
            WriteBytes(thing, "a page");
        if (setup == QLatin1String("linked list")) {
            WriteBytes(fs::path(outside.path().toStdString()) / "list", listed);
            fs::create_symlink(fs::path(outside.path().toStdString()) / "list", folder / list);
        } else if (setup != QLatin1String("unlisted")) {
            WriteBytes(folder / list, listed);
        }
        // A running player holds its list locked.
        const int held = ::open((folder / list).c_str(), O_RDONLY | O_CLOEXEC);
        if (setup == QLatin1String("running"))
            QCOMPARE(::flock(held, LOCK_EX), 0);

        ScratchFolder starting(base.path().toStdString());
        starting.RemoveLeftovers();
        ::close(held);

        QCOMPARE(!fs::exists(fs::symlink_status(thing)), removed);
        QCOMPARE(QString::fromStdString(ReadBytes(keep)), QStringLiteral("keep"));
        const bool listGoes = setup == QLatin1String("ended") || setup == QLatin1String("link")
            || setup == QLatin1String("path") || setup == QLatin1String("folder")
            || setup == QLatin1String("lower case");
        QCOMPARE(!fs::exists(fs::symlink_status(folder / list)), listGoes || setup == QLatin1String("unlisted"));
    }

    // A player's own pages: a removed page is gone, a page of another player is not removed by
    // name, and the list on disk follows, so that a crash after the removal leaves nothing listed.
    void aPlayerRemovesOnlyPagesItWrote()
    {
        QTemporaryDir base;
        ScratchFolder mine(base.path().toStdString());
        ScratchFolder other(base.path().toStdString());
        const fs::path first = mine.WritePage("first");
        const fs::path second = mine.WritePage("second");
        const fs::path theirs = other.WritePage("theirs");
        mine.RemovePage(first);
        mine.RemovePage(theirs);
        QVERIFY(!fs::exists(first));
        QVERIFY(fs::exists(second));
        QVERIFY(fs::exists(theirs));
        QStringList lists;
        for (const QString& name : HiddenNames(mine.Path()))
            lists << QString::fromStdString(ReadBytes(mine.Path() / name.toStdString()));
        lists.sort();
        QStringList expected{QString::fromStdString(second.filename().string() + "\n"),
                             QString::fromStdString(theirs.filename().string() + "\n")};
        expected.sort();
        QCOMPARE(lists, expected);
    }
};

// With "--player", the program stands for a second player: it writes a page, says its path, and
// then clears its pages when it reads "clear", or waits to be killed.
int main(int argc, char** argv)
{
    if (argc == 2 && qstrcmp(argv[1], "--player") == 0)
        return RunOtherPlayer(argc, argv);
    QCoreApplication app(argc, argv);
    ScratchFolderTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_scratch_folder.moc"
