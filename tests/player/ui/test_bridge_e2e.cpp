// End to end through the real main window and channel list window: a channel is picked in the list
// window and played; the toolbar and the snapshot bar then drive the page that the real web engine
// shows, against media served on 127.0.0.1.
#include "channels/ui/channel_list_view.h"
#include "tests/channels/ui/scripted_prompts.h"
#include "tests/support/media_server.h"
#include "tests/support/page_script.h"
#include "tests/support/test_media.h"

#include "channels/app_context.h"
#include "channels/ui/list_form.h"
#include "crypto/stream_passphrase.h"
#include "crypto/string_cipher.h"
#include "player/player_profile.h"
#include "player/scratch_folder.h"
#include "player/ui/browser_launcher.h"
#include "player/ui/error_report.h"
#include "player/ui/main_form.h"
#include "player/ui/option_store.h"
#include "player/ui/right_button_filter.h"
#include "tests/support/waits.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScriptCollection>
#include <QWindow>
#include <memory>

using namespace zentavo;
using namespace zentavo::test;

namespace {

constexpr int kPlayTimeoutMs = 30000;

class MemoryOptions : public OptionStore {
public:
    void CreateKey() override {}
    QString ReadChannelStart() override { return value; }
    void WriteChannelStart(bool on) override { value = on ? QStringLiteral("1") : QStringLiteral("0"); }
    QString value;
};

class NoBrowser : public BrowserLauncher {
public:
    bool OpenWithDefaultHandler(const QUrl&) override { return false; }
    bool StartProgram(const QString&, const QStringList&) override { return false; }
};

// The catalogue's channels: id, type2, imgindex, address (a path on the media server or a full address).
struct Channel {
    const char* id;
    const char* type2;
    int kind;
    const char* path;
};
const Channel kChannels[] = {
    {"1", "tv", 0, "live.m3u8"}, // Windows Media page, a live HLS stream (the playlist is polled)
    {"2", "radio", 1, "audio.mp3"}, // Real page
    {"3", "webcam", 2, "cam.jpg"}, // snapshot page
    {"4", "tv", 0, "video.mp4"}, // Windows Media page
    {"5", "webcam", 2, "login.jpg"}, // snapshot page whose server answers with a web page
};

} // namespace

class BridgeEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void muteMutesThePageAndSecondClickUnmutes();
    void sliderSetsMediaVolumeOnBothScales_data();
    void sliderSetsMediaVolumeOnBothScales();
    void pauseShowsStartPageAndStreamStopsBeingFetched();
    void fullScreenFillsTheScreenAndEscLeavesIt();
    void originalSizeGrowsTheWindowToDrawThePictureOneToOne_data();
    void originalSizeGrowsTheWindowToDrawThePictureOneToOne();
    void webcamPictureIsFetchedAgainUntilAutoRefreshIsCleared();
    void webcamFailureIsReportedInWordsAndRefreshGoesOn();
    void rightClickInListOpensPopupWithoutSelecting();
    void channelsMenuShortcutsOpenListOnTheirTab();
    void addToFavouritesAddsChannelSelectedLastNotThePlayingOne();

private:
    void PlayFromList(int list, const char* id);
    QWebEnginePage& Page() { return *mainForm_->Page(); }
    template <typename T> T* Control(const char* name) { return mainForm_->findChild<T*>(QLatin1String(name)); }
    double MediaNumber(const char* property);
    QString DrawnPictureSize();

    QTemporaryDir media_;
    QTemporaryDir program_;
    std::unique_ptr<MediaServer> server_;
    std::unique_ptr<RightButtonFilter> rightButtonFilter_;
    ScratchFolder scratch_;
    QStringList errors_;
    MemoryOptions options_;
    NoBrowser browser_;
    std::unique_ptr<ErrorReporter> reporter_;
    std::unique_ptr<AppContext> context_;
    ScriptedPrompts prompts_;
    std::unique_ptr<PlayerProfile> profile_; // one per main window, as the program has
    std::unique_ptr<TMainForm> mainForm_;
    std::unique_ptr<TListForm> listForm_;
};

