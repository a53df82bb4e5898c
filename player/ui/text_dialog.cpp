#include "text_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>

namespace zentavo {

void ShowTextDialog(QWidget* parent, const QString& dialogName, const QString& fieldName, const QString& title,
                    const QString& text)
{
    QDialog dialog(parent);
    dialog.setObjectName(dialogName);
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* field = new QPlainTextEdit(&dialog);
    field->setObjectName(fieldName);
    field->setAccessibleName(title);
    field->setReadOnly(true);
    // Read-only text still takes the keyboard: the arrows move the cursor, Shift selects, Ctrl+C copies.
    field->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    field->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    field->setLineWrapMode(QPlainTextEdit::NoWrap);
    field->setPlainText(text);
    layout->addWidget(field);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    // Wide and tall enough for the whole text, so that nothing is cut off or scrolled, as long as
    // the screen holds it.
    const QFontMetrics metrics(field->font());
    int widest = 0;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const int frame = 2 * (field->frameWidth() + static_cast<int>(field->document()->documentMargin()))
        + field->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + metrics.averageCharWidth() * 2;
    QSize wanted(widest + frame, static_cast<int>(lines.size() + 1) * metrics.lineSpacing() + frame);
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        wanted = wanted.boundedTo(screen->availableSize() * 3 / 4);
    field->setMinimumSize(wanted);
    field->setFocus(Qt::OtherFocusReason);
    dialog.exec();
}

} // namespace zentavo
