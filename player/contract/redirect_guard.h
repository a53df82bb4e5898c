#pragma once
// Redirects of the requests the host makes for a play: followed only within http(s), never from
// https down to http, and for a public channel never to a local or private address.

class QNetworkReply;
class QNetworkRequest;

namespace zentavo {

// Lets the request follow redirects that FollowRedirectsWithin does not stop.
void FollowSafeRedirects(QNetworkRequest& request);

// Aborts the reply (made from a request of FollowSafeRedirects) at the first redirect that breaks
// the rules above, before the request to its target goes out.
void FollowRedirectsWithin(QNetworkReply* reply, bool channelIsLocal);

// Whether the reply ended because FollowRedirectsWithin refused a redirect.
bool RedirectRefused(const QNetworkReply& reply);

} // namespace zentavo
