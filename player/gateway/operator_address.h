#pragma once
// Operator addresses: the MPEG-TS that IPTV operators send over UDP, bare or in RTP, mostly to a
// multicast group, and SRT. Each is read as the players that lists are written for read it:
//   udp://@239.1.1.1:1234           join the group 239.1.1.1 and receive on port 1234
//   udp://10.0.0.9@239.1.1.1:1234   the same, from the sender 10.0.0.9 only (source-specific multicast)
//   udp://@:1234                    whatever comes to port 1234 on any of this computer's addresses
//   udp://127.0.0.1:1234            whatever comes to that address and port
//   rtp://...                       the same forms, in RTP
//   srt://host:9000?latency=200     call the SRT server host:9000 (the player is always the caller)
// FFmpeg reads options from the query of these addresses, and some would let a list choose what the
// player does (listen for callers, send to other addresses, size its buffers at will): the address
// is written anew without its query, and only the options named in the .cpp pass, checked.

#include "player/gateway/input_attempts.h"

#include <string>

namespace zentavo {

// udp, rtp, srt (lower case).
bool IsOperatorScheme(const std::string& scheme);

// The way to open an operator address. Throws GatewayError, in words, for an address that names
// no port, a port out of range, no server to call, or an option value that is not taken.
InputAttempt OperatorAttempt(const std::string& address);

} // namespace zentavo
