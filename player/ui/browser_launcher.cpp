#include "browser_launcher.h"

#include <QDesktopServices>
#include <QProcess>

namespace zentavo {

bool BrowserLauncher::OpenWithDefaultHandler(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

bool BrowserLauncher::StartProgram(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}

void OpenInBrowser(const QString& address, BrowserLauncher& launcher)
{
    if (launcher.OpenWithDefaultHandler(QUrl(address)))
        return;
    if (launcher.StartProgram(QStringLiteral("x-www-browser"), {address}))
        return;
    launcher.StartProgram(QStringLiteral("firefox"), {address});
}

} // namespace zentavo
