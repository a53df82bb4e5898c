#pragma once
// The program's start-up sequence, its message loop and its end.

#include <QString>
#include <functional>

namespace zentavo {

class ScratchFolder;

struct StartupHooks {
    // Where errors that escape a handler go; without one they are shown in the error box.
    std::function<void(const QString& text)> errorSink;
    // Shows the "Application Error" box of a start-up that may not go on; without one a message box.
    std::function<void(const QString& text)> startupFailureBox;
    // Told each step of the sequence as it is done: "application", "title", "gate", "refused",
    // "splash", "main window", "list window", "preferences", "loop", "end".
    std::function<void(const char* step)> onStep;
    // Given the folder that start-up made for the player pages, before the main window exists.
    std::function<void(ScratchFolder& scratch)> scratchFolder;
};

// The "Application Error" box of a start-up that may not go on (modal, error icon, OK).
void ShowStartupFailureBox(const QString& text);

// Runs the player: the exit status (0, or 1 when the locale gate refuses).
// With ZENTAVO_REPORT_STARTUP=1 it prints "zentavo: start page loaded" to standard error once the main
// window shows the start page; with "exit" it then also closes the main window (timing runs, smoke tests).
int RunPlayer(int& argc, char** argv, const StartupHooks& hooks = {});

} // namespace zentavo