void BridgeEndToEnd::initTestCase()
{
    QVERIFY(media_.isValid() && program_.isValid());
    TestMedia::Generate(media_.path());
    // A live stream: the finished HLS playlist without its end mark, so the player keeps polling it.
    QFile vod(QDir(media_.path()).filePath(QLatin1String(TestMedia::kHls)));
    QVERIFY(vod.open(QIODevice::ReadOnly));
    QString live;
    for (const QString& line : QString::fromUtf8(vod.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("#EXT-X-ENDLIST")) || line.startsWith(QLatin1String("#EXT-X-PLAYLIST-TYPE")))
            continue;
        live += (line.isEmpty() || line.startsWith(QLatin1Char('#')) ? line : QStringLiteral("hls/") + line)
            + QLatin1Char('\n');
    }
    WriteTextFile(media_.path(), QStringLiteral("live.m3u8"), live);
    server_ = std::make_unique<MediaServer>(media_.path());
    WriteTextFile(media_.path(), QStringLiteral("login.jpg"), QStringLiteral("<html><body>Log in</body></html>\n"));
    server_->SetContentType(QStringLiteral("login.jpg"), "text/html");

    // The program folder: data/tv-all.xml with protected addresses, and the start page.
    const std::string passphrase = BuildStreamPassphrase();
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>\n");
    for (const Channel& channel : kChannels) {
        const std::string address = server_->Url(QLatin1String(channel.path)).toString().toStdString();
        xml +=
            QStringLiteral("<item><id>%1</id><name>Channel %1</name><country>Test</country><bandwidth>300k</bandwidth>"
                           "<type2>%2</type2><imgindex>%3</imgindex><url>%4</url></item>\n")
                .arg(QLatin1String(channel.id), QLatin1String(channel.type2))
                .arg(channel.kind)
                .arg(QString::fromStdString(EncipherString(address, passphrase, KeySize::Key256)));
    }
    xml += QStringLiteral("</items>\n");
    WriteTextFile(program_.path(), QStringLiteral("data/tv-all.xml"), xml);
    const QString startPage = qEnvironmentVariable("ZENTAVO_SOURCE_DIR") + QStringLiteral("/data/start.zvo");
    QVERIFY2(QFile::copy(startPage, program_.filePath(QStringLiteral("data/start.zvo"))), qPrintable(startPage));

    // Right-button presses never reach the windows, as in the program.
    rightButtonFilter_ = std::make_unique<RightButtonFilter>();
    qApp->installEventFilter(rightButtonFilter_.get());
}

void BridgeEndToEnd::init()
{
    errors_.clear();
    server_->ResetCounts();
    reporter_ = std::make_unique<ErrorReporter>([this](const QString& text) { errors_ << text; });
    context_ = std::make_unique<AppContext>();
    profile_ = std::make_unique<PlayerProfile>();
    mainForm_ = std::make_unique<TMainForm>(
        *context_,
        MainFormServices{options_, *reporter_, browser_, *profile_, scratch_, program_.path() + QLatin1Char('/')});
    listForm_ = std::make_unique<TListForm>(*context_, prompts_);
    mainForm_->SetListForm(listForm_.get());
    mainForm_->Page()->profile()->scripts()->insert(MediaWatchScript());
    mainForm_->resize(800, 600);
    mainForm_->show();
    mainForm_->FormActivate();
    QVERIFY(!context_->StreamPassphrase.empty());
    QTRY_VERIFY_WITH_TIMEOUT(Page().url().isValid() && !Page().isLoading(), test::Limit(20000));
}

void BridgeEndToEnd::cleanup()
{
    QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join(QLatin1Char('\n'))));
    listForm_.reset();
    mainForm_.reset();
    profile_.reset();
    context_.reset();
}

