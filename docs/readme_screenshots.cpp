// Takes the README's pictures of the real player under a display (Xvfb): the main window playing a
// TV channel, a radio station and a webcam, the channel list window and the favourites. The shipped
// catalogue's names are used, with every address pointed at media made with ffmpeg and served on
// 127.0.0.1, so the pictures show real playback without the internet. The first TV channels and
// radio stations get logos drawn here and served from the same server, as an imported list's
// tvg-logo addresses would be.
#include "channels/catalogue.h"
#include "channels/ui/channel_list_view.h"
#include "crypto/stream_passphrase.h"
#include "crypto/string_cipher.h"
#include "tests/player/ui/shell_fixture.h"
#include "tests/support/media_server.h"
#include "tests/support/test_media.h"

#include "app/zentavo_application.h"
#include "player/player_profile.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <map>

using namespace zentavo;

namespace {

QString outputFolder;

// A small picture of a window: at most 720 pixels wide.
void Save(const QString& name, const QWidget& window)
{
    QTest::qWait(600);
    const QRect area = window.frameGeometry();
    QImage shot =
        QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
    if (shot.width() > 720)
        shot = shot.scaledToWidth(720, Qt::SmoothTransformation);
    const QString path = outputFolder + QLatin1Char('/') + name + QStringLiteral(".png");
    std::printf("%s %s\n", qPrintable(path), shot.save(path, "PNG", 9) ? "saved" : "FAILED");
}

// The shipped catalogue, every address replaced by local media of its kind. Returns the first id
// of each kind (tv, radio, webcam) and of its name.
struct Picked {
    QString id, name;
};

// A logo for a channel: its initials on a colour of its own, as logo files of providers often look.
void DrawLogo(const QString& name, const QString& path)
{
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromHsv(static_cast<int>(qHash(name) % 360), 170, 200));
    painter.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    QString initials;
    for (const QString& word : name.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (initials.size() < 2 && word.at(0).isLetterOrNumber())
            initials += word.at(0).toUpper();
    }
    QFont font;
    font.setBold(true);
    font.setPixelSize(initials.size() > 1 ? 28 : 36);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(0, 0, 64, 64), Qt::AlignCenter, initials);
    painter.end();
    image.save(path, "PNG");
}

std::map<std::string, Picked> WriteCatalogue(const QString& shipped, const QString& target,
                                             const test::MediaServer& server, const QString& mediaFolder)
{
    constexpr int kLogosPerKind = 60;
    std::map<std::string, int> logos;
    QDir(mediaFolder).mkpath(QStringLiteral("logos"));
    XmlDocument document = XmlDocument::LoadFile(shipped.toStdString());
    const std::string passphrase = BuildStreamPassphrase();
    const std::map<std::string, QString> media = {{"tv", QString::fromLatin1(test::TestMedia::kHls)},
                                                  {"radio", QString::fromLatin1(test::TestMedia::kMp3)},
                                                  {"webcam", QString::fromLatin1(test::TestMedia::kJpeg)}};
    std::map<std::string, Picked> firsts;
    for (XmlElement& item : document.Root().ChildElements()) {
        const std::string type = item.ChildText("type2");
        const QString address = server.Url(media.at(type)).toString();
        item.FirstChildElement("url")->SetText(EncipherString(address.toStdString(), passphrase, KeySize::Key256));
        // The webcam page needs the snapshot kind; the stream kinds keep theirs.
        if (type == "webcam")
            item.FirstChildElement("imgindex")->SetText("2");
        if (type != "webcam" && logos[type]++ < kLogosPerKind) {
            const QString file = QStringLiteral("logos/%1.png").arg(QString::fromStdString(item.ChildText("id")));
            DrawLogo(QString::fromStdString(item.ChildText("name")), mediaFolder + QLatin1Char('/') + file);
            item.AppendChild("logo").SetText(server.Url(file).toString().toStdString());
        }
        firsts.try_emplace(
            type, Picked{QString::fromStdString(item.ChildText("id")), QString::fromStdString(item.ChildText("name"))});
    }
    document.SaveFile(target.toStdString());
    return firsts;
}

