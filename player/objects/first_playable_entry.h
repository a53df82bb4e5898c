#pragma once
// Which entry of a playlist file the players play (.asx/.wax/.wvx, .pls, .m3u, .ram, .xspf), read
// with the import's parsers, so that every encoding they read (UTF-8, UTF-16, windows-1252) plays.
// An HLS playlist is told apart, since it is played whole, not by its first entry.

#include <QByteArray>
#include <QUrl>

namespace zentavo {

struct PlaylistReading {
    enum class Kind {
        NotPlaylist, // no entry found: the body is media (or nothing known)
        Hls, // an HLS playlist (#EXTM3U with #EXT-X- tags): play the address itself
        Entries, // a list of addresses: play `entry`
        RefersToItself, // every entry, or a line of an HLS playlist, names the playlist itself
    };
    Kind kind = Kind::NotPlaylist;
    QUrl entry; // the first http(s) entry, else the first entry of any scheme; resolved against the base
};

// `body` is the playlist file's content, `base` the address it came from (after redirects) and
// `requested` the address that was asked for, when it differs: an entry naming either is the
// playlist itself and is passed over.
PlaylistReading FirstPlayableEntry(const QByteArray& body, const QUrl& base, const QUrl& requested = {});

} // namespace zentavo
