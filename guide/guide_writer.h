#pragma once
// Writes a new guide database: channels, programmes and the automatic matches of the lists'
// channels go into a fresh file in large transactions; the indexes are built once at the end.
// InstallGuide then renames the finished file over the guide, so a store never reads half a guide
// and a reading killed at any moment leaves the old guide in place.

#include "guide_types.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

namespace zentavo {

class SqliteDatabase;
class SqliteStatement;

// A programme to write: its texts are views that must stay until AddProgrammes returns.
struct GuideProgrammeRow {
    std::int64_t channelRow = 0;
    std::int64_t start = 0;
    std::int64_t stop = 0;
    GuideProgrammeTexts texts;
};

class GuideWriter {
public:
    // Creates the file new; one that a killed reading left under that name is removed first.
    explicit GuideWriter(std::filesystem::path path);
    // A writer destroyed before Finish removes its file.
    ~GuideWriter();
    GuideWriter(const GuideWriter&) = delete;
    GuideWriter& operator=(const GuideWriter&) = delete;

    // The channel's row; a channel id given before (a guide that names a channel twice) gets the row it
    // got then, with the display names it did not have yet added.
    std::int64_t AddChannel(const GuideChannel& channel);
    // The channel under a row the caller chose (rows from 1); given again, it replaces the earlier one.
    void PutChannel(std::int64_t row, const GuideChannel& channel);
    void AddProgramme(std::int64_t channelRow, const GuideProgramme& programme);
    // Programmes in the order read; of two of a channel with the same start, the first stays. Many
    // at once go in with one statement per group, which SQLite appends without seeking each one
    // from the root of the table.
    void AddProgrammes(std::span<const GuideProgrammeRow> rows);
    // An automatic match of a list channel (its guide channel row), or a list channel without one.
    void SetListChannel(std::string_view listKey, std::optional<std::int64_t> channelRow, GuideMatchKind kind,
                        int shiftHours);
    // Builds the indexes, stores the summary and the time of reading, and closes the file, flushed to the disk.
    void Finish(const GuideReadSummary& summary, std::int64_t readAt);

    const std::filesystem::path& Path() const { return path_; }

private:
    void CommitEvery(long rows = 1);
    void BindProgramme(SqliteStatement& statement, int first, const GuideProgrammeRow& row);

    std::filesystem::path path_;
    std::unique_ptr<SqliteDatabase> db_;
    std::unique_ptr<SqliteStatement> insertChannel_, putChannel_, findChannel_, updateNames_, insertProgramme_,
        insertProgrammes_, insertListChannel_;
    long pending_ = 0; // rows written since the last commit
    bool finished_ = false;
};

// Renames the finished file over the guide and flushes the folder, so the rename survives a crash.
// Throws GuideError when it cannot.
void InstallGuide(const std::filesystem::path& finished, const std::filesystem::path& guide);

// The name beside the guide under which a reading writes its new file.
std::filesystem::path GuideWorkPath(const std::filesystem::path& guide);

} // namespace zentavo
