#pragma once
// Text that comes from outside the program (names and addresses from playlists and catalogues,
// comments, the reasons a server or the system gives, error texts) shown exactly as written. A
// message box or a label takes text that looks like markup for rich text, and so does a tooltip:
// a server's reason phrase could then draw a heading of its own, show a local file as a picture or
// offer a link that starts the desktop's opener. Every box, label and tooltip that can show such
// text goes through these.

#include <QMessageBox>
#include <QString>

namespace zentavo {

// A message box whose text is always plain text.
class PlainMessageBox : public QMessageBox {
public:
    PlainMessageBox(Icon icon, const QString& title, const QString& text, StandardButtons buttons = Ok,
                    QWidget* parent = nullptr);
};

// Shows a modal PlainMessageBox; returns the button pressed (NoButton when none was).
QMessageBox::StandardButton ShowPlainMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                             const QString& text,
                                             QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                             QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// A window title that shows the text as written: Qt takes "[*]" in a title for the place of its
// modified mark and drops it, unless it is doubled.
QString PlainWindowTitle(const QString& text);

// A tooltip that shows the text as written, on one line per line of the text: the text escaped in
// rich text of its own, since a tooltip guesses its format from the text.
QString PlainToolTip(const QString& text);

} // namespace zentavo
