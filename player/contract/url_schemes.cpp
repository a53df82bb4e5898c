#include "url_schemes.h"

#include "host_names.h"

#include <QWebEngineUrlScheme>

namespace zentavo {

namespace {

void Register(const char* name, QWebEngineUrlScheme::Syntax syntax, QWebEngineUrlScheme::Flags flags,
              int defaultPort = QWebEngineUrlScheme::PortUnspecified)
{
    const QByteArray schemeName(name);
    if (QWebEngineUrlScheme::schemeByName(schemeName).name() == schemeName)
        return;
    QWebEngineUrlScheme scheme(schemeName);
    scheme.setSyntax(syntax);
    scheme.setDefaultPort(defaultPort);
    scheme.setFlags(flags);
    QWebEngineUrlScheme::registerScheme(scheme);
}

} // namespace

void RegisterPlayerUrlSchemes()
{
    using Scheme = QWebEngineUrlScheme;
    // Every page is served under a host of its own, so it has an origin that no other page and no
    // frame shares: the host's schemes know their pages by it. It is no "secure" or "local" origin,
    // so remote http media is neither mixed content nor refused.
    Register(host_names::kPageScheme, Scheme::Syntax::Host, {});
    // Secure, so that pages of a secure scheme may load its scripts as well; CORS-enabled, so that
    // a page's script may read it with XMLHttpRequest.
    Register(host_names::kObjectsScheme, Scheme::Syntax::Path, Scheme::SecureScheme | Scheme::CorsEnabled);
    Register(host_names::kGatewayScheme, Scheme::Syntax::Path, Scheme::SecureScheme | Scheme::CorsEnabled);
    // Host and port like the addresses they mirror, so that relative addresses resolve alike.
    Register(host_names::kRelayHttpScheme, Scheme::Syntax::HostAndPort, Scheme::SecureScheme | Scheme::CorsEnabled, 80);
    Register(host_names::kRelayHttpsScheme, Scheme::Syntax::HostAndPort, Scheme::SecureScheme | Scheme::CorsEnabled,
             443);
}

} // namespace zentavo
