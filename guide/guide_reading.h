#pragma once
// A whole reading of the guide: one or more XMLTV documents (plain or gzip, by their first bytes)
// read as a stream, the programmes of the lists' channels from yesterday to 14 days ahead written
// to a new database, which then replaces the guide at once. Meant for a worker thread: nothing here
// touches a window. A reading that fails or is cancelled leaves the old guide as it was.

#include "guide_store.h"
#include "guide_types.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zentavo {

// Called now and then with the bytes read so far of all sources and their total; false cancels.
using GuideProgress = std::function<bool(std::int64_t done, std::int64_t total)>;

struct GuideSource {
    std::string name; // for messages: the file or address it came from
    std::filesystem::path file; // a file on disk, or empty with bytes
    std::string_view bytes; // the document in memory (tests, small guides)
};

// Reads the sources in order (a channel named by several keeps every display name) and installs
// the new guide. Throws GuideError in words when no source can be read at all, or when the reading
// was cancelled (GuideCancelled); a source that is broken part way is read as far as it is sound,
// with a warning in the summary. `now` fixes the days kept (yesterday from 0:00 local time, to 14
// days after `now`).
GuideReadSummary ReadGuide(const std::vector<GuideSource>& sources, const std::vector<GuideListChannel>& channels,
                           const GuidePaths& paths, std::int64_t now, const GuideProgress& progress = {});

// One XMLTV document in memory: for tests and small guides.
GuideReadSummary FillGuideFromXmltv(std::string_view xmltv, const std::vector<GuideListChannel>& channels,
                                    const GuidePaths& paths, std::int64_t now);

// The summary in words, a few lines: guide channels and programmes read, programmes kept, list
// channels that got a guide; says so plainly when no channel of the lists matched.
std::string DescribeGuideSummary(const GuideReadSummary& summary);

} // namespace zentavo
