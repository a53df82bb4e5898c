#include "guide_writer.h"

#include "guide_error.h"
#include "guide_schema.h"
#include "sqlite_database.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace zentavo {
namespace {

// Rows a transaction holds before it is committed: large enough that commits cost nothing next to
// the reading, small enough that SQLite's cache stays small.
constexpr long kRowsPerTransaction = 200'000;
// Programmes a statement of AddProgrammes inserts at a time, 8 values each.
constexpr std::size_t kProgrammesPerInsert = 64;
constexpr int kProgrammeColumns = 8;

std::string InsertProgrammes(std::size_t count)
{
    std::string sql = "INSERT OR IGNORE INTO programmes VALUES";
    for (std::size_t i = 0; i < count; ++i)
        sql += i == 0 ? "(?, ?, ?, ?, ?, ?, ?, ?)" : ", (?, ?, ?, ?, ?, ?, ?, ?)";
    return sql;
}

std::string JoinNames(const std::vector<std::string>& names)
{
    std::string joined;
    for (const std::string& name : names) {
        if (!joined.empty())
            joined += '\n';
        joined += name;
    }
    return joined;
}

void SyncPath(const std::filesystem::path& path, int flags)
{
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0)
        throw GuideError("The guide " + path.string() + " cannot be flushed to the disk: " + std::strerror(errno));
    const int status = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    if (status != 0)
        throw GuideError("The guide " + path.string() + " cannot be flushed to the disk: " + std::strerror(error));
}

void WriteInfo(SqliteStatement& info, const GuideReadSummary& summary, std::int64_t readAt)
{
    const auto put = [&info](std::string_view key, std::int64_t value) {
        info.Bind(1, key).Bind(2, value);
        info.Step();
        info.Reset();
    };
    put("version", guide_schema::kVersion);
    put("read_at", readAt);
    put("guide_channels", summary.guideChannels);
    put("programmes", summary.programmes);
    put("programmes_kept", summary.programmesKept);
    put("list_channels", summary.listChannels);
    put("list_channels_matched", summary.listChannelsMatched);
    std::string warnings;
    for (const std::string& warning : summary.warnings)
        warnings += warning + '\n';
    info.Bind(1, std::string_view("warnings")).Bind(2, warnings);
    info.Step();
    info.Reset();
}

} // namespace

GuideWriter::GuideWriter(std::filesystem::path path) : path_(std::move(path))
{
    std::error_code ignored;
    std::filesystem::create_directories(path_.parent_path(), ignored);
    std::filesystem::remove(path_, ignored);
    std::filesystem::remove(path_.string() + "-journal", ignored);
    db_ = std::make_unique<SqliteDatabase>(path_, SqliteDatabase::Mode::Create);
    // The file is nobody's guide until it is renamed into place, and a reading that fails is thrown
    // away whole: no journal, no flushes until Finish.
    db_->Execute("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-16384; PRAGMA page_size=8192;");
    db_->Execute(guide_schema::kCreateGuide);
    db_->Execute("BEGIN");
    insertChannel_ = std::make_unique<SqliteStatement>(*db_, "INSERT INTO channels(id, names) VALUES(?, ?)");
    putChannel_ =
        std::make_unique<SqliteStatement>(*db_, "INSERT OR REPLACE INTO channels(row, id, names) VALUES(?, ?, ?)");
    findChannel_ = std::make_unique<SqliteStatement>(*db_, "SELECT row, names FROM channels WHERE id = ?");
    updateNames_ = std::make_unique<SqliteStatement>(*db_, "UPDATE channels SET names = ? WHERE row = ?");
    insertProgramme_ = std::make_unique<SqliteStatement>(*db_, InsertProgrammes(1));
    insertProgrammes_ = std::make_unique<SqliteStatement>(*db_, InsertProgrammes(kProgrammesPerInsert));
    insertListChannel_ =
        std::make_unique<SqliteStatement>(*db_, "INSERT OR REPLACE INTO list_channels VALUES(?, ?, ?, ?)");
}

GuideWriter::~GuideWriter()
{
    if (finished_)
        return;
    insertChannel_.reset();
    putChannel_.reset();
    findChannel_.reset();
    updateNames_.reset();
    insertProgramme_.reset();
    insertProgrammes_.reset();
    insertListChannel_.reset();
    db_.reset();
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}

