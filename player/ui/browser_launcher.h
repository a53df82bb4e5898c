#pragma once
// Handing a web address to the desktop: the default handler first, a fixed browser second.

#include <QString>
#include <QStringList>
#include <QUrl>

namespace zentavo {

class BrowserLauncher {
public:
    virtual ~BrowserLauncher() = default;
    // QDesktopServices::openUrl.
    virtual bool OpenWithDefaultHandler(const QUrl& url);
    // Starts a program on its own; false when it cannot be started.
    virtual bool StartProgram(const QString& program, const QStringList& arguments);
};

// Opens the address with the default handler; when that fails, with "x-www-browser", else "firefox".
// Nothing is reported when all of them fail.
void OpenInBrowser(const QString& address, BrowserLauncher& launcher);

} // namespace zentavo
