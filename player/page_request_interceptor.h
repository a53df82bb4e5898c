#pragma once
// Refuses, for every request of the player's web profile, what no player page may load: local
// files, the program's own resources, and our page scheme anywhere but as the top-level page. Sends
// the request headers of each page's play (PlayHeaders) on the page's own http(s) requests, and
// tells the host's schemes which page asked.

#include <QWebEngineUrlRequestInterceptor>

namespace zentavo {

class PlayHeaders;

class PageRequestInterceptor : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    // headers must outlive the interceptor.
    explicit PageRequestInterceptor(const PlayHeaders& headers, QObject* parent = nullptr);

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

private:
    const PlayHeaders& headers_;
};

} // namespace zentavo
