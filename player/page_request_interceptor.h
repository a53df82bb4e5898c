#pragma once
// Refuses, for every request of the player's web profile, what no player page may load: local
// files, the program's own resources, and our page scheme anywhere but as the top-level page.

#include <QWebEngineUrlRequestInterceptor>

namespace zentavo {

class PageRequestInterceptor : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};

} // namespace zentavo
