#include "startup.h"

#include "locale_gate.h"
#include "preference_form.h"
#include "settings_store.h"
#include "zentavo_application.h"

#include "app/mpris/mpris_service.h"
#include "app/mpris/mpris_wiring.h"
#include "channels/app_context.h"
#include "channels/ui/list_form.h"
#include "channels/ui/plain_text.h"
#include "crypto/stream_passphrase.h"
#include "guide/guide_refresh.h"
#include "guide/ui/guide_windows.h"
#include "guide/ui/guide_wiring.h"
#include "player/player_profile.h"
#include "player/scene_graph_backend.h"
#include "player/scratch_folder.h"
#include "player/ui/browser_launcher.h"
#include "player/ui/error_report.h"
#include "player/ui/main_form.h"
#include "player/ui/right_button_filter.h"
#include "player/ui/splash_form.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>
#include <cstdio>

namespace zentavo {

void ShowStartupFailureBox(const QString& text)
{
    PlainMessageBox box(QMessageBox::Critical, QStringLiteral("Application Error"), text, QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

namespace {

// The start page's first load, for timing runs.
void ReportStartPage(TMainForm& mainForm, bool closeAfter)
{
    auto* page = mainForm.Page();
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection =
        QObject::connect(page, &QWebEnginePage::loadFinished, &mainForm, [&mainForm, connection, closeAfter](bool) {
            QObject::disconnect(*connection);
            std::fputs("zentavo: start page loaded\n", stderr);
            std::fflush(stderr);
            if (closeAfter)
                QTimer::singleShot(0, &mainForm, &QWidget::close);
        });
}

} // namespace

int RunPlayer(int& argc, char** argv, const StartupHooks& hooks)
{
    const auto step = [&hooks](const char* name) {
        if (hooks.onStep)
            hooks.onStep(name);
    };

    // Custom URL schemes must be known before the application object exists.
    PlayerProfile::RegisterUrlSchemes();
    // The web view and the widgets share one OpenGL context set-up.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    const ErrorReporter errors(hooks.errorSink);
    ZentavoApplication app(argc, argv, errors);
    ChooseSceneGraphBackend(); // before the first web view
    step("application");

    ZentavoApplication::SetIdentity();
    step("title");

    try {
        RunLocaleGate();
    } catch (const std::exception& error) {
        const QString text = StartupFailureText(error, QFileInfo(QCoreApplication::applicationFilePath()).fileName());
        step("refused");
        (hooks.startupFailureBox ? hooks.startupFailureBox : ShowStartupFailureBox)(text);
        return 1;
    }
    step("gate");

    // The main window destroys the splash when it is first shown.
    QPointer<TSplashForm> splash = new TSplashForm;
    splash->setAttribute(Qt::WA_DeleteOnClose, false);
    splash->show();
    QCoreApplication::processEvents();
    splash->repaint();
    step("splash");

    AppContext context;
    // Built before any window exists: every window that plays or imports needs it, whichever the
    // user opens first.
    context.StreamPassphrase = BuildStreamPassphrase();
    SettingsStore settings;
    BrowserLauncher browser;
    // The web engine profile of the player pages; it outlives the main window that shows them.
    PlayerProfile profile;
    // The player pages of this process; its list of them stays locked while the program runs.
    ScratchFolder scratch;
    if (hooks.scratchFolder)
        hooks.scratchFolder(scratch);
    TMainForm mainForm(context,
                       MainFormServices{settings, errors, browser, profile, scratch,
                                        QCoreApplication::applicationDirPath() + QLatin1Char('/')});
    mainForm.SetSplashForm(splash);
    step("main window");
    TListForm listForm(context);
    mainForm.SetListForm(&listForm);
    step("list window");
    // The programme guide: the lists' "now on" column, the guide window, the programme that plays.
    GuideWindows guide(DefaultGuidePaths(), SystemGuideClock());
    guide.AttachLists(listForm);
    ConnectGuideToMainWindow(guide, mainForm, context);
    guide.EnableSources([&context] {
        GuideRefreshSettings settings;
        settings.shippedCatalogue = QFile::encodeName(context.CataloguePath()).toStdString();
        settings.playlistsFolder = QFile::encodeName(context.PlaylistsFolder()).toStdString();
        return settings;
    });
    TPreferenceForm preferences(mainForm);
    mainForm.SetPreferenceForm(&preferences);
    step("preferences");

    // The desktop's media controls; without a session bus the player runs without them. The bus is
    // reached once the loop runs, so that connecting to it does not delay the main window.
    MprisService mpris(QStringLiteral("org.zentavo.Player"));
    ConnectMprisToWindow(mpris, mainForm);
    QTimer::singleShot(0, &mpris, [&mpris] { mpris.Register(); });

    RightButtonFilter rightButtonFilter;
    app.installEventFilter(&rightButtonFilter);

    const QByteArray report = qgetenv("ZENTAVO_REPORT_STARTUP");
    if (!report.isEmpty())
        ReportStartPage(mainForm, report == "exit");

    mainForm.show();
    // Guides older than a day are read again in the background once the window shows.
    QTimer::singleShot(0, &guide, [&guide] { guide.RefreshQuietly(); });
    step("loop");
    const int status = QApplication::exec();
    delete splash.data();
    step("end");
    return status;
}

} // namespace zentavo
