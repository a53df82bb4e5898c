#include "guide_store.h"

#include "guide_error.h"
#include "guide_schema.h"
#include "sqlite_database.h"

#include <QStandardPaths>

#include <algorithm>

namespace zentavo {
namespace {

constexpr std::int64_t kSecondsPerHour = 3600;

std::vector<std::string> SplitNames(const std::string& joined)
{
    std::vector<std::string> names;
    size_t begin = 0;
    while (begin <= joined.size() && !joined.empty()) {
        const size_t end = std::min(joined.find('\n', begin), joined.size());
        names.push_back(joined.substr(begin, end - begin));
        begin = end + 1;
    }
    return names;
}

// A LIKE pattern that finds the text anywhere, its own % and _ taken literally.
std::string ContainsPattern(std::string_view text)
{
    std::string pattern = "%";
    for (const char c : text) {
        if (c == '%' || c == '_' || c == '\\')
            pattern += '\\';
        pattern += c;
    }
    return pattern + '%';
}

GuideProgramme ProgrammeAt(const SqliteStatement& row, int first, std::int64_t shift)
{
    GuideProgramme programme;
    programme.start = row.Int(first) + shift;
    programme.stop = row.Int(first + 1) + shift;
    programme.title = row.Text(first + 2);
    programme.subTitle = row.Text(first + 3);
    programme.episode = row.Text(first + 4);
    programme.description = row.Text(first + 5);
    programme.category = row.Text(first + 6);
    return programme;
}

constexpr const char* kProgrammeColumns = "start, stop, title, sub_title, episode, description, category";

std::string Select(std::string_view rest)
{
    return std::string("SELECT ") + kProgrammeColumns + " FROM programmes " + std::string(rest);
}

} // namespace

GuidePaths DefaultGuidePaths()
{
    const std::filesystem::path cache =
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation).toStdString();
    const std::filesystem::path data =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString();
    return {cache / "zentavo-player" / "guide.sqlite", data / "zentavo-player" / "guide-choices.sqlite"};
}

GuideStore::GuideStore(GuidePaths paths) : paths_(std::move(paths))
{
    std::error_code ignored;
    std::filesystem::create_directories(paths_.choices.parent_path(), ignored);
    choices_ = std::make_unique<SqliteDatabase>(paths_.choices, SqliteDatabase::Mode::Create);
    choices_->Execute(guide_schema::kCreateChoices);
    Reopen();
}

GuideStore::~GuideStore() = default;

void GuideStore::Reopen()
{
    guide_.reset();
    std::error_code error;
    if (!std::filesystem::exists(paths_.guide, error))
        return;
    auto db = std::make_unique<SqliteDatabase>(paths_.guide, SqliteDatabase::Mode::ReadOnly);
    try {
        SqliteStatement version(*db, "SELECT value FROM info WHERE key = 'version'");
        if (!version.Step() || version.Int(0) != guide_schema::kVersion)
            throw GuideError("");
    } catch (const GuideError&) {
        throw GuideError("The file " + paths_.guide.string()
                         + " holds no programme guide of this player; read the guide again to replace it.");
    }
    guide_ = std::move(db);
}

bool GuideStore::HasGuide() const
{
    return guide_ != nullptr;
}

std::int64_t GuideStore::ReadAt() const
{
    if (!guide_)
        return 0;
    const SqliteStatementUse queryUse = guide_->Reuse("SELECT value FROM info WHERE key = 'read_at'");
    SqliteStatement& query = *queryUse;
    return query.Step() ? query.Int(0) : 0;
}

GuideReadSummary GuideStore::Summary() const
{
    GuideReadSummary summary;
    if (!guide_)
        return summary;
    const SqliteStatementUse queryUse = guide_->Reuse("SELECT key, value FROM info");
    SqliteStatement& query = *queryUse;
    while (query.Step()) {
        const std::string key = query.Text(0);
        if (key == "guide_channels")
            summary.guideChannels = query.Int(1);
        else if (key == "programmes")
            summary.programmes = query.Int(1);
        else if (key == "programmes_kept")
            summary.programmesKept = query.Int(1);
        else if (key == "list_channels")
            summary.listChannels = query.Int(1);
        else if (key == "list_channels_matched")
            summary.listChannelsMatched = query.Int(1);
        else if (key == "warnings") {
            summary.warnings = SplitNames(query.Text(1));
            if (!summary.warnings.empty() && summary.warnings.back().empty())
                summary.warnings.pop_back();
        }
    }
    return summary;
}

