// Screenshots of the player pages as a user sees them: a channel of each kind playing, and channels
// that cannot play. Run under a display (bench/zap/screens.sh uses xvfb-run); writes PNG files.
//
//   player_screens OUTPUT_FOLDER

#include "crypto/stream_passphrase.h"
#include "crypto/string_cipher.h"
#include "player/page_generation.h"
#include "player/player_page.h"
#include "player/player_profile.h"
#include "player/scratch_folder.h"
#include "tests/support/media_server.h"
#include "tests/support/page_script.h"
#include "tests/support/test_media.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>

#include <cstdio>

using namespace zentavo;
using namespace zentavo::test;

namespace {

struct Shot {
    const char* file;
    int kind;
    QString address;
    int waitMs;
};

void Wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char** argv)
{
    PlayerProfile::RegisterUrlSchemes();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screens");
    QDir().mkpath(output);

    QTemporaryDir folder;
    TestMedia::Generate(folder.path());
    MediaServer server(folder.path());
    server.Stall(QStringLiteral("stalled.mp3"));
    WriteTextFile(
        folder.path(), QStringLiteral("radio.ram"),
        QStringLiteral("rtsp://127.0.0.1:1/live.rm\n%1\n").arg(server.Url(QLatin1String(TestMedia::kMp3)).toString()));
    const auto url = [&](const char* path) { return server.Url(QLatin1String(path)).toString(); };
    const QList<Shot> shots = {
        {"wmp-mp4-fit.png", 0, url(TestMedia::kMp4), 2500},
        {"wmp-hls.png", 0, url(TestMedia::kHls), 2500},
        {"wmp-mpegts.png", 0, url(TestMedia::kMpegTs), 2500},
        {"wmp-dash.png", 0, url(TestMedia::kDash), 2500},
        {"wmp-mp3.png", 0, url(TestMedia::kMp3), 2500},
        {"real-ram-mp3.png", 1, url("radio.ram"), 2500},
        {"real-hls.png", 1, url(TestMedia::kHls), 2500},
        {"webcam-jpeg.png", 2, url(TestMedia::kJpeg), 1500},
        {"wmp-failing-404.png", 0, url("missing.mp4"), 2500},
        {"wmp-failing-mms.png", 0, QStringLiteral("mms://127.0.0.1/live"), 1500},
        {"real-failing-rtsp.png", 1, QStringLiteral("rtsp://127.0.0.1/live.rm"), 2500},
        {"wmp-connecting-stalled.png", 0, url("stalled.mp3"), 2500},
    };

    const std::string passphrase = BuildStreamPassphrase();
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>\n");
    for (int i = 0; i < shots.size(); ++i) {
        xml += QStringLiteral("<item><id>%1</id><name>Shot</name><country>-</country><bandwidth>-</bandwidth>"
                              "<type2>tv</type2><imgindex>%2</imgindex><url>%3</url></item>\n")
                   .arg(i + 1)
                   .arg(shots[i].kind)
                   .arg(QString::fromStdString(
                       EncipherString(shots[i].address.toStdString(), passphrase, KeySize::Key256)));
    }
    WriteTextFile(folder.path(), QStringLiteral("tv-all.xml"), xml + QStringLiteral("</items>\n"));
    const std::string catalogue = QDir(folder.path()).filePath(QStringLiteral("tv-all.xml")).toStdString();

    PlayerProfile profile;
    ScratchFolder scratch;
    PlayerPage page(&profile, nullptr, PlayerPage::AlertDisplay::SignalOnly);
    QString lastAlert;
    QObject::connect(&page, &PlayerPage::AlertShown, &page, [&](const QString& text) { lastAlert = text; });
    QWebEngineView view;
    view.setPage(&page);
    view.resize(640, 480);
    view.show();

    for (int i = 0; i < shots.size(); ++i) {
        lastAlert.clear();
        FillOptions options;
        options.originalSize = false; // "Fit to window"
        const auto play = PreparePlay(catalogue, std::to_string(i + 1), passphrase, options);
        LoadPage(
            page,
            profile.UrlForFile(QString::fromStdString(scratch.WritePage(play->page).string()), PagePlay{{}, true}));
        Wait(shots[i].waitMs);
        const QString path = QDir(output).filePath(QLatin1String(shots[i].file));
        view.grab().save(path);
        std::printf("%s%s%s\n", qPrintable(path), lastAlert.isEmpty() ? "" : "  alert: ", qPrintable(lastAlert));
    }
    return 0;
}