std::int64_t GuideWriter::AddChannel(const GuideChannel& channel)
{
    findChannel_->Bind(1, channel.id);
    if (findChannel_->Step()) {
        const std::int64_t row = findChannel_->Int(0);
        std::string names = findChannel_->Text(1);
        findChannel_->Reset();
        bool added = false;
        for (const std::string& name : channel.names) {
            const std::string line = '\n' + names + '\n';
            if (line.find('\n' + name + '\n') == std::string::npos) {
                names += names.empty() ? name : '\n' + name;
                added = true;
            }
        }
        if (added) {
            updateNames_->Bind(1, names).Bind(2, row);
            updateNames_->Step();
            updateNames_->Reset();
        }
        return row;
    }
    findChannel_->Reset();
    insertChannel_->Bind(1, channel.id).Bind(2, JoinNames(channel.names));
    insertChannel_->Step();
    insertChannel_->Reset();
    CommitEvery();
    return db_->LastInsertRowId();
}

void GuideWriter::PutChannel(std::int64_t row, const GuideChannel& channel)
{
    putChannel_->Bind(1, row).Bind(2, channel.id).Bind(3, JoinNames(channel.names));
    putChannel_->Step();
    putChannel_->Reset();
    CommitEvery();
}

void GuideWriter::AddProgramme(std::int64_t channelRow, const GuideProgramme& programme)
{
    const GuideProgrammeRow row{channelRow, programme.start, programme.stop,
                                GuideProgrammeTexts{programme.title, programme.subTitle, programme.episode,
                                                    programme.description, programme.category}};
    AddProgrammes(std::span(&row, 1));
}

void GuideWriter::BindProgramme(SqliteStatement& statement, int first, const GuideProgrammeRow& row)
{
    // The texts outlive the step: bound without copies.
    statement.Bind(first, row.channelRow)
        .Bind(first + 1, row.start)
        .Bind(first + 2, row.stop)
        .BindView(first + 3, row.texts.title)
        .BindView(first + 4, row.texts.subTitle)
        .BindView(first + 5, row.texts.episode)
        .BindView(first + 6, row.texts.description)
        .BindView(first + 7, row.texts.category);
}

void GuideWriter::AddProgrammes(std::span<const GuideProgrammeRow> rows)
{
    while (rows.size() >= kProgrammesPerInsert) {
        for (std::size_t i = 0; i < kProgrammesPerInsert; ++i)
            BindProgramme(*insertProgrammes_, static_cast<int>(i) * kProgrammeColumns + 1, rows[i]);
        insertProgrammes_->Step();
        insertProgrammes_->Reset();
        CommitEvery(kProgrammesPerInsert);
        rows = rows.subspan(kProgrammesPerInsert);
    }
    for (const GuideProgrammeRow& row : rows) {
        BindProgramme(*insertProgramme_, 1, row);
        insertProgramme_->Step();
        insertProgramme_->Reset();
        CommitEvery();
    }
}

void GuideWriter::SetListChannel(std::string_view listKey, std::optional<std::int64_t> channelRow, GuideMatchKind kind,
                                 int shiftHours)
{
    insertListChannel_->Bind(1, listKey);
    if (channelRow)
        insertListChannel_->Bind(2, *channelRow);
    else
        insertListChannel_->BindNull(2);
    insertListChannel_->Bind(3, static_cast<std::int64_t>(kind)).Bind(4, static_cast<std::int64_t>(shiftHours));
    insertListChannel_->Step();
    insertListChannel_->Reset();
    CommitEvery();
}

void GuideWriter::CommitEvery(long rows)
{
    pending_ += rows;
    if (pending_ < kRowsPerTransaction)
        return;
    db_->Execute("COMMIT; BEGIN");
    pending_ = 0;
}

void GuideWriter::Finish(const GuideReadSummary& summary, std::int64_t readAt)
{
    {
        SqliteStatement info(*db_, "INSERT OR REPLACE INTO info VALUES(?, ?)");
        WriteInfo(info, summary, readAt);
    }
    db_->Execute("COMMIT");
    insertChannel_.reset();
    putChannel_.reset();
    findChannel_.reset();
    updateNames_.reset();
    insertProgramme_.reset();
    insertProgrammes_.reset();
    insertListChannel_.reset();
    db_->Execute("PRAGMA optimize");
    db_.reset();
    SyncPath(path_, O_RDONLY);
    finished_ = true;
}
void InstallGuide(const std::filesystem::path& finished, const std::filesystem::path& guide)
{
    if (::rename(finished.c_str(), guide.c_str()) != 0)
        throw GuideError("The new guide cannot take the place of " + guide.string() + ": " + std::strerror(errno));
    SyncPath(guide.parent_path().empty() ? std::filesystem::path(".") : guide.parent_path(), O_RDONLY | O_DIRECTORY);
}

std::filesystem::path GuideWorkPath(const std::filesystem::path& guide)
{
    return guide.string() + ".new";
}

} // namespace zentavo
