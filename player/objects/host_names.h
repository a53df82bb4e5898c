#pragma once
// The names that the page scripts and the host share, defined here only: the host hands them to
// the scripts (HostNames in the joined script) and uses them itself.

#include <string>
#include <string_view>

namespace zentavo::host_names {

// The global through which the host calls the player objects of a page (scan, finishProbe, ...).
inline constexpr char kObjectsGlobal[] = "zentavoPlayers";
// The scheme that serves the streaming libraries and answers the scripts' questions.
inline constexpr char kObjectsScheme[] = "zentavo-objects";
// Prefix of the relay schemes: "zentavo-relay-" + "http" or "https" mirrors an address through the host.
inline constexpr char kRelayPrefix[] = "zentavo-relay-";
inline constexpr char kRelayHttpScheme[] = "zentavo-relay-http";
inline constexpr char kRelayHttpsScheme[] = "zentavo-relay-https";
// The scheme through which the media gateway hands a page what the page cannot open or decode itself.
inline constexpr char kGatewayScheme[] = "zentavo-gateway";
// What the scripts log (console.info) to ask the window for full screen and back.
inline constexpr char kFullScreenOnMarker[] = "zentavo:fullscreen:on";
inline constexpr char kFullScreenOffMarker[] = "zentavo:fullscreen:off";

// A script that calls the player objects of the page when it has them: call is what follows the
// global, as "scan();".
inline std::string ObjectsCall(std::string_view call)
{
    return std::string("window.") + kObjectsGlobal + " && window." + kObjectsGlobal + "." + std::string(call);
}

} // namespace zentavo::host_names
