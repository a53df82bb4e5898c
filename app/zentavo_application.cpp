#include "zentavo_application.h"

#include "player/ui/error_report.h"

namespace zentavo {

ZentavoApplication::ZentavoApplication(int& argc, char** argv, const ErrorReporter& errors)
    : QApplication(argc, argv), errors_(errors)
{
}

bool ZentavoApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        errors_.Report(error);
    } catch (...) {
        errors_.Report(QStringLiteral("Unknown error"));
    }
    return false;
}

} // namespace zentavo
