#pragma once
// The application object: an error that escapes a handler is shown in the error box and the
// program goes on with the next event.

#include <QApplication>

namespace zentavo {

class ErrorReporter;

class ZentavoApplication : public QApplication {
    Q_OBJECT
public:
    ZentavoApplication(int& argc, char** argv, const ErrorReporter& errors);

    // The program's names for the desktop: its application name and desktop entry. No display name
    // is set: on X11 the platform appends one to every window title that does not end with it, and
    // the windows' captions must read exactly as they are set.
    static void SetIdentity();

    bool notify(QObject* receiver, QEvent* event) override;

private:
    const ErrorReporter& errors_;
};

} // namespace zentavo
