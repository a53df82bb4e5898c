// Logos in the channel list window: a row shows its channel's logo once it is fetched, rows keep
// their kind icon while a logo is missing or failed, and only the rows on screen are fetched, also
// with 100,000 channels.
#include "channels/ui/channel_list_view.h"
#include "list_fixture.h"
#include "scripted_prompts.h"

#include "channels/logos/logo_cache.h"
#include "channels/ui/list_form.h"
#include "channels/ui/list_icons.h"
#include "tests/support/media_server.h"
#include "tests/support/waits.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTest>

using namespace zentavo;
using zentavo::test::MediaServer;

namespace {

ChannelListView* List(TListForm& form, int number)
{
    return form.findChild<ChannelListView*>(QStringLiteral("ListView%1").arg(number));
}

// The colour in the middle of a row's picture, drawn at the list's icon size.
QRgb Middle(ChannelListView* list, int row)
{
    const QIcon icon = list->model()->index(row, 0).data(Qt::DecorationRole).value<QIcon>();
    const QImage image = icon.pixmap(QSize(16, 16), 1.0).toImage();
    return image.isNull() ? 0 : image.pixel(8, 8);
}

QRgb MiddleOf(const QIcon& icon)
{
    return icon.pixmap(QSize(16, 16), 1.0).toImage().pixel(8, 8);
}

void WritePng(const QString& path, QColor colour)
{
    QImage image(48, 48, QImage::Format_ARGB32);
    image.fill(colour);
    QVERIFY(image.save(path, "PNG"));
}

QByteArray Item(int id, const char* type, const QString& logo)
{
    QByteArray item = "<item><id>" + QByteArray::number(id) + "</id><name>Channel " + QByteArray::number(id)
        + "</name><country>Spain</country><bandwidth/><type2>" + type + "</type2><url>00</url>";
    if (!logo.isEmpty())
        item += "<logo>" + logo.toUtf8() + "</logo>";
    return item + "<imgindex>0</imgindex></item>\n";
}

// Counts the paint events of a widget.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) : QObject(widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// Whether the list shows pure red at the left of a row, where its picture is drawn.
bool PaintsRed(ChannelListView* list, int row)
{
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    const QImage image = list->viewport()->grab(QRect(rect.topLeft(), QSize(24, rect.height()))).toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == QColor(Qt::red))
                return true;
    return false;
}

} // namespace

class ListLogosTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void rowShowsItsLogoOnceFetched();
    void onlyRowsOnScreenAreFetchedAmongAHundredThousand();

private:
    QTemporaryDir cacheHome_;
};

void ListLogosTest::initTestCase()
{
    // The window keeps its logos in the user's cache folder: a fresh one for these tests.
    QVERIFY(cacheHome_.isValid());
    qputenv("XDG_CACHE_HOME", cacheHome_.path().toUtf8());
}

