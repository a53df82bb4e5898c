#include "player_keys.h"

#include "text_dialog.h"

#include <QAction>

namespace zentavo {

const QList<PlayerKey>& PlayerKeys()
{
    // Up and Down move the volume while the window's controls have the keyboard; Ctrl+Up and
    // Ctrl+Down do it whatever has it, also a page that scrolls with the arrows.
    static const QList<PlayerKey> keys{
        {PlayerCommand::NextChannel, {QKeySequence(Qt::Key_PageDown)}, "Next channel of the list it was played from"},
        {PlayerCommand::PreviousChannel,
         {QKeySequence(Qt::Key_PageUp)},
         "Previous channel of the list it was played from"},
        {PlayerCommand::LastChannel, {QKeySequence(Qt::Key_Backspace)}, "Back to the channel played before"},
        {PlayerCommand::FullScreen, {QKeySequence(Qt::Key_F11), QKeySequence(Qt::Key_F)}, "Full screen on and off"},
        {PlayerCommand::LeaveFullScreen, {QKeySequence(Qt::Key_Escape)}, "Leave full screen"},
        {PlayerCommand::Mute, {QKeySequence(Qt::Key_M)}, "Mute on and off"},
        {PlayerCommand::VolumeUp, {QKeySequence(Qt::Key_Up), QKeySequence(Qt::CTRL | Qt::Key_Up)}, "Volume up"},
        {PlayerCommand::VolumeDown, {QKeySequence(Qt::Key_Down), QKeySequence(Qt::CTRL | Qt::Key_Down)}, "Volume down"},
        {PlayerCommand::MenuBar, {QKeySequence(Qt::Key_F10)}, "Open the menu bar"},
    };
    return keys;
}

namespace {

QString Line(const QString& keys, const QString& what)
{
    return keys.leftJustified(22, QLatin1Char(' ')) + QLatin1Char(' ') + what + QLatin1Char('\n');
}

} // namespace

QString KeyboardListText(const QList<QAction*>& menuItems)
{
    QString text;
    for (const PlayerKey& key : PlayerKeys()) {
        QStringList names;
        for (const QKeySequence& sequence : key.keys)
            names << sequence.toString(QKeySequence::NativeText);
        text += Line(names.join(QStringLiteral(", ")), QString::fromUtf8(key.what));
    }
    for (const QAction* item : menuItems) {
        if (item->shortcut().isEmpty())
            continue;
        text +=
            Line(item->shortcut().toString(QKeySequence::NativeText), item->text().remove(QLatin1Char('&')).trimmed());
    }
    return text;
}

void ShowKeyboardDialog(QWidget* parent, const QString& text)
{
    ShowTextDialog(parent, QStringLiteral("KeyboardDialog"), QStringLiteral("KeyList"), QStringLiteral("Keyboard"),
                   text);
}

} // namespace zentavo
