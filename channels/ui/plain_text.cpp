#include "plain_text.h"

namespace zentavo {

PlainMessageBox::PlainMessageBox(Icon icon, const QString& title, const QString& text, StandardButtons buttons,
                                 QWidget* parent)
    : QMessageBox(icon, title, QString(), buttons, parent)
{
    // The format before the text, so that the text is never laid out as rich text.
    setTextFormat(Qt::PlainText);
    setText(text);
}

QMessageBox::StandardButton ShowPlainMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                             const QString& text, QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton)
{
    PlainMessageBox box(icon, title, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    box.exec();
    return box.standardButton(box.clickedButton());
}

QString PlainWindowTitle(const QString& text)
{
    QString title = text;
    return title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}

QString PlainToolTip(const QString& text)
{
    if (text.isEmpty())
        return {}; // an empty tooltip is no tooltip
    return QStringLiteral("<p style=\"white-space:pre\">") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

} // namespace zentavo
