#pragma once
// The web profile of the player: its settings, the URL scheme that serves player pages and the
// start page as HTML, and the player objects injected into every player page.
//
// What a page of this profile can reach: remote http(s) media and pictures (media and img elements
// need no CORS; XHR and fetch from a page need the remote server's CORS consent, since each page has
// an origin of its own). Refused: local files, qrc:, other page files, new windows, device
// permissions, and for a public channel anything on this machine or a private network.

#include "player/contract/page_plays.h"
#include "player/gateway/source_facts.h"

#include <QUrl>
#include <QWebEngineProfile>

#include <optional>

namespace zentavo {

class GatewaySchemeHandler;
class PageSchemeHandler;
class PageRequestInterceptor;

class PlayerProfile : public QWebEngineProfile {
    Q_OBJECT
public:
    // Must run before the QApplication exists: registers the URL schemes and sets the web engine's
    // flags (SetChromiumFlags).
    static void RegisterUrlSchemes();

    // The bound of the profile's in-memory HTTP cache.
    static constexpr int kHttpCacheBytes = 4 * 1024 * 1024;

    // Off the record: nothing of the pages is kept on disk.
    explicit PlayerProfile(QObject* parent = nullptr);
    ~PlayerProfile() override;

    // The address under which WebBrowser1 shows a generated page file or the start page, at a new
    // origin of its own. The file becomes servable by this call; no other local file is. Every
    // request of the page, those the host makes for it included, sends the play's headers and
    // keeps to its reach.
    QUrl UrlForFile(const QString& localPath, PagePlay play = {});

    // What the media gateway's session KEY plays (the page's player names its session); none when
    // no such session is open.
    std::optional<SourceFacts> GatewayFacts(const QString& key) const;

signals:
    // The title of what plays through the media gateway now ("Artist - Song"); empty when none. At
    // most one change a second, the latest winning (TitleRateLimiter), whichever path it came by.
    void NowPlayingChanged(const QString& title);

private:
    PagePlays plays_;
    PageSchemeHandler* pages_;
    PageRequestInterceptor* interceptor_;
    GatewaySchemeHandler* gateway_ = nullptr;
};

} // namespace zentavo
