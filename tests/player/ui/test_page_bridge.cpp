// The page bridge on a small local page with hidden buttons, and the toolbar commands that use it
// on the real player pages.
#include "shell_fixture.h"

#include "player/ui/page_bridge.h"
#include "tests/support/waits.h"

#include <QKeyEvent>
#include <QMenuBar>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>

using namespace zentavo;

namespace {

const char kButtonsPage[] = R"html(<!DOCTYPE html><html><body>
<script>window.clicks = [];</script>
<input type="button" name="HTML_Full" style="display:none" onclick="clicks.push(this.name)">
<input type="button" name="HTML_SetONSound" style="display:none" onclick="clicks.push(this.name)">
<input type="button" name="HTML_SetOFFSound" style="display:none" onclick="clicks.push(this.name)">
<input type="button" name="HTML_Sound" value="" style="display:none" onclick="clicks.push(this.name + '=' + this.value)">
<input type="button" id="twice" name="twice" onclick="clicks.push('first')"><input type="button" name="twice" onclick="clicks.push('second')">
</body></html>)html";

// Evaluates a script in the page and waits for its result.
QVariant Evaluate(QWebEnginePage& page, const QString& script)
{
    struct Answer {
        QVariant value;
        bool done = false;
    };
    auto answer = std::make_shared<Answer>();
    page.runJavaScript(script, QWebEngineScript::MainWorld, [answer](const QVariant& value) {
        answer->value = value;
        answer->done = true;
    });
    if (!QTest::qWaitFor([&] { return answer->done; }, 10000))
        return QStringLiteral("no answer");
    return answer->value;
}

QStringList Clicks(QWebEnginePage& page)
{
    return Evaluate(page, QStringLiteral("window.clicks")).toStringList();
}

struct ButtonsPage {
    QWebEngineProfile profile;
    QWebEnginePage page{&profile};
    std::unique_ptr<PageBridge> bridge = std::make_unique<PageBridge>(page, TestErrorReporter());

    ButtonsPage()
    {
        QSignalSpy loaded(&page, &QWebEnginePage::loadFinished);
        page.setHtml(QString::fromLatin1(kButtonsPage));
        loaded.wait(test::Limit(20000));
        ReportedErrors().clear();
    }
    ~ButtonsPage() { bridge.reset(); }
};

} // namespace

class PageBridgeTest : public QObject {
    Q_OBJECT

private slots:
    void clickRunsThePageHandlerBeforeTheNextStep()
    {
        ButtonsPage p;
        QStringList seenByNextStep{QStringLiteral("not run")};
        p.bridge->ClickPageButton(QStringLiteral("HTML_Full"), [&] {
            // The next step runs once the page has taken the click.
            p.page.runJavaScript(QStringLiteral("window.clicks"), QWebEngineScript::MainWorld,
                                 [&](const QVariant& clicks) { seenByNextStep = clicks.toStringList(); });
        });
        QTRY_COMPARE_WITH_TIMEOUT(seenByNextStep, QStringList{QStringLiteral("HTML_Full")}, test::Limit(10000));
        QVERIFY(ReportedErrors().isEmpty());
    }

    void valueWrittenThenClickedReachesTheHandler()
    {
        ButtonsPage p;
        p.bridge->SetPageElementValue(QStringLiteral("HTML_Sound"), QStringLiteral("-1000"),
                                      [&] { p.bridge->ClickPageButton(QStringLiteral("HTML_Sound")); });
        QTRY_COMPARE_WITH_TIMEOUT(Clicks(p.page), QStringList{QStringLiteral("HTML_Sound=-1000")}, test::Limit(10000));
    }

