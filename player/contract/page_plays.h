#pragma once
// The plays on show, each under the origin of its own page. Every page the host shows gets a host
// name of its own under the page scheme ("zvo://<random>.pages/"), so that its requests carry an
// origin that nothing else has: the host's schemes answer only requests whose initiator is such a
// page, and find by it the headers to send and what the play may reach. Used on the window's
// thread only.

#include "text/request_headers.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

class QNetworkRequest;
class QWebEngineUrlRequestJob;

namespace zentavo {

// What one page's play brings to every request made for it.
struct PagePlay {
    RequestHeaders headers; // the channel's own headers (a user agent, a referrer)
    // The channel's own address is on this machine or a private network: what the play reaches may
    // be too. A public channel's content must not lead the player to such addresses.
    bool channelIsLocal = false;
};

class PagePlays {
public:
    // How many pages keep their plays: the page on show, the one replacing it, and a few before.
    static constexpr int kRemembered = 4;
    // The end of every page's host name.
    static constexpr char kHostSuffix[] = ".pages";

    // Gives a play a new page host ("<32 hex digits>.pages"), unguessable and never given twice.
    QString Add(PagePlay play);
    // The play of the page with that host; null for a host never given or no longer remembered.
    const PagePlay* ForHost(const QString& host) const;
    // The play of a page whose origin (scheme and host, as the web engine gives it) is one of ours;
    // null for any other origin, opaque ones ("null") and those of web pages included.
    const PagePlay* ForOrigin(const QUrl& origin) const;
    // The play of the page that made a request to one of the host's schemes, by its initiator.
    const PagePlay* ForJob(const QWebEngineUrlRequestJob& job) const;

    // Adds the headers to a request the host makes itself.
    static void Apply(QNetworkRequest& request, const RequestHeaders& headers);

private:
    QList<QPair<QString, PagePlay>> pages_; // by host, the page added last at the end
};

} // namespace zentavo
