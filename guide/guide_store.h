#pragma once
// The programme guide as the windows read it: one SQLite database in the cache folder
// ($XDG_CACHE_HOME/zentavo-player/guide.sqlite), written whole by a reading of the guide
// (GuideWriter) and swapped in by a rename, so a store never sees half a guide. The user's own
// choices of guide channel live in a second small database beside the user's playlists, which a new
// reading never replaces, so they survive refreshes.
//
// A store opens both files and keeps them open; after a new guide has been installed, Reopen
// (or a new store) reads it. Queries are fast on a large guide: the programmes are indexed by
// (guide channel, start). A store serves one thread at a time; a window thread and a worker each
// open their own.

#include "guide_types.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentavo {

struct GuidePaths {
    std::filesystem::path guide; // the programmes, replaced whole by each reading
    std::filesystem::path choices; // the hand-chosen matches, kept across readings
};

// $XDG_CACHE_HOME/zentavo-player/guide.sqlite and $XDG_DATA_HOME/zentavo-player/guide-choices.sqlite.
GuidePaths DefaultGuidePaths();

class SqliteDatabase;

class GuideStore {
public:
    // Opens the guide read-only (a missing file reads as an empty guide) and the choices (created
    // when missing). Throws GuideError when a file exists but is no guide database.
    explicit GuideStore(GuidePaths paths);
    ~GuideStore();
    GuideStore(const GuideStore&) = delete;
    GuideStore& operator=(const GuideStore&) = delete;

    // Reads the guide file again, after a new reading has replaced it.
    void Reopen();
    bool HasGuide() const;
    // When the guide in the file was read (seconds since 1970), 0 when there is none.
    std::int64_t ReadAt() const;
    // The summary of the reading that wrote the guide in the file.
    GuideReadSummary Summary() const;

    // The programme on at `at` and the one after it, for a channel of the lists (by its channel id),
    // with the channel's tvg-shift applied. Nothing for a channel without a guide.
    GuideNowNext NowNext(std::string_view listKey, std::int64_t at) const;
    // The same for many channels at once (the rows on screen), in the keys' order.
    std::vector<GuideNowNext> NowNext(const std::vector<std::string>& listKeys, std::int64_t at) const;
    // The programmes of a list channel that overlap [from, to), by start, shift applied. A programme
    // that runs into the next one's start ends there; overlapping duplicates are left out.
    std::vector<GuideProgramme> Programmes(std::string_view listKey, std::int64_t from, std::int64_t to) const;
    // The same for a guide channel by its guide id, without shift.
    std::vector<GuideProgramme> GuideChannelProgrammes(std::string_view guideChannelId, std::int64_t from,
                                                       std::int64_t to) const;

    // The guide's channels whose id or a display name holds the text (ignoring case of ASCII
    // letters), at most `limit`, by first name; every channel for an empty text.
    std::vector<GuideChannel> FindChannels(std::string_view text, std::size_t limit) const;
    std::optional<GuideChannel> FindChannel(std::string_view guideChannelId) const;
    // Programmes of all days whose title holds the text (ignoring case of ASCII letters), by start,
    // at most `limit`.
    std::vector<GuideTitleHit> SearchTitles(std::string_view text, std::size_t limit) const;

    // The guide channel a list channel shows: the hand choice when there is one, else the one the
    // last reading matched automatically. Nothing when neither.
    std::optional<GuideMatch> MatchOf(std::string_view listKey) const;
    // The list channel shows this guide channel from now on, whatever later readings match; an
    // empty id means "no guide" for it.
    void ChooseMatch(std::string_view listKey, std::string_view guideChannelId);
    // Forgets the hand choice: the automatic match (if any) applies again.
    void ClearChoice(std::string_view listKey);

    const GuidePaths& Paths() const { return paths_; }

private:
    struct Resolved {
        std::int64_t guideChannel = 0; // row of the guide's channels table
        std::int64_t shift = 0; // seconds
    };
    std::optional<Resolved> Resolve(std::string_view listKey) const;
    std::vector<GuideProgramme> ProgrammesOf(std::int64_t guideChannel, std::int64_t shift, std::int64_t from,
                                             std::int64_t to) const;

    GuidePaths paths_;
    std::unique_ptr<SqliteDatabase> guide_; // null when there is no guide file
    std::unique_ptr<SqliteDatabase> choices_;
};

} // namespace zentavo
