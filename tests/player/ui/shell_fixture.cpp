#include "shell_fixture.h"

#include "crypto/stream_passphrase.h"
#include "crypto/string_cipher.h"
#include "tests/support/waits.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace zentavo {

QStringList& ReportedErrors()
{
    static QStringList errors;
    return errors;
}

const ErrorReporter& TestErrorReporter()
{
    static const ErrorReporter reporter([](const QString& text) { ReportedErrors().append(text); });
    return reporter;
}

bool RecordingLauncher::NextAnswer()
{
    return answers.isEmpty() ? false : answers.takeFirst();
}

bool RecordingLauncher::OpenWithDefaultHandler(const QUrl& url)
{
    calls << QStringLiteral("open ") + url.toString();
    return NextAnswer();
}

bool RecordingLauncher::StartProgram(const QString& program, const QStringList& arguments)
{
    calls << program + QLatin1Char(' ') + arguments.join(QLatin1Char(' '));
    return NextAnswer();
}

namespace {

QByteArray Item(int id, const char* type2, int kind, const QByteArray& address)
{
    const std::string url = EncipherString(address.toStdString(), BuildStreamPassphrase(), KeySize::Key256);
    return QStringLiteral(
               "<item><id>%1</id><name>Channel %1</name><country>Testland</country><bandwidth>300k</bandwidth>"
               "<type2>%2</type2><imgindex>%3</imgindex><url>%4</url></item>\n")
        .arg(id)
        .arg(QLatin1String(type2))
        .arg(kind)
        .arg(QString::fromStdString(url))
        .toUtf8();
}

} // namespace

ShellFixture::ShellFixture() : settings(configDir.filePath(QStringLiteral("zentavo/player.ini")))
{
    QDir(programDir.path()).mkpath(QStringLiteral("data"));
    QFile::copy(QString::fromLocal8Bit(qgetenv("ZENTAVO_SOURCE_DIR")) + QStringLiteral("/data/start.zvo"),
                DataPath(QStringLiteral("start.zvo")));
    items_ = Item(1, "tv", 0, "http://127.0.0.1:9/wmp.mp4") + Item(2, "radio", 1, "http://127.0.0.1:9/real.mp3")
        + Item(3, "webcam", 2, "http://127.0.0.1:9/cam.jpg") + Item(4, "tv", 7, "http://127.0.0.1:9/odd");
    WriteCatalogue();
    MakeWindows();
    ReportedErrors().clear();
}

void ShellFixture::MakeWindows()
{
    form = std::make_unique<TMainForm>(context,
                                       MainFormServices{settings, TestErrorReporter(), browser, profile, scratch,
                                                        programDir.path() + QLatin1Char('/'),
                                                        PlayerPage::AlertDisplay::SignalOnly});
    list = std::make_unique<TListForm>(context);
    form->SetListForm(list.get());
    preferences = std::make_unique<TPreferenceForm>(*form);
    form->SetPreferenceForm(preferences.get());
}

void ShellFixture::Restart()
{
    form->close();
    preferences.reset();
    list.reset();
    form.reset();
    MakeWindows();
}

ShellFixture::~ShellFixture()
{
    preferences.reset();
    list.reset();
    form.reset();
    scratch.Clear();
}

void ShellFixture::WriteCatalogue()
{
    QFile catalogue(DataPath(QStringLiteral("tv-all.xml")));
    QVERIFY(catalogue.open(QIODevice::WriteOnly | QIODevice::Truncate));
    catalogue.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>\n" + items_ + "</items>\n");
}

void ShellFixture::AddChannel(int id, const char* type2, int kind, const QString& address)
{
    items_ += Item(id, type2, kind, address.toUtf8());
    WriteCatalogue();
}

QString ShellFixture::DataPath(const QString& name) const
{
    return programDir.filePath(QStringLiteral("data/") + name);
}

void ShellFixture::ShowAndActivate()
{
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    form->activateWindow();
    QTRY_VERIFY_WITH_TIMEOUT(!form->FirstActivationPending(), zentavo::test::Limit(10000));
}

void ShellFixture::Play(const QString& id, const QString& name)
{
    context.CurrentChannelId = id;
    context.CurrentChannelName = name;
    form->PlayChannel();
}

} // namespace zentavo

#include "app/zentavo_application.h"
#include "player/player_profile.h"
#include "player/ui/right_button_filter.h"

namespace zentavo {

int RunShellTest(QObject& test, int argc, char** argv)
{
    PlayerProfile::RegisterUrlSchemes();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    ZentavoApplication app(argc, argv, TestErrorReporter());
    RightButtonFilter filter;
    app.installEventFilter(&filter);
    return QTest::qExec(&test, argc, argv);
}

} // namespace zentavo
