#pragma once
// The main window's own keys, in one table: what each command is, the keys that run it and how
// Help > Keyboard names it. The menu items' shortcuts (Ctrl+T and the others) stay with their
// items in the window's .ui file; the Keyboard list shows both.

#include <QKeySequence>
#include <QList>
#include <QString>

class QAction;
class QWidget;

namespace zentavo {

enum class PlayerCommand {
    NextChannel,
    PreviousChannel,
    LastChannel,
    FullScreen,
    LeaveFullScreen,
    Mute,
    VolumeUp,
    VolumeDown,
    MenuBar
};

struct PlayerKey {
    PlayerCommand command;
    QList<QKeySequence> keys;
    const char* what; // as the Keyboard list says it
};

// Every key of the window besides the menu items' shortcuts, in the order the Keyboard list shows
// them. Esc is there too: it leaves full screen through a shortcut of its own, which is on only
// while the player fills the screen (else Esc belongs to the page).
const QList<PlayerKey>& PlayerKeys();

// How far one press of a volume key moves the volume slider (0 to 100).
inline constexpr int kVolumeKeyStep = 5;

// The Keyboard list: one line a key, the keys of the table first, then the menu items' shortcuts
// with the items' captions.
QString KeyboardListText(const QList<QAction*>& menuItems);

// Help > Keyboard: the list as plain text in a modal dialog with a Close button.
void ShowKeyboardDialog(QWidget* parent, const QString& text);

} // namespace zentavo
