#include "player_profile.h"

#include "chromium_flags.h"

#include "player/contract/url_schemes.h"
#include "player/gateway/gateway_scheme_handler.h"
#include "player/objects/player_objects.h"
#include "player/page_request_interceptor.h"
#include "player/page_scheme_handler.h"
#include "player/title_rate_limit.h"

#include <QWebEngineSettings>

namespace zentavo {

void PlayerProfile::RegisterUrlSchemes()
{
    RegisterPlayerUrlSchemes();
    SetChromiumFlags();
}

PlayerProfile::PlayerProfile(QObject* parent)
    : QWebEngineProfile(parent), pages_(new PageSchemeHandler(this)),
      interceptor_(new PageRequestInterceptor(plays_, this))
{
    QWebEngineSettings* s = settings();
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
    s->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, true);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    s->setAttribute(QWebEngineSettings::AllowRunningInsecureContent, false);
    s->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
    s->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    s->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);

    // The pages play live streams: their segments and pictures are not read twice. Without a bound
    // the in-memory cache of this off-the-record profile grows to 50 MB of media.
    setHttpCacheMaximumSize(kHttpCacheBytes);

    installUrlSchemeHandler(QByteArray(PageSchemeHandler::kScheme), pages_);
    setUrlRequestInterceptor(interceptor_);
    InstallPlayerObjects(*this, plays_);
    auto* gateway = gateway_ = new GatewaySchemeHandler(plays_, this);
    // Both paths of the titles meet here: the gateway's reading of what it plays, and the titles
    // the page asks it to read. One limit for both before the window and MPRIS hear them.
    auto* titles = new TitleRateLimiter(this);
    connect(gateway, &GatewaySchemeHandler::TitleChanged, titles, &TitleRateLimiter::Offer);
    connect(titles, &TitleRateLimiter::Changed, this, &PlayerProfile::NowPlayingChanged);
    installUrlSchemeHandler(QByteArray(host_names::kGatewayScheme), gateway);
}

PlayerProfile::~PlayerProfile()
{
    // The handlers are children of this profile: detach them while the profile is still whole.
    removeAllUrlSchemeHandlers();
    setUrlRequestInterceptor(nullptr);
}

QUrl PlayerProfile::UrlForFile(const QString& localPath, PagePlay play)
{
    return pages_->Register(localPath, plays_.Add(std::move(play)));
}

std::optional<SourceFacts> PlayerProfile::GatewayFacts(const QString& key) const
{
    return gateway_->SessionFacts(key);
}

} // namespace zentavo
