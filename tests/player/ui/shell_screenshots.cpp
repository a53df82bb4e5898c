// Not a test: takes pictures of the main window, its menus and dialogs, the splash and the preferences dialog
// for a reviewer's eye. Run under Xvfb:
//   xvfb-run -s "-screen 0 1024x768x24" build/bin/shell_screenshots OUTPUT_FOLDER
#include "shell_fixture.h"

#include "app/zentavo_application.h"
#include "player/player_profile.h"
#include "player/ui/splash_form.h"
#include "tests/support/waits.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cstdio>

using namespace zentavo;

namespace {

QString outputFolder;

void Save(const QString& name, const QRect& area)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    QTest::qWait(400);
    const QPixmap shot = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    const QString path = outputFolder + QLatin1Char('/') + name + QStringLiteral(".png");
    std::printf("%s %s\n", qPrintable(path), shot.save(path) ? "saved" : "FAILED");
}

QRect Frame(const QWidget* w)
{
    return w->frameGeometry().adjusted(-2, -2, 2, 2);
}

void ShootMenu(ShellFixture& f, const char* menuName, const QString& file)
{
    auto* menu = f.form->findChild<QMenu*>(QLatin1String(menuName));
    const QRect item = f.form->menuBar()->actionGeometry(menu->menuAction());
    menu->popup(f.form->menuBar()->mapToGlobal(item.bottomLeft()));
    QTest::qWait(300);
    Save(file, Frame(f.form.get()).united(menu->frameGeometry()).adjusted(0, 0, 4, 4));
    menu->hide();
}

// Opens the dialog of a menu item, pictures it and closes it.
void ShootDialog(ShellFixture& f, const char* item, const QString& file)
{
    QTimer shooter;
    QObject::connect(&shooter, &QTimer::timeout, f.form.get(), [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        shooter.stop();
        Save(file, Frame(dialog));
        dialog->reject();
    });
    shooter.start(50);
    f.form->findChild<QAction*>(QLatin1String(item))->trigger();
    (void)QTest::qWaitFor([&] { return !shooter.isActive(); }, test::Limit(10000));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs("usage: shell_screenshots OUTPUT_FOLDER\n", stderr);
        return 2;
    }
    outputFolder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(outputFolder);
    PlayerProfile::RegisterUrlSchemes();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    ZentavoApplication app(argc, argv, TestErrorReporter());

    {
        TSplashForm splash;
        splash.show();
        (void)QTest::qWaitForWindowExposed(&splash);
        Save(QStringLiteral("splash"), Frame(&splash));
        splash.SetStatusText(QStringLiteral("About ..."));
        Save(QStringLiteral("about"), Frame(&splash));
    }

    ShellFixture f;
    QSignalSpy loaded(f.form->Page(), &QWebEnginePage::loadFinished);
    f.form->move(40, 40);
    f.ShowAndActivate();
    loaded.wait(test::Limit(20000));
    Save(QStringLiteral("main-start-page"), Frame(f.form.get()));
    ShootMenu(f, "Channels1", QStringLiteral("menu-channels"));
    ShootMenu(f, "View1", QStringLiteral("menu-options"));
    ShootMenu(f, "Help1", QStringLiteral("menu-help"));

    f.Play(QStringLiteral("1"), QStringLiteral("Channel 1"));
    loaded.wait(test::Limit(20000));
    Save(QStringLiteral("main-stream"), Frame(f.form.get()));
    ShootDialog(f, "StreamInformation1", QStringLiteral("stream-information"));
    ShootDialog(f, "RecentTitles1", QStringLiteral("recent-titles"));
    ShootDialog(f, "Keyboard1", QStringLiteral("keyboard"));
    f.Play(QStringLiteral("3"), QStringLiteral("Cam"));
    loaded.wait(test::Limit(20000));
    Save(QStringLiteral("main-snapshot"), Frame(f.form.get()));

    f.preferences->move(80, 80);
    f.preferences->show();
    (void)QTest::qWaitForWindowExposed(f.preferences.get());
    Save(QStringLiteral("preferences"), Frame(f.preferences.get()));
    f.preferences->hide();
    return 0;
}
