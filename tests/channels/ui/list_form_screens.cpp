// Shows the channel list window on each tab and saves a picture of each: list-form-tab<N>.png in
// the folder given as the first argument. Run under a display (xvfb-run); not a test.
#include "channels/ui/channel_list_view.h"
#include "list_fixture.h"
#include "scripted_prompts.h"

#include "channels/ui/list_form.h"
#include "channels/ui/list_icons.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTabWidget>
#include <QTest>

using namespace zentavo;

namespace {
const char* kSampleCatalogue = R"(<?xml version="1.0" encoding="UTF-8"?>
<items>
  <item><id>1</id><name>TV5 Monde</name><country>France</country><bandwidth>300k</bandwidth><type2>tv</type2><imgindex>0</imgindex><url>0</url></item>
  <item><id>2</id><name>Rai News 24</name><country>Italy</country><bandwidth>256k</bandwidth><type2>tv</type2><imgindex>0</imgindex><url>0</url></item>
  <item><id>3</id><name>NHK World</name><country>Japan</country><bandwidth></bandwidth><type2>tv</type2><imgindex>1</imgindex><url>0</url></item>
  <item><id>4</id><name>Deutsche Welle</name><country>Germany</country><bandwidth>500k</bandwidth><type2>tv</type2><imgindex>0</imgindex><url>0</url></item>
  <item><id>5</id><name>Canal Sur Andaluc&#237;a</name><country>Spain</country><bandwidth>350k</bandwidth><type2>tv</type2><imgindex>0</imgindex><url>0</url></item>
  <item><id>6</id><name>TVP Polonia</name><country>Poland</country><bandwidth>200k</bandwidth><type2>tv</type2><imgindex>1</imgindex><url>0</url></item>
  <item><id>7</id><name>Radio Swiss Jazz</name><country>Switzerland</country><bandwidth>128k</bandwidth><type2>radio</type2><imgindex>0</imgindex><url>0</url></item>
  <item><id>8</id><name>BBC World Service</name><country>United Kingdom</country><bandwidth>48k</bandwidth><type2>radio</type2><imgindex>1</imgindex><url>0</url></item>
  <item><id>9</id><name>Radio Nova</name><country>France</country><bandwidth>64k</bandwidth><type2>radio</type2><imgindex>0</imgindex><url>0</url></item>
  <item><id>10</id><name>Harbour of Bergen</name><country>Norway</country><bandwidth></bandwidth><type2>webcam</type2><imgindex>2</imgindex><url>0</url></item>
  <item><id>11</id><name>Matterhorn, Zermatt</name><country>Switzerland</country><bandwidth></bandwidth><type2>webcam</type2><imgindex>2</imgindex><url>0</url></item>
  <item><id>12</id><name>Times Square</name><country>USA</country><bandwidth></bandwidth><type2>webcam</type2><imgindex>2</imgindex><url>0</url></item>
</items>
)";
const char* kSampleFavourites = R"(<?xml version="1.0" encoding="UTF-8"?>
<items><item id="2" comment=""/><item id="8" comment="morning news" bandwidth="48k"/><item id="11" comment=""/></items>
)";
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString outFolder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    ListFixture fixture(kSampleCatalogue);
    fixture.WriteFavourites(kSampleFavourites);
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadChannelLists();
    form.LoadFavourites();
    form.show();
    auto* tabs = form.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    for (int tab = 0; tab < 4; ++tab) {
        tabs->setCurrentIndex(tab);
        auto* list = form.findChild<ChannelListView*>(QStringLiteral("ListView%1").arg(tab + 1));
        if (tab == 1)
            list->setCurrentIndex(list->model()->index(1, 0));
        QTest::qWait(300);
        const QPixmap shot = form.screen()->grabWindow(0, form.x(), form.y(), form.frameGeometry().width(),
                                                       form.frameGeometry().height());
        shot.save(outFolder + QStringLiteral("/list-form-tab%1.png").arg(tab + 1));
    }
    // The seven icons at their real size, magnified six times, row icons above tab icons.
    QImage sheet(4 * 112, 2 * 112, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    const QList<QList<QIcon>> icons{RowIcons(), TabIcons()};
    for (int line = 0; line < 2; ++line) {
        for (int i = 0; i < icons[line].size(); ++i)
            painter.drawPixmap(QRect(i * 112 + 8, line * 112 + 8, 96, 96), icons[line][i].pixmap(16, 16));
    }
    painter.end();
    sheet.save(outFolder + QStringLiteral("/list-icons.png"));
    return 0;
}