    void missingElementIsReportedAndTheNextStepSkipped_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("absent") << QStringLiteral("HTML_Play");
        QTest::newRow("script in the name") << QStringLiteral("x\"); clicks.push('injected'); (\"");
        QTest::newRow("empty") << QString();
    }
    void missingElementIsReportedAndTheNextStepSkipped()
    {
        QFETCH(QString, name);
        ButtonsPage p;
        bool nextRan = false;
        p.bridge->ClickPageButton(name, [&] { nextRan = true; });
        QTRY_COMPARE_WITH_TIMEOUT(ReportedErrors().size(), 1, test::Limit(10000));
        QCOMPARE(ReportedErrors().first(), PageBridge::MissingElementMessage(name) + QLatin1Char('.'));
        QVERIFY(!nextRan);
        QCOMPARE(Clicks(p.page), QStringList());
    }

    void valueIsWrittenAsPlainText()
    {
        ButtonsPage p;
        const QString hostile = QStringLiteral("\"'</script>\\n");
        bool done = false;
        p.bridge->SetPageElementValue(QStringLiteral("HTML_Sound"), hostile, [&] { done = true; });
        QTRY_VERIFY_WITH_TIMEOUT(done, test::Limit(10000));
        QCOMPARE(Evaluate(p.page, QStringLiteral("document.all.item('HTML_Sound').value")).toString(), hostile);
    }

    void sharedNameClicksTheFirstElement()
    {
        ButtonsPage p;
        bool done = false;
        p.bridge->ClickPageButton(QStringLiteral("twice"), [&] { done = true; });
        QTRY_VERIFY_WITH_TIMEOUT(done, test::Limit(10000));
        QCOMPARE(Clicks(p.page), QStringList{QStringLiteral("first")});
    }

    void pageWithoutDocumentReportsTheMissingElement()
    {
        QWebEngineProfile profile;
        QWebEnginePage page(&profile);
        {
            PageBridge bridge(page, TestErrorReporter());
            ReportedErrors().clear();
            bridge.ClickPageButton(QStringLiteral("HTML_Full"));
            QTRY_COMPARE_WITH_TIMEOUT(ReportedErrors().size(), 1, test::Limit(10000));
        }
    }

    // ---- the toolbar on the real player pages ----

    void muteAlternatesThePageCommandsAndTheSoundState()
    {
        ShellFixture f;
        f.ShowAndActivate();
        QSignalSpy loaded(f.form->Page(), &QWebEnginePage::loadFinished);
        f.Play(QStringLiteral("1"), QStringLiteral("TV"));
        QVERIFY(loaded.wait(test::Limit(20000)));
        Evaluate(*f.form->Page(),
                 QStringLiteral("window.hostClicks = [];"
                                "for (const n of ['HTML_SetONSound', 'HTML_SetOFFSound'])"
                                "  document.all.item(n).addEventListener('click', () => hostClicks.push(n));"));
        auto* mute = f.form->findChild<QToolButton*>(QStringLiteral("btn_mute"));
        QCOMPARE(mute->property("imageIndex").toInt(), 7);

        mute->click();
        QTRY_VERIFY_WITH_TIMEOUT(!f.form->SoundOn(), test::Limit(10000));
        QVERIFY(mute->isChecked());
        QCOMPARE(mute->property("imageIndex").toInt(), 6);

        // Another channel: no mute command is sent, the state stays, the next click turns sound on.
        f.Play(QStringLiteral("1"), QStringLiteral("TV"));
        QVERIFY(loaded.wait(test::Limit(20000)));
        QVERIFY(!f.form->SoundOn());
        Evaluate(*f.form->Page(),
                 QStringLiteral("window.hostClicks = [];"
                                "for (const n of ['HTML_SetONSound', 'HTML_SetOFFSound'])"
                                "  document.all.item(n).addEventListener('click', () => hostClicks.push(n));"));
        mute->click();
        QTRY_VERIFY_WITH_TIMEOUT(f.form->SoundOn(), test::Limit(10000));
        QVERIFY(!mute->isChecked());
        QCOMPARE(mute->property("imageIndex").toInt(), 7);
        mute->click();
        QTRY_VERIFY_WITH_TIMEOUT(!f.form->SoundOn(), test::Limit(10000));
        QCOMPARE(Evaluate(*f.form->Page(), QStringLiteral("hostClicks")).toStringList(),
                 (QStringList{QStringLiteral("HTML_SetOFFSound"), QStringLiteral("HTML_SetONSound")}));
        QVERIFY(ReportedErrors().isEmpty());
    }

    void twoQuickMuteClicksComeBackToSoundOn()
    {
        ShellFixture f;
        f.ShowAndActivate();
        QSignalSpy loaded(f.form->Page(), &QWebEnginePage::loadFinished);
        f.Play(QStringLiteral("1"), QStringLiteral("TV"));
        QVERIFY(loaded.wait(test::Limit(20000)));
        Evaluate(*f.form->Page(),
                 QStringLiteral("window.hostClicks = [];"
                                "for (const n of ['HTML_SetONSound', 'HTML_SetOFFSound'])"
                                "  document.all.item(n).addEventListener('click', () => hostClicks.push(n));"));
        auto* mute = f.form->findChild<QToolButton*>(QStringLiteral("btn_mute"));
        // Both clicks land before the page has answered the first.
        mute->click();
        mute->click();
        QTRY_COMPARE_WITH_TIMEOUT(Evaluate(*f.form->Page(), QStringLiteral("hostClicks")).toStringList(),
                                  (QStringList{QStringLiteral("HTML_SetONSound"), QStringLiteral("HTML_SetOFFSound")}),
                                  test::Limit(10000));
        QTRY_VERIFY_WITH_TIMEOUT(f.form->SoundOn(), test::Limit(10000));
        QVERIFY(!mute->isChecked());
        QCOMPARE(mute->property("imageIndex").toInt(), 7);
        // Three quick clicks end muted.
        mute->click();
        mute->click();
        mute->click();
        QTRY_COMPARE_WITH_TIMEOUT(Evaluate(*f.form->Page(), QStringLiteral("hostClicks.length")).toInt(), 5,
                                  test::Limit(10000));
        QTRY_VERIFY_WITH_TIMEOUT(!f.form->SoundOn(), test::Limit(10000));
        QVERIFY(mute->isChecked());
        QCOMPARE(mute->property("imageIndex").toInt(), 6);
        QVERIFY(ReportedErrors().isEmpty());
    }

    void volumeSliderSendsTheKindsScale_data()
    {
        QTest::addColumn<QString>("channel");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("sent");
        QTest::newRow("windows media 0") << "1" << 0 << "-2000";
        QTest::newRow("windows media 50") << "1" << 50 << "-1000";
        QTest::newRow("real 0") << "2" << 0 << "0";
        QTest::newRow("real 99") << "2" << 99 << "99";
    }
    void volumeSliderSendsTheKindsScale()
    {
        QFETCH(QString, channel);
        QFETCH(int, position);
        QFETCH(QString, sent);
        ShellFixture f;
        f.ShowAndActivate();
        QSignalSpy loaded(f.form->Page(), &QWebEnginePage::loadFinished);
        f.Play(channel, QStringLiteral("Channel"));
        QVERIFY(loaded.wait(test::Limit(20000)));
        Evaluate(
            *f.form->Page(),
            QStringLiteral(
                "window.sent = [];"
                "document.all.item('HTML_Sound').addEventListener('click', function () { sent.push(this.value); });"));
        QSignalSpy moved(f.form.get(), &TMainForm::VolumePositionChanged);
        f.form->findChild<QSlider*>(QStringLiteral("JvTrackBar1"))->setValue(position);
        QCOMPARE(moved.size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(Evaluate(*f.form->Page(), QStringLiteral("sent")).toStringList(), QStringList{sent},
                                  test::Limit(10000));
        QVERIFY(ReportedErrors().isEmpty());
    }

    void volumeOnTheStartPageSendsNothing()
    {
        ShellFixture f;
        f.ShowAndActivate();
        f.form->SetVolumePosition(40);
        // A call to the page would answer within a round trip to the renderer.
        QVERIFY(test::StaysFor(std::chrono::milliseconds(1000), [] { return ReportedErrors().isEmpty(); }));
    }

    void pageFullScreenFillsTheScreenAndEscLeaves()
    {
        ShellFixture f;
        f.ShowAndActivate();
        QSignalSpy loaded(f.form->Page(), &QWebEnginePage::loadFinished);
        f.Play(QStringLiteral("1"), QStringLiteral("TV"));
        QVERIFY(loaded.wait(test::Limit(20000)));
        Evaluate(*f.form->Page(), QStringLiteral("console.info('zentavo:fullscreen:on')"));
        QTRY_VERIFY_WITH_TIMEOUT(f.form->PlayerFillsScreen(), test::Limit(10000));
        QVERIFY(f.form->isFullScreen());
        QVERIFY(f.form->menuBar()->isHidden());
        QVERIFY(f.form->findChild<QWidget*>(QStringLiteral("ToolBar_player"))->isHidden());
        QTest::keyClick(f.form.get(), Qt::Key_Escape);
        QVERIFY(!f.form->PlayerFillsScreen());
        QTRY_VERIFY_WITH_TIMEOUT(!f.form->isFullScreen(), test::Limit(5000));
        QVERIFY(!f.form->menuBar()->isHidden());
        QVERIFY(!f.form->findChild<QWidget*>(QStringLiteral("ToolBar_player"))->isHidden());

        // A channel started while the player fills the screen comes back to the window first.
        Evaluate(*f.form->Page(), QStringLiteral("console.info('zentavo:fullscreen:on')"));
        QTRY_VERIFY_WITH_TIMEOUT(f.form->PlayerFillsScreen(), test::Limit(10000));
        f.Play(QStringLiteral("3"), QStringLiteral("Cam"));
        QVERIFY(!f.form->PlayerFillsScreen());
        QVERIFY(!f.form->menuBar()->isHidden());
        QVERIFY(!f.form->findChild<QWidget*>(QStringLiteral("Panel_foto"))->isHidden());
        QVERIFY(f.form->findChild<QWidget*>(QStringLiteral("ToolBar_player"))->isHidden());
    }

    void pageNeverSeesARightButtonPress()
    {
        ShellFixture f;
        QSignalSpy loaded(f.form->Page(), &QWebEnginePage::loadFinished);
        f.ShowAndActivate();
        QVERIFY(loaded.size() >= 1 || loaded.wait(test::Limit(20000)));
        Evaluate(*f.form->Page(),
                 QStringLiteral("window.seen = [];"
                                "for (const t of ['mousedown', 'mouseup', 'dblclick', 'contextmenu'])"
                                "  document.addEventListener(t, (e) => seen.push(t + e.button), true);"));
        QWidget* target = f.form->findChild<QWidget*>(QStringLiteral("WebBrowser1"))->focusProxy();
        QVERIFY(target);
        const QPoint at(60, 60);
        QTest::mousePress(target, Qt::RightButton, {}, at);
        QTest::mouseRelease(target, Qt::RightButton, {}, at);
        QTest::mouseDClick(target, Qt::RightButton, {}, at);
        QTest::mouseClick(target, Qt::LeftButton, {}, at);
        QTRY_VERIFY_WITH_TIMEOUT(
            Evaluate(*f.form->Page(), QStringLiteral("seen")).toStringList().contains(QStringLiteral("mouseup0")),
            test::Limit(10000));
        const QStringList seen = Evaluate(*f.form->Page(), QStringLiteral("seen")).toStringList();
        QVERIFY2(seen.contains(QStringLiteral("mousedown0")), qPrintable(seen.join(u' ')));
        QVERIFY2(seen.contains(QStringLiteral("mouseup2")), qPrintable(seen.join(u' ')));
        QVERIFY2(!seen.contains(QStringLiteral("mousedown2")), qPrintable(seen.join(u' ')));
        QVERIFY2(!seen.contains(QStringLiteral("contextmenu2")), qPrintable(seen.join(u' ')));
    }

    void missingPageElementLeavesTheSoundStateAlone()
    {
        ShellFixture f;
        f.ShowAndActivate();
        QSignalSpy loaded(f.form->Page(), &QWebEnginePage::loadFinished);
        f.Play(QStringLiteral("3"), QStringLiteral("Cam")); // the snapshot page has no sound buttons
        QVERIFY(loaded.wait(test::Limit(20000)));
        f.form->btn_muteClick();
        QTRY_COMPARE_WITH_TIMEOUT(ReportedErrors().size(), 1, test::Limit(10000));
        QCOMPARE(ReportedErrors().first(),
                 PageBridge::MissingElementMessage(QStringLiteral("HTML_SetONSound")) + QLatin1Char('.'));
        QVERIFY(f.form->SoundOn());
        QVERIFY(!f.form->findChild<QToolButton*>(QStringLiteral("btn_mute"))->isChecked());
        // The refused command is forgotten: the next click asks for silence again.
        f.form->btn_muteClick();
        QTRY_COMPARE_WITH_TIMEOUT(ReportedErrors().size(), 2, test::Limit(10000));
        QCOMPARE(ReportedErrors().last(),
                 PageBridge::MissingElementMessage(QStringLiteral("HTML_SetONSound")) + QLatin1Char('.'));
    }
};

int main(int argc, char** argv)
{
    PageBridgeTest test;
    return RunShellTest(test, argc, argv);
}

#include "test_page_bridge.moc"
