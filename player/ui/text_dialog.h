#pragma once
// A modal dialog that shows plain text the user reads and copies (select with the keyboard or the
// mouse, Ctrl+C), with a Close button: Help > Keyboard, the stream information, the recent titles.

#include <QString>

class QWidget;

namespace zentavo {

// Shows the text in a read-only, unwrapped, fixed-width field sized to hold all of it (up to the
// screen), under that title, which also names the field for assistive technology; dialogName and
// fieldName are the object names of the dialog and the field. Returns when the dialog closes.
void ShowTextDialog(QWidget* parent, const QString& dialogName, const QString& fieldName, const QString& title,
                    const QString& text);

} // namespace zentavo
