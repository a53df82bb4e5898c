// Pictures of the user's own playlists in the channel list window, for a person to look at: the
// Channels menu, the Add playlist dialog, the summary, the lists with own channels, and the
// Manage playlists dialog; playlists-*.png in the folder given as the first argument. Run under a
// display (xvfb-run); not a test.
#include "channels/ui/channel_list_view.h"
#include "list_fixture.h"
#include "scripted_prompts.h"

#include "channels/ui/list_form.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <functional>

using namespace zentavo;

namespace {

const char* kSampleCatalogue = R"(<?xml version="1.0" encoding="UTF-8"?>
<items>
  <item><id>1</id><name>TV5 Monde</name><country>France</country><bandwidth>300k</bandwidth><type2>tv</type2><imgindex>0</imgindex><url>0</url></item>
  <item><id>2</id><name>Rai News 24</name><country>Italy</country><bandwidth>256k</bandwidth><type2>tv</type2><imgindex>0</imgindex><url>0</url></item>
  <item><id>3</id><name>NHK World</name><country>Japan</country><bandwidth></bandwidth><type2>tv</type2><imgindex>1</imgindex><url>0</url></item>
  <item><id>7</id><name>Radio Swiss Jazz</name><country>Switzerland</country><bandwidth>128k</bandwidth><type2>radio</type2><imgindex>0</imgindex><url>0</url></item>
</items>
)";

const QByteArray kTvList = "#EXTM3U\n"
                           "#EXTINF:-1 tvg-id=\"DasErste.de\",Das Erste (1080p)\nhttps://erste.example/live.m3u8\n"
                           "#EXTINF:-1 tvg-id=\"ZDF.de\",ZDF (720p)\nhttps://zdf.example/live.m3u8\n"
                           "#EXTINF:-1 tvg-id=\"Arte.fr\",Arte\nhttps://arte.example/live.m3u8\n"
                           "#EXTINF:-1,Typo\nhhttps://typo.example/live.m3u8\n"
                           "#EXTINF:-1,Again\nhttps://zdf.example/live.m3u8\n";
const QByteArray kRadioList = "[playlist]\nFile1=http://bremen.example/zwei.mp3\nTitle1=Bremen Zwei\n"
                              "File2=http://fip.example/fip.aac\nTitle2=FIP\nNumberOfEntries=2\n";

void Shoot(QWidget* window, const QString& path)
{
    QTest::qWait(300);
    const QRect frame = window->frameGeometry();
    window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()).save(path);
}

// Runs act on the next visible top-level window with that object name.
void WhenShown(const QString& name, std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, name, act] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == name && widget->isVisible()) {
                timer->stop();
                timer->deleteLater();
                act(widget);
                return;
            }
        }
    });
    timer->start();
}

void AddPlaylist(TListForm& form, const QString& file, const QString& name, int list, const QString& out)
{
    WhenShown(QStringLiteral("AddPlaylistDialog"), [=](QWidget* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("SourceEdit"))->setText(file);
        dialog->findChild<QLineEdit*>(QStringLiteral("NameEdit"))->setText(name);
        dialog->findChild<QComboBox*>(QStringLiteral("TypeCombo"))->setCurrentIndex(list);
        if (!out.isEmpty())
            Shoot(dialog, out + QStringLiteral("/playlists-add-dialog.png"));
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    WhenShown(QStringLiteral("PlaylistSummary"), [=](QWidget* box) {
        if (!out.isEmpty())
            Shoot(box, out + QStringLiteral("/playlists-summary.png"));
        static_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
    });
    form.findChild<QAction*>(QStringLiteral("AddPlaylistAction"))->trigger();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    ListFixture fixture(kSampleCatalogue);
    qputenv("XDG_DATA_HOME", fixture.dir.filePath(QStringLiteral("xdg-data")).toLocal8Bit());
    fixture.context.StreamPassphrase = "screens passphrase";
    ListFixture::WriteFile(fixture.dir.filePath(QStringLiteral("german-tv.m3u")), kTvList);
    ListFixture::WriteFile(fixture.dir.filePath(QStringLiteral("radios.pls")), kRadioList);
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadChannelLists();
    form.LoadFavourites();
    form.show();
    QTest::qWait(300);

    // The Channels menu, open.
    auto* button = form.findChild<QToolButton*>(QStringLiteral("ChannelsButton"));
    QMenu* menu = button->menu();
    menu->popup(button->mapToGlobal(QPoint(0, 0)) - QPoint(0, menu->sizeHint().height()));
    QTest::qWait(300);
    const QRect formFrame = form.frameGeometry().united(menu->geometry());
    form.screen()
        ->grabWindow(0, formFrame.x(), formFrame.y(), formFrame.width(), formFrame.height())
        .save(out + QStringLiteral("/playlists-channels-menu.png"));
    menu->hide();

    AddPlaylist(form, fixture.dir.filePath(QStringLiteral("german-tv.m3u")), QStringLiteral("German TV"), 0, out);
    AddPlaylist(form, fixture.dir.filePath(QStringLiteral("radios.pls")), QString(), 2, QString());
    form.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(0);
    Shoot(&form, out + QStringLiteral("/playlists-list-tv.png"));
    form.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
    Shoot(&form, out + QStringLiteral("/playlists-list-radio.png"));

    WhenShown(QStringLiteral("PlaylistsDialog"), [&](QWidget* dialog) {
        Shoot(dialog, out + QStringLiteral("/playlists-manage-dialog.png"));
        static_cast<QDialog*>(dialog)->reject();
    });
    form.findChild<QAction*>(QStringLiteral("ManagePlaylistsAction"))->trigger();
    return 0;
}