// Picks the row of that channel in list 1..4 of the list window and plays it with "Play seleted channel".
void BridgeEndToEnd::PlayFromList(int list, const char* id)
{
    auto* view = listForm_->findChild<ChannelListView*>(QStringLiteral("ListView%1").arg(list));
    listForm_->show();
    // The lists are read on a thread of their own when the main window first shows.
    QTRY_VERIFY_WITH_TIMEOUT(view->model()->rowCount() > 0, test::Limit(10000));
    for (int row = 0; row < view->model()->rowCount(); ++row) {
        if (view->model()->index(row, 1).data().toString() == QLatin1String(id))
            view->setCurrentIndex(view->model()->index(row, 0));
    }
    QCOMPARE(context_->CurrentChannelId, QLatin1String(id));
    listForm_->findChild<QPushButton*>(QStringLiteral("Button3"))->click();
    QVERIFY(!listForm_->isVisible());
}

double BridgeEndToEnd::MediaNumber(const char* property)
{
    return RunJavaScript(Page(),
                         QStringLiteral("Number(window.zentavoMediaWatch.media.%1)").arg(QLatin1String(property)))
        .toDouble();
}

// The size at which the page draws its picture, in device pixels, as "WxH".
QString BridgeEndToEnd::DrawnPictureSize()
{
    return RunJavaScript(Page(),
                         QStringLiteral("(() => { const box = document.querySelector('video')"
                                        ".getBoundingClientRect(); const ratio = window.devicePixelRatio;"
                                        " return Math.round(box.width * ratio) + 'x' + "
                                        "Math.round(box.height * ratio); })()"))
        .toString();
}

void BridgeEndToEnd::muteMutesThePageAndSecondClickUnmutes()
{
    PlayFromList(1, "4");
    const QString failure = WaitUntilPlaying(Page(), kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(MediaNumber("muted"), 0.0);

    auto* mute = Control<QToolButton>("btn_mute");
    mute->click();
    QTRY_COMPARE_WITH_TIMEOUT(MediaNumber("muted"), 1.0, test::Limit(5000));
    QVERIFY(!mainForm_->SoundOn());
    QVERIFY(mute->isChecked());

    mute->click();
    QTRY_COMPARE_WITH_TIMEOUT(MediaNumber("muted"), 0.0, test::Limit(5000));
    QVERIFY(mainForm_->SoundOn());
    QVERIFY(!mute->isChecked());
}

void BridgeEndToEnd::sliderSetsMediaVolumeOnBothScales_data()
{
    QTest::addColumn<int>("list");
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<int>("position");
    QTest::addColumn<double>("volume");
    // Windows Media: p*20-2000 hundredths of a decibel; Real: p percent.
    QTest::newRow("Windows Media 0") << 1 << QByteArray("4") << 0 << 0.1;
    QTest::newRow("Windows Media 50") << 1 << QByteArray("4") << 50 << 0.316228;
    QTest::newRow("Windows Media 100") << 1 << QByteArray("4") << 100 << 1.0;
    QTest::newRow("Real 0") << 2 << QByteArray("2") << 0 << 0.0;
    QTest::newRow("Real 50") << 2 << QByteArray("2") << 50 << 0.5;
    QTest::newRow("Real 99") << 2 << QByteArray("2") << 99 << 0.99;
}

void BridgeEndToEnd::sliderSetsMediaVolumeOnBothScales()
{
    QFETCH(int, list);
    QFETCH(QByteArray, id);
    QFETCH(int, position);
    QFETCH(double, volume);
    PlayFromList(list, id.constData());
    const QString failure = WaitUntilPlaying(Page(), kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));

    auto* slider = Control<QSlider>("JvTrackBar1");
    // Move away first, so that the position of the row is a change even at 100.
    slider->setValue(position == 100 ? 10 : 100);
    slider->setValue(position);
    QTRY_VERIFY2_WITH_TIMEOUT(qAbs(MediaNumber("volume") - volume) < 0.001,
                              qPrintable(QString::number(MediaNumber("volume"))), test::Limit(5000));
}

