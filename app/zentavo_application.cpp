#include "zentavo_application.h"

#include "player/ui/error_report.h"

namespace zentavo {

ZentavoApplication::ZentavoApplication(int& argc, char** argv, const ErrorReporter& errors)
    : QApplication(argc, argv), errors_(errors)
{}

void ZentavoApplication::SetIdentity()
{
    QApplication::setApplicationName(QStringLiteral("zentavo-player"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zentavo.Player"));
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
