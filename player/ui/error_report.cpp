#include "error_report.h"

#include "channels/ui/plain_text.h"

namespace zentavo {

QString ErrorBoxText(const QString& message)
{
    if (message.endsWith(QLatin1Char('.')))
        return message;
    return message + QLatin1Char('.');
}

namespace {

void ShowErrorBox(const QString& text)
{
    // What an error says can come from outside: a file's name, a server's answer.
    PlainMessageBox box(QMessageBox::Critical, QStringLiteral("Zentavo Player"), text, QMessageBox::Ok);
    box.exec();
}

} // namespace

ErrorReporter::ErrorReporter(Sink sink) : sink_(sink ? std::move(sink) : Sink(ShowErrorBox)) {}

void ErrorReporter::Report(const QString& message) const
{
    sink_(ErrorBoxText(message));
}

void ErrorReporter::Report(const std::exception& error) const
{
    Report(QString::fromUtf8(error.what()));
}

void ErrorReporter::Guard(const std::function<void()>& step) const
{
    try {
        step();
    } catch (const std::exception& error) {
        Report(error);
    } catch (...) {
        Report(QStringLiteral("Unknown error"));
    }
}

} // namespace zentavo