std::optional<GuideMatch> GuideStore::MatchOf(std::string_view listKey) const
{
    std::optional<GuideMatch> match;
    int shiftHours = 0;
    if (guide_) {
        const SqliteStatementUse queryUse =
            guide_->Reuse("SELECT c.id, l.kind, l.shift_hours, l.channel IS NULL FROM list_channels l "
                          "LEFT JOIN channels c ON c.row = l.channel WHERE l.key = ?");
        SqliteStatement& query = *queryUse;
        query.Bind(1, listKey);
        if (query.Step()) {
            shiftHours = static_cast<int>(query.Int(2));
            if (!query.Int(3))
                match = GuideMatch{query.Text(0), static_cast<GuideMatchKind>(query.Int(1)), shiftHours};
        }
    }
    const SqliteStatementUse choiceUse = choices_->Reuse("SELECT guide_id FROM choices WHERE key = ?");
    SqliteStatement& choice = *choiceUse;
    choice.Bind(1, listKey);
    if (choice.Step())
        match = GuideMatch{choice.Text(0), GuideMatchKind::Hand, shiftHours};
    return match;
}

void GuideStore::ChooseMatch(std::string_view listKey, std::string_view guideChannelId)
{
    const SqliteStatementUse updateUse = choices_->Reuse("INSERT OR REPLACE INTO choices VALUES(?, ?)");
    SqliteStatement& update = *updateUse;
    update.Bind(1, listKey).Bind(2, guideChannelId);
    update.Step();
}

void GuideStore::ClearChoice(std::string_view listKey)
{
    const SqliteStatementUse updateUse = choices_->Reuse("DELETE FROM choices WHERE key = ?");
    SqliteStatement& update = *updateUse;
    update.Bind(1, listKey);
    update.Step();
}

std::optional<GuideStore::Resolved> GuideStore::Resolve(std::string_view listKey) const
{
    if (!guide_)
        return std::nullopt;
    const std::optional<GuideMatch> match = MatchOf(listKey);
    if (!match || match->guideChannelId.empty())
        return std::nullopt;
    const SqliteStatementUse rowUse = guide_->Reuse("SELECT row FROM channels WHERE id = ?");
    SqliteStatement& row = *rowUse;
    row.Bind(1, match->guideChannelId);
    if (!row.Step())
        return std::nullopt;
    return Resolved{row.Int(0), match->shiftHours * kSecondsPerHour};
}

std::vector<GuideProgramme> GuideStore::ProgrammesOf(std::int64_t guideChannel, std::int64_t shift, std::int64_t from,
                                                     std::int64_t to) const
{
    // The programme running at `from` starts before it: begin with the last start at or before it.
    SqliteStatement query(*guide_,
                          Select("WHERE channel = ?1 AND start < ?3 AND start >= coalesce((SELECT max(start) FROM "
                                 "programmes WHERE channel = ?1 AND start <= ?2), ?2) ORDER BY start, stop"));
    query.Bind(1, guideChannel).Bind(2, from - shift).Bind(3, to - shift);
    std::vector<GuideProgramme> programmes;
    while (query.Step())
        programmes.push_back(ProgrammeAt(query, 0, shift));
    // A programme that runs into the next one's start ends there; one left without time (a
    // duplicate start) goes.
    for (size_t i = 0; i + 1 < programmes.size(); ++i)
        programmes[i].stop = std::min(programmes[i].stop, programmes[i + 1].start);
    std::erase_if(programmes, [from](const GuideProgramme& p) { return p.stop <= p.start || p.stop <= from; });
    return programmes;
}

