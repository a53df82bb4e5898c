#pragma once
// The request headers of the plays on show: each player page, by its address, with the headers its
// channel asks for (a user agent, a referrer). Page scripts may not set such headers, so the host
// does: its request interceptor sets them on the page's own http(s) requests, and marks the page's
// requests to the host's schemes with kPageHeader, by which the relay, the address probe and the
// gateway find the headers to send for it. Used on the window's thread only.

#include "text/request_headers.h"

#include <QList>
#include <QPair>
#include <QUrl>

class QNetworkRequest;
class QWebEngineUrlRequestJob;

namespace zentavo {

class PlayHeaders {
public:
    // Set by the host on every request of a page to the host's own schemes: the page's address.
    static constexpr char kPageHeader[] = "X-Zentavo-Page";
    // How many pages keep their headers: the page on show, the one replacing it, and a few before.
    static constexpr int kRemembered = 4;

    // The headers of the page at that address; a page set again replaces its headers.
    void Set(const QUrl& page, RequestHeaders headers);
    // Empty for a page without headers or one that is not remembered any more.
    RequestHeaders For(const QUrl& page) const;
    // The headers of the page that made a request to one of the host's schemes.
    RequestHeaders ForJob(const QWebEngineUrlRequestJob& job) const;

    // Adds the headers to a request the host makes itself.
    static void Apply(QNetworkRequest& request, const RequestHeaders& headers);

private:
    static QUrl Key(const QUrl& page);
    QList<QPair<QUrl, RequestHeaders>> pages_; // the page set last at the end
};

} // namespace zentavo