void BridgeEndToEnd::pauseShowsStartPageAndStreamStopsBeingFetched()
{
    PlayFromList(1, "1");
    const QString failure = WaitUntilPlaying(Page(), kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    // A live stream: the playlist is fetched again and again while the page plays.
    const int before = server_->RequestCount(QStringLiteral("live.m3u8"));
    QTRY_VERIFY_WITH_TIMEOUT(server_->RequestCount(QStringLiteral("live.m3u8")) >= before + 2, test::Limit(15000));

    Control<QToolButton>("btn_stop")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!Page().isLoading() && Page().url().path().endsWith(QLatin1String("start.zvo")),
                             test::Limit(10000));
    QCOMPARE(RunJavaScript(Page(), QStringLiteral("document.querySelectorAll('video, audio').length")).toInt(), 0);
    QVERIFY(!Control<QToolButton>("btn_mute")->isEnabled());
    QVERIFY(!Control<QSlider>("JvTrackBar1")->isEnabled());

    // Playing, the page reads the live playlist every few seconds; paused, at most a request that
    // was already under way arrives.
    const int afterPause = server_->RequestCount(QStringLiteral("live.m3u8"));
    QVERIFY(test::StaysFor(std::chrono::milliseconds(7000), [this, afterPause] {
        return server_->RequestCount(QStringLiteral("live.m3u8")) <= afterPause + 1;
    }));
}

void BridgeEndToEnd::fullScreenFillsTheScreenAndEscLeavesIt()
{
    PlayFromList(1, "4");
    const QString failure = WaitUntilPlaying(Page(), kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));

    // The player box covers the whole page, and the window the whole screen, without its bars.
    const QString playerFillsPage = QStringLiteral(
        "(function () { var box = document.querySelector('.zentavo-player'); var r = box.getBoundingClientRect();"
        " return box.classList.contains('zentavo-full') && r.left <= 0 && r.top <= 0"
        " && r.right >= window.innerWidth && r.bottom >= window.innerHeight; })()");
    Control<QToolButton>("btn_full")->click();
    QTRY_VERIFY_WITH_TIMEOUT(mainForm_->PlayerFillsScreen(), test::Limit(10000));
    QTRY_VERIFY_WITH_TIMEOUT(mainForm_->isFullScreen(), test::Limit(5000));
    QVERIFY(!Control<QToolBar>("ToolBar_player")->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(RunJavaScript(Page(), playerFillsPage).toBool(), test::Limit(5000));

    QTest::keyClick(mainForm_.get(), Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!mainForm_->PlayerFillsScreen(), test::Limit(10000));
    QTRY_VERIFY_WITH_TIMEOUT(!mainForm_->isFullScreen(), test::Limit(5000));
    QVERIFY(Control<QToolBar>("ToolBar_player")->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!RunJavaScript(Page(), playerFillsPage).toBool(), test::Limit(5000));
}

void BridgeEndToEnd::originalSizeGrowsTheWindowToDrawThePictureOneToOne_data()
{
    QTest::addColumn<bool>("originalSize");
    QTest::newRow("Original size") << true;
    QTest::newRow("Fit to window") << false;
}

