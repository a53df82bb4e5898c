#include "media_kind.h"

#include <string>

namespace zentavo {

MediaKind ClassifyMediaKind(std::string_view address)
{
    // ASCII capitals only are folded; every other byte (UTF-8 included) stays as it is.
    std::string s(address);
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    const std::string_view folded = s;

    if (folded.find(".jpg") != std::string_view::npos)
        return MediaKind::Snapshot;

    // Endings need no dot in front of them: "platform" ends in "rm".
    for (const std::string_view ending : {"rm", "ram", "rpm", "smi", "pls", "smil"}) {
        if (folded.ends_with(ending))
            return MediaKind::Real;
    }
    if (folded.starts_with("rtsp:") || folded.starts_with("pnm:"))
        return MediaKind::Real;
    for (const std::string_view typeBeforeQuery : {".rm?", ".ram?", ".smil?", ".rpm?", ".smi?", ".pls?"}) {
        if (folded.find(typeBeforeQuery) != std::string_view::npos)
            return MediaKind::Real;
    }
    return MediaKind::WindowsMedia;
}

} // namespace zentavo
