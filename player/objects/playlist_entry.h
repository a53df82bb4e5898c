#pragma once
// Reading the playlist files that stream addresses often point to (.asx/.wax/.wvx, .pls, .m3u, .ram):
// which entry to play. An HLS playlist is told apart, since it is played whole, not by its first entry.

#include <QByteArray>
#include <QUrl>

namespace zentavo {

struct PlaylistReading {
    enum class Kind {
        NotPlaylist, // no entry found: the body is media (or nothing known)
        Hls,         // an HLS playlist (#EXTM3U with #EXT-X- tags): play the address itself
        Entries,     // a list of addresses: play `entry`
    };
    Kind kind = Kind::NotPlaylist;
    QUrl entry; // the first http(s) entry, else the first entry of any scheme; resolved against the base
};

// `body` is the playlist file's content, `base` the address it came from.
PlaylistReading ReadPlaylist(const QByteArray& body, const QUrl& base);

} // namespace zentavo
