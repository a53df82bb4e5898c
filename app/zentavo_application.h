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

    bool notify(QObject* receiver, QEvent* event) override;

private:
    const ErrorReporter& errors_;
};

} // namespace zentavo
