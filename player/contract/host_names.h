#pragma once
// The contract between the player pages and the host, defined here only: the URL schemes and their
// paths, the global through which the host calls the page scripts, the kinds of failure that the
// host reports to them, and what the scripts log to ask the window for something. The host hands
// these names to the scripts (HostNames in the joined script) and uses them itself.

#include <string>
#include <string_view>

namespace zentavo::host_names {

// The scheme of the player pages and the start page (a host per page: an origin of its own).
inline constexpr char kPageScheme[] = "zvo";
// The global through which the host calls the player objects of a page (scan, finishProbe, ...).
inline constexpr char kObjectsGlobal[] = "zentavoPlayers";
// The scheme that serves the streaming libraries ("lib/NAME") and answers the scripts' questions
// about an address ("probe").
inline constexpr char kObjectsScheme[] = "zentavo-objects";
inline constexpr char kObjectsLibraryPath[] = "lib/";
inline constexpr char kObjectsProbePath[] = "probe";
// Prefix of the relay schemes: "zentavo-relay-" + "http" or "https" mirrors an address through the host.
inline constexpr char kRelayPrefix[] = "zentavo-relay-";
inline constexpr char kRelayHttpScheme[] = "zentavo-relay-http";
inline constexpr char kRelayHttpsScheme[] = "zentavo-relay-https";
// The scheme through which the media gateway hands a page what the page cannot open or decode
// itself: "chunk" (the next bytes of a session's MPEG-TS, or why it failed), "close" (ends a
// session), "title" (what a session or a radio plays now), "tracks" (the sound tracks of a session's
// source and the one it plays).
inline constexpr char kGatewayScheme[] = "zentavo-gateway";
inline constexpr char kGatewayChunkPath[] = "chunk";
inline constexpr char kGatewayClosePath[] = "close";
inline constexpr char kGatewayTitlePath[] = "title";
inline constexpr char kGatewayTracksPath[] = "tracks";
// The content type of a gateway answer that tells why a session failed (a JSON object with the
// failure's kind as "outcome" and its words as "text") instead of bringing bytes.
inline constexpr char kGatewayFailureType[] = "application/json";
// What the scripts log (console.info) to ask the window for full screen and back.
inline constexpr char kFullScreenOnMarker[] = "zentavo:fullscreen:on";
inline constexpr char kFullScreenOffMarker[] = "zentavo:fullscreen:off";
// What the scripts log to ask for room to draw a picture at its own size: this prefix, then the
// page's width and height in CSS pixels as "WxH" (the picture plus the page's status bar).
inline constexpr char kPictureRoomMarker[] = "zentavo:picture-room:";
// What the scripts log (console.info) when the player's words change: the marker, then the words
// ("Playing", "Buffering", an error, "Playing: " and the title).
inline constexpr char kStatusMarker[] = "zentavo:status:";
// What the start page logs when one of its key chips is clicked: the marker, then the channel list
// tab the chip stands for (kChannelTabNames).
inline constexpr char kChannelListMarker[] = "zentavo:channels:";
inline constexpr const char* kChannelTabNames[] = {"tv", "radio", "webcams", "favourites"};
// The call that answers what the page's player plays (stream facts), or null.
inline constexpr char kStreamInfoCall[] = "streamInfo()";
// What the scripts log whenever the sound tracks of what plays change: the marker, then a JSON
// object {"tracks": [{"name", "language"}], "current": index or -1}. The host answers with the call
// kSelectAudioTrackCall + "(index)".
inline constexpr char kAudioTracksMarker[] = "zentavo:audio-tracks:";
inline constexpr char kSelectAudioTrackCall[] = "selectAudioTrack";

// A script that calls the player objects of the page when it has them: call is what follows the
// global, as "scan();".
inline std::string ObjectsCall(std::string_view call)
{
    return std::string("window.") + kObjectsGlobal + " && window." + kObjectsGlobal + "." + std::string(call);
}

} // namespace zentavo::host_names

// Why the host could not fetch or play an address, as the host's address probe and the media
// gateway tell the page scripts, which map each kind onto the player objects' error codes.
namespace zentavo::failure_kinds {

inline constexpr char kOk[] = "ok"; // the address answers (a probe found nothing wrong)
inline constexpr char kNotFound[] = "notfound";
inline constexpr char kNoHost[] = "nohost";
inline constexpr char kRefused[] = "refused";
inline constexpr char kTimeout[] = "timeout";
inline constexpr char kClosed[] = "closed";
inline constexpr char kRedirects[] = "redirects";
inline constexpr char kSelfReference[] = "selfref"; // a playlist that names itself
inline constexpr char kHttp[] = "http"; // any other refusal by status
inline constexpr char kProtocol[] = "protocol"; // a scheme that nothing here opens
inline constexpr char kDropped[] = "dropped"; // a live stream that broke off after it played
inline constexpr char kDecoder[] = "decoder";
inline constexpr char kFormat[] = "format";
inline constexpr char kError[] = "error"; // anything else

} // namespace zentavo::failure_kinds
