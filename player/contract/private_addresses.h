#pragma once
// Which addresses are this machine's or a private network's, as browsers' private network rules
// see them: loopback, private and shared ranges, link-local, multicast, "localhost". A public
// channel's content (its playlists, segments, redirects) must not make the player connect there;
// a channel whose own address is local may.

#include <string_view>

class QUrl;

namespace zentavo {

// True for an IPv4 or IPv6 literal (brackets allowed, IPv4 in any form inet_aton reads, such as
// "127.1" or "2130706433", IPv4 within IPv6) in a range that is not public, and for "localhost" and
// names under it. False for any other name: names are not resolved here.
bool IsPrivateHost(std::string_view host);

// IsPrivateHost of the address's host; for a udp or rtp address without a host (it receives on
// this machine) true, for any other address without a host false.
bool IsPrivateAddress(const QUrl& address);

// Whether a play may connect to the target: always for a local channel, else only to public hosts.
bool MayReach(bool channelIsLocal, const QUrl& target);

} // namespace zentavo