void Play(ShellFixture& f, const Picked& channel, int seconds)
{
    f.Play(channel.id, channel.name);
    QTest::qWait(seconds * 1000);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs("usage: readme_screenshots OUTPUT_FOLDER   (under a display, e.g. xvfb-run)\n", stderr);
        return 2;
    }
    outputFolder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(outputFolder);
    PlayerProfile::RegisterUrlSchemes();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    ZentavoApplication app(argc, argv, TestErrorReporter());
    // The list window keeps the logos it fetches in the cache folder: a passing one, not the user's.
    QTemporaryDir cacheHome;
    qputenv("XDG_CACHE_HOME", cacheHome.path().toLocal8Bit());

    QTemporaryDir mediaDir;
    test::TestMedia::Generate(mediaDir.path());
    test::MediaServer server(mediaDir.path());

    ShellFixture f;
    const QString source = QString::fromLocal8Bit(qgetenv("ZENTAVO_SOURCE_DIR"));
    const auto picked = WriteCatalogue(source + QStringLiteral("/data/tv-all.xml"),
                                       f.DataPath(QStringLiteral("tv-all.xml")), server, mediaDir.path());
    QFile favourites(f.DataPath(QStringLiteral("tv-list-fav.xml")));
    if (favourites.open(QIODevice::WriteOnly)) {
        favourites.write(
            QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>"
                           "<item id=\"%1\" comment=\"evening news\"/><item id=\"%2\" comment=\"\"/>"
                           "<item id=\"%3\" comment=\"snow on the pass?\"/><item id=\"5\" comment=\"\"/></items>\n")
                .arg(picked.at("tv").id, picked.at("radio").id, picked.at("webcam").id)
                .toUtf8());
        favourites.close();
    }

    f.form->resize(760, 560);
    f.form->move(30, 30);
    f.ShowAndActivate();
    QTest::qWait(1500);
    Save(QStringLiteral("main-start-page"), *f.form);
    Play(f, picked.at("tv"), 8);
    Save(QStringLiteral("main-tv"), *f.form);
    Play(f, picked.at("radio"), 8);
    Save(QStringLiteral("main-radio"), *f.form);
    Play(f, picked.at("webcam"), 7);
    Save(QStringLiteral("main-webcam"), *f.form);

    // The channel list window, shown without its modal loop so that the picture can be taken.
    f.list->move(60, 60);
    f.list->show();
    (void)QTest::qWaitForWindowExposed(f.list.get());
    auto* tabs = f.list->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    const struct {
        int tab;
        const char* file;
    } pages[] = {{0, "channel-list-tv"}, {1, "channel-list-radio"}, {3, "favourites"}};
    for (const auto& page : pages) {
        tabs->setCurrentIndex(page.tab);
        if (auto* list = f.list->findChild<ChannelListView*>(QStringLiteral("ListView%1").arg(page.tab + 1));
            list && list->model() && list->model()->rowCount() > 2)
            list->setCurrentIndex(list->model()->index(2, 0));
        Save(QString::fromLatin1(page.file), *f.list);
    }
    // Channel logos, fetched from 127.0.0.1 for the rows on screen.
    tabs->setCurrentIndex(0);
    if (auto* list = f.list->findChild<ChannelListView*>(QStringLiteral("ListView1"))) {
        list->clearSelection();
        list->scrollToTop();
    }
    QTest::qWait(1500);
    Save(QStringLiteral("channel-list-logos"), *f.list);
    // Searching the TV list as the user types.
    auto* search = f.list->findChild<QLineEdit*>(QStringLiteral("Edit_search"));
    search->setFocus();
    QTest::keyClicks(search, QStringLiteral("news"));
    Save(QStringLiteral("channel-list-search"), *f.list);
    search->clear();
    f.list->hide();
    return 0;
}
