#pragma once
// The title of what a stream is playing now ("Artist - Song"), as radio servers send it in their ICY
// metadata blocks (StreamTitle='...';) or as containers carry it in their metadata, made fit to show.

#include <QString>

#include <string_view>

namespace zentavo {

// Longer titles are cut here (characters).
constexpr qsizetype kMaxTitleChars = 200;

// The StreamTitle of one ICY metadata block, cleaned (see CleanTitle); empty when it has none. The
// value may hold quotes and semicolons of its own: it ends at the "';" that ends the block or is
// followed by the next field.
QString IcyStreamTitle(std::string_view block);

// Text of a server or container made fit to show: read as UTF-8, or as Latin-1 when it is not valid
// UTF-8; control characters become spaces, runs of spaces one, invisible format characters go, and
// it is cut at kMaxTitleChars.
QString CleanTitle(std::string_view raw);

// A container's title cleaned (see CleanTitle), or empty when it is one of the names that streaming
// servers fill in when nobody gave one ("Unnamed", "N/A", "Session streamed by ...").
QString ContainerTitle(std::string_view raw);

} // namespace zentavo