void ListLogosTest::rowShowsItsLogoOnceFetched()
{
    QTemporaryDir served;
    MediaServer server(served.path());
    WritePng(served.filePath(QStringLiteral("red.png")), Qt::red);
    const QString logo = server.Url(QStringLiteral("red.png")).toString();
    const QString missing = server.Url(QStringLiteral("missing.png")).toString();
    const QByteArray catalogue = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>\n" + Item(1, "tv", logo)
        + Item(2, "tv", missing) + Item(3, "tv", {}) + Item(4, "radio", logo) + "</items>\n";
    ListFixture fixture(catalogue.constData());
    fixture.WriteFavourites(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items><item id=\"1\" comment=\"\"/></items>\n");
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadChannelLists();
    form.LoadFavourites();
    const QRgb kindIcon = MiddleOf(RowIcons().at(0));
    QCOMPARE(Middle(List(form, 1), 0), kindIcon);
    QCOMPARE(server.RequestCount(QStringLiteral("red.png")), 0); // nothing is fetched before it is shown

    auto* paints = new PaintCounter(List(form, 1)->viewport());
    int paintsBefore = -1; // when the logo arrived
    auto* logos = form.findChild<LogoCache*>();
    QVERIFY(logos);
    connect(logos, &LogoCache::LogoReady, this, [&] {
        if (paintsBefore < 0)
            paintsBefore = paints->count;
    });
    form.show();
    QTRY_COMPARE_WITH_TIMEOUT(Middle(List(form, 1), 0), QColor(Qt::red).rgb(), test::Limit(5000));
    // The list repaints by itself when the logo arrives, and the row then shows it.
    QTRY_VERIFY_WITH_TIMEOUT(paints->count > paintsBefore, test::Limit(5000));
    QVERIFY(PaintsRed(List(form, 1), 0));
    QTRY_COMPARE_WITH_TIMEOUT(server.RequestCount(QStringLiteral("missing.png")), 1, test::Limit(5000));
    // A logo that failed and a channel without one keep the kind icon.
    QVERIFY(test::StaysFor(std::chrono::milliseconds(1000), [&form, kindIcon] {
        return Middle(List(form, 1), 1) == kindIcon && Middle(List(form, 1), 2) == kindIcon;
    }));
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
        + QStringLiteral("/zentavo-player/logos");
    QVERIFY(folder.startsWith(cacheHome_.path()));
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 1);

    // The other lists show the same logo as soon as they are on screen, without a second request.
    form.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
    QTRY_COMPARE_WITH_TIMEOUT(Middle(List(form, 2), 0), QColor(Qt::red).rgb(), test::Limit(5000));
    form.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(3);
    QTRY_COMPARE_WITH_TIMEOUT(Middle(List(form, 4), 0), QColor(Qt::red).rgb(), test::Limit(5000));
    QCOMPARE(server.RequestCount(QStringLiteral("red.png")), 1);
    form.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(0);
    QVERIFY(test::StaysFor(std::chrono::milliseconds(1000),
                           [&server] { return server.RequestCount(QStringLiteral("missing.png")) == 1; }));
}

void ListLogosTest::onlyRowsOnScreenAreFetchedAmongAHundredThousand()
{
    constexpr int kRows = 100000;
    QTemporaryDir served;
    MediaServer server(served.path());
    QByteArray catalogue = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>\n";
    for (int i = 0; i < kRows; ++i)
        catalogue += Item(i + 1, "tv", server.Url(QStringLiteral("l%1.png").arg(i)).toString());
    catalogue += "</items>\n";
    ListFixture fixture(catalogue.constData());
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    QElapsedTimer clock;
    clock.start();
    form.LoadChannelLists();
    form.show();
    qInfo("100,000 rows with logos filled and shown in %lld ms", static_cast<long long>(clock.elapsed()));
    ChannelListView* list = List(form, 1);
    QCOMPARE(list->model()->rowCount(), kRows);

    const int shown = list->indexAt(QPoint(1, list->viewport()->height() - 2)).row() + 1;
    QVERIFY(shown > 5 && shown < 100);
    QTRY_COMPARE_WITH_TIMEOUT(server.RequestCount(QStringLiteral("l%1.png").arg(shown - 1)), 1, test::Limit(5000));
    // The rows on screen, give or take one partly shown while the window took its final size; no
    // more come later.
    const auto requested = [&server, shown] {
        int count = 0;
        for (int i = 0; i < 4 * shown; ++i)
            count += server.RequestCount(QStringLiteral("l%1.png").arg(i));
        return count;
    };
    QVERIFY(test::StaysFor(std::chrono::milliseconds(1000), [&] { return requested() <= shown + 2; }));
    QVERIFY2(requested() >= shown, qPrintable(QString::number(requested())));

    list->scrollToBottom();
    QTRY_COMPARE_WITH_TIMEOUT(server.RequestCount(QStringLiteral("l%1.png").arg(kRows - 1)), 1, test::Limit(5000));
    QCOMPARE(server.RequestCount(QStringLiteral("l%1.png").arg(kRows / 2)), 0);
    // Back at the top: the rows whose logos failed are not asked for again.
    list->scrollToTop();
    QVERIFY(test::StaysFor(std::chrono::milliseconds(1000),
                           [&server] { return server.RequestCount(QStringLiteral("l0.png")) == 1; }));
    // A search brings a row from the middle on screen: its logo is fetched then.
    QCOMPARE(server.RequestCount(QStringLiteral("l49999.png")), 0);
    form.findChild<QLineEdit*>(QStringLiteral("Edit_search"))->setText(QStringLiteral("channel 50000"));
    QCOMPARE(list->model()->rowCount(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(server.RequestCount(QStringLiteral("l49999.png")), 1, test::Limit(5000));
}

QTEST_MAIN(ListLogosTest)
#include "test_list_logos.moc"
