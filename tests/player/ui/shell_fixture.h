#pragma once
// A main window with its channel list window and preferences dialog over a private program folder:
// data/start.zvo, and a catalogue whose addresses are protected under the stream passphrase.

#include "app/preference_form.h"
#include "app/settings_store.h"
#include "channels/app_context.h"
#include "channels/ui/list_form.h"
#include "player/player_profile.h"
#include "player/scratch_folder.h"
#include "player/ui/browser_launcher.h"
#include "player/ui/error_report.h"
#include "player/ui/main_form.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace zentavo {

// Errors that reach the application's error report during a test.
QStringList& ReportedErrors();
const ErrorReporter& TestErrorReporter();

// Remembers what it was asked to open; each call answers with the next planned result.
class RecordingLauncher : public BrowserLauncher {
public:
    QStringList calls;
    QList<bool> answers; // used in order; missing answers are failures
    bool OpenWithDefaultHandler(const QUrl& url) override;
    bool StartProgram(const QString& program, const QStringList& arguments) override;

private:
    bool NextAnswer();
};

struct ShellFixture {
    // Channels: 1 Windows Media, 2 Real, 3 Snapshot, 4 with an unknown kind 7.
    ShellFixture();
    ~ShellFixture();

    QString DataPath(const QString& name) const;
    void ShowAndActivate();
    // Sets the current channel as the list window would and plays it.
    void Play(const QString& id, const QString& name);
    // Closes the windows as the program's end does and makes them anew over the same folders and
    // settings file, as the next run of the program would.
    void Restart();
    // Adds a channel "Channel <id>" to the catalogue (ids from 5 on).
    void AddChannel(int id, const char* type2, int kind, const QString& address);

    QTemporaryDir programDir;
    QTemporaryDir configDir;
    AppContext context;
    SettingsStore settings;
    RecordingLauncher browser;
    PlayerProfile profile;
    ScratchFolder scratch; // its pages go when the fixture does
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TListForm> list;
    std::unique_ptr<TPreferenceForm> preferences;

private:
    void MakeWindows();
    void WriteCatalogue();
    QByteArray items_;
};

} // namespace zentavo

namespace zentavo {
// Runs a QtTest object inside the program's own application object (errors go to ReportedErrors)
// with the right-button filter installed, as the program runs.
int RunShellTest(QObject& test, int argc, char** argv);
} // namespace zentavo
