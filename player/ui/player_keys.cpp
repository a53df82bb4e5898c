#include "player_keys.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>

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
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("KeyboardDialog"));
    dialog.setWindowTitle(QStringLiteral("Keyboard"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QPlainTextEdit(&dialog);
    list->setObjectName(QStringLiteral("KeyList"));
    list->setReadOnly(true);
    list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    list->setPlainText(text);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    // Wide and tall enough for the whole list, so that nothing is cut off or scrolled.
    const QFontMetrics metrics(list->font());
    int widest = 0;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const int frame = 2 * (list->frameWidth() + static_cast<int>(list->document()->documentMargin()))
        + list->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + metrics.averageCharWidth() * 2;
    list->setMinimumSize(widest + frame, static_cast<int>(lines.size() + 1) * metrics.lineSpacing() + frame);
    dialog.exec();
}

} // namespace zentavo