GuideNowNext GuideStore::NowNext(std::string_view listKey, std::int64_t at) const
{
    const std::optional<Resolved> resolved = Resolve(listKey);
    if (!resolved)
        return {};
    GuideNowNext result;
    // The latest start at or before `at`, then the first start after it: two index seeks.
    const SqliteStatementUse nowUse =
        guide_->Reuse(Select("WHERE channel = ? AND start <= ? ORDER BY start DESC LIMIT 1"));
    SqliteStatement& now = *nowUse;
    now.Bind(1, resolved->guideChannel).Bind(2, at - resolved->shift);
    if (now.Step())
        result.now = ProgrammeAt(now, 0, resolved->shift);
    const SqliteStatementUse nextUse = guide_->Reuse(Select("WHERE channel = ? AND start > ? ORDER BY start LIMIT 1"));
    SqliteStatement& next = *nextUse;
    next.Bind(1, resolved->guideChannel).Bind(2, at - resolved->shift);
    if (next.Step())
        result.next = ProgrammeAt(next, 0, resolved->shift);
    if (result.now && result.next)
        result.now->stop = std::min(result.now->stop, result.next->start);
    if (result.now && result.now->stop <= at)
        result.now.reset();
    return result;
}

std::vector<GuideNowNext> GuideStore::NowNext(const std::vector<std::string>& listKeys, std::int64_t at) const
{
    std::vector<GuideNowNext> rows;
    rows.reserve(listKeys.size());
    for (const std::string& key : listKeys)
        rows.push_back(NowNext(key, at));
    return rows;
}

std::vector<GuideProgramme> GuideStore::Programmes(std::string_view listKey, std::int64_t from, std::int64_t to) const
{
    const std::optional<Resolved> resolved = Resolve(listKey);
    if (!resolved)
        return {};
    return ProgrammesOf(resolved->guideChannel, resolved->shift, from, to);
}

std::vector<GuideProgramme> GuideStore::GuideChannelProgrammes(std::string_view guideChannelId, std::int64_t from,
                                                               std::int64_t to) const
{
    if (!guide_)
        return {};
    const SqliteStatementUse rowUse = guide_->Reuse("SELECT row FROM channels WHERE id = ?");
    SqliteStatement& row = *rowUse;
    row.Bind(1, guideChannelId);
    if (!row.Step())
        return {};
    return ProgrammesOf(row.Int(0), 0, from, to);
}

std::vector<GuideChannel> GuideStore::FindChannels(std::string_view text, std::size_t limit) const
{
    std::vector<GuideChannel> channels;
    if (!guide_)
        return channels;
    SqliteStatement query(*guide_,
                          "SELECT id, names FROM channels WHERE id LIKE ?1 ESCAPE '\\' OR names LIKE ?1 "
                          "ESCAPE '\\' ORDER BY names COLLATE NOCASE, id LIMIT ?2");
    query.Bind(1, ContainsPattern(text)).Bind(2, static_cast<std::int64_t>(limit));
    while (query.Step())
        channels.push_back({query.Text(0), SplitNames(query.Text(1))});
    return channels;
}

std::optional<GuideChannel> GuideStore::FindChannel(std::string_view guideChannelId) const
{
    if (!guide_)
        return std::nullopt;
    const SqliteStatementUse queryUse = guide_->Reuse("SELECT id, names FROM channels WHERE id = ?");
    SqliteStatement& query = *queryUse;
    query.Bind(1, guideChannelId);
    if (!query.Step())
        return std::nullopt;
    return GuideChannel{query.Text(0), SplitNames(query.Text(1))};
}

std::vector<GuideTitleHit> GuideStore::SearchTitles(std::string_view text, std::size_t limit) const
{
    std::vector<GuideTitleHit> hits;
    if (!guide_)
        return hits;
    SqliteStatement query(*guide_,
                          "SELECT c.id, c.names, p.start, p.stop, p.title, p.sub_title, p.episode, "
                          "p.description, p.category FROM programmes p JOIN channels c ON c.row = p.channel "
                          "WHERE p.title LIKE ?1 ESCAPE '\\' ORDER BY p.start, c.names LIMIT ?2");
    query.Bind(1, ContainsPattern(text)).Bind(2, static_cast<std::int64_t>(limit));
    while (query.Step())
        hits.push_back({{query.Text(0), SplitNames(query.Text(1))}, ProgrammeAt(query, 2, 0)});
    return hits;
}

} // namespace zentavo