// A window too small for the picture and the page's status bar grows to hold them with "Original
// size", so the picture is drawn at its own size (320x240) and not rescaled on every frame; with
// "Fit to window" the window keeps its size and the picture fits it.
void BridgeEndToEnd::originalSizeGrowsTheWindowToDrawThePictureOneToOne()
{
    QFETCH(bool, originalSize);
    mainForm_->resize(mainForm_->minimumWidth(), 240);
    auto* browser = mainForm_->findChild<QWidget*>(QStringLiteral("WebBrowser1"));
    QTRY_VERIFY_WITH_TIMEOUT(browser->height() < 240, test::Limit(5000));
    const QSize before = mainForm_->size();
    listForm_->findChild<QRadioButton*>(originalSize ? QStringLiteral("RadioButton1") : QStringLiteral("RadioButton2"))
        ->click();
    PlayFromList(1, "4");
    const QString failure = WaitUntilPlaying(Page(), kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    if (originalSize) {
        QTRY_COMPARE_WITH_TIMEOUT(DrawnPictureSize(), QStringLiteral("320x240"), test::Limit(10000));
        QVERIFY(browser->width() >= 320 && browser->height() >= 240 + 22);
    } else {
        QVERIFY(test::StaysFor(std::chrono::milliseconds(2000), [&] { return mainForm_->size() == before; }));
        QVERIFY(DrawnPictureSize() != QStringLiteral("320x240"));
    }
}

void BridgeEndToEnd::webcamPictureIsFetchedAgainUntilAutoRefreshIsCleared()
{
    auto* interval = Control<QSpinBox>("JvSpinEdit1");
    interval->setValue(5);
    PlayFromList(3, "3");
    QVERIFY(mainForm_->SnapshotMode());
    QTRY_VERIFY_WITH_TIMEOUT(server_->RequestCount(QStringLiteral("cam.jpg")) >= 1, test::Limit(10000));
    const int first = server_->RequestCount(QStringLiteral("cam.jpg"));

    QTRY_VERIFY2_WITH_TIMEOUT(server_->RequestCount(QStringLiteral("cam.jpg")) >= first + 2,
                              qPrintable(QString::number(server_->RequestCount(QStringLiteral("cam.jpg")))),
                              test::Limit(20000));

    auto* autoRefresh = Control<QCheckBox>("CheckBox1");
    QVERIFY(autoRefresh->isChecked());
    autoRefresh->click();
    QVERIFY(!interval->isEnabled());
    // Longer than the 5 s interval; at most a reload that was already under way still fetches.
    const int cleared = server_->RequestCount(QStringLiteral("cam.jpg"));
    QVERIFY(test::StaysFor(std::chrono::milliseconds(7000), [this, cleared] {
        return server_->RequestCount(QStringLiteral("cam.jpg")) <= cleared + 1;
    }));
}

void BridgeEndToEnd::webcamFailureIsReportedInWordsAndRefreshGoesOn()
{
    Control<QSpinBox>("JvSpinEdit1")->setValue(5);
    PlayFromList(3, "5");
    const QString words = QStringLiteral("The picture could not be shown: the server sent a web page, not a picture.");
    const QString message = QStringLiteral("(document.querySelector('.zentavo-snapshot-message') || {}).textContent");
    QTRY_COMPARE_WITH_TIMEOUT(RunJavaScript(Page(), message).toString(), words, test::Limit(10000));
    // The refresh timer keeps reloading the page: each load fetches the picture again and says so again.
    QSignalSpy loads(&Page(), &QWebEnginePage::loadFinished);
    QTRY_VERIFY_WITH_TIMEOUT(loads.count() >= 2, test::Limit(15000));
    QVERIFY(Control<QCheckBox>("CheckBox1")->isChecked());
    QTRY_COMPARE_WITH_TIMEOUT(RunJavaScript(Page(), message).toString(), words, test::Limit(10000));
}

void BridgeEndToEnd::rightClickInListOpensPopupWithoutSelecting()
{
    // The clicks go through the window system, as a person's do, so that the application-wide
    // filter and Qt's routing of the release to the widget that had the press both take part.
    listForm_->show();
    QVERIFY(QTest::qWaitForWindowExposed(listForm_.get()));
    auto* view = listForm_->findChild<ChannelListView*>(QStringLiteral("ListView1"));
    auto* popup = listForm_->findChild<QMenu*>(QStringLiteral("PopupMenu1"));
    QTRY_VERIFY_WITH_TIMEOUT(view->model()->rowCount() >= 2, test::Limit(10000));
    const auto inWindow = [this, view](int row) {
        return view->viewport()->mapTo(listForm_.get(), view->visualRect(view->model()->index(row, 0)).center());
    };
    QWindow* window = listForm_->windowHandle();
    QTest::mouseClick(window, Qt::LeftButton, {}, inWindow(1));
    QTRY_COMPARE_WITH_TIMEOUT(view->selectionModel()->selectedRows().value(0).row(), 1, test::Limit(5000));
    const QString selectedName = view->model()->index(1, 0).data().toString();

    QTest::mousePress(window, Qt::RightButton, {}, inWindow(0));
    QVERIFY(!popup->isVisible());
    QTest::mouseRelease(window, Qt::RightButton, {}, inWindow(0));
    QTRY_VERIFY_WITH_TIMEOUT(popup->isVisible(), test::Limit(5000));
    // The row under the pointer is not selected: the popup acts on the channel selected before.
    QCOMPARE(view->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(view->selectionModel()->selectedRows().first().row(), 1);
    popup->actions().first()->trigger();
    popup->close();
    QTRY_VERIFY_WITH_TIMEOUT(!listForm_->isVisible(), test::Limit(5000));
    QCOMPARE(mainForm_->windowTitle(), QStringLiteral("Zentavo Player - [ ") + selectedName + QStringLiteral(" ]"));
}

void BridgeEndToEnd::channelsMenuShortcutsOpenListOnTheirTab()
{
    const QList<std::pair<Qt::Key, int>> shortcuts{
        {Qt::Key_R, 1}, {Qt::Key_F, 3}, {Qt::Key_W, 2}, {Qt::Key_T, 0}, {Qt::Key_R, 1}};
    for (const auto& [key, tab] : shortcuts) {
        mainForm_->activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(mainForm_->isActiveWindow(), test::Limit(5000));
        int shownTab = -1;
        QTimer::singleShot(100, listForm_.get(), [&] {
            shownTab = listForm_->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->currentIndex();
            // The user leaves on another tab; the next opening sets its own.
            listForm_->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(2);
            listForm_->close();
        });
        QTimer::singleShot(5000, listForm_.get(), [&] { listForm_->close(); }); // a failing test must not hang
        QTest::keyClick(mainForm_.get(), key, Qt::ControlModifier);
        QCOMPARE(shownTab, tab);
    }
}

void BridgeEndToEnd::addToFavouritesAddsChannelSelectedLastNotThePlayingOne()
{
    PlayFromList(1, "4");
    QCOMPARE(mainForm_->windowTitle(), QStringLiteral("Zentavo Player - [  Test - Channel 4  (300k) ]"));
    // Another channel is selected, and the list window closed without playing it.
    auto* radio = listForm_->findChild<ChannelListView*>(QStringLiteral("ListView2"));
    listForm_->show();
    radio->setCurrentIndex(radio->model()->index(0, 0));
    listForm_->close();

    prompts_.questions = 0;
    prompts_.answerYes = true;
    QTest::keyClick(mainForm_.get(), Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(prompts_.questions, 1);
    QFile favourites(program_.filePath(QStringLiteral("data/tv-list-fav.xml")));
    QVERIFY(favourites.open(QIODevice::ReadOnly));
    const QByteArray saved = favourites.readAll();
    QVERIFY2(saved.contains(R"(<item id="2" comment=""/>)") && !saved.contains(R"(id="4")"), saved.constData());
    QCOMPARE(listForm_->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->currentIndex(), 3);
    QFile::remove(favourites.fileName());
}

int main(int argc, char** argv)
{
    PlayerProfile::RegisterUrlSchemes();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    BridgeEndToEnd test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_bridge_e2e.moc"
