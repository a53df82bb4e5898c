#pragma once
// Turns playlists (M3U/M3U8, PLS, XSPF, ASX, TSV) into channel records for a prepared catalogue.
