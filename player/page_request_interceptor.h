#pragma once
// Refuses, for every request of the player's web profile, what no player page may load: local
// files, the program's own resources, and our page scheme anywhere but as the top-level page. Sends
// the request headers of each page's play on the page's own http(s) requests, and keeps a public
// channel's page from reaching this machine or a private network.

#include <QWebEngineUrlRequestInterceptor>

namespace zentavo {

class PagePlays;

class PageRequestInterceptor : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    // plays must outlive the interceptor.
    explicit PageRequestInterceptor(const PagePlays& plays, QObject* parent = nullptr);

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

private:
    const PagePlays& plays_;
};

} // namespace zentavo
