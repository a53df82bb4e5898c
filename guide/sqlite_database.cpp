#include "sqlite_database.h"

#include "guide_error.h"

#include <sqlite3.h>

#include <mutex>

namespace zentavo {
namespace {

[[noreturn]] void Fail(sqlite3* db, const std::string& what)
{
    throw GuideError(what + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

} // namespace

SqliteDatabase::SqliteDatabase(const std::filesystem::path& path, Mode mode) : path_(path)
{
    // No count of SQLite's memory: it takes a global lock on every allocation, a good part of the
    // time of a large reading. Only possible before SQLite starts; later calls change nothing.
    static std::once_flag configured;
    std::call_once(configured, [] { sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0); });
    int flags = SQLITE_OPEN_NOMUTEX;
    switch (mode) {
    case Mode::ReadOnly:
        flags |= SQLITE_OPEN_READONLY;
        break;
    case Mode::ReadWrite:
        flags |= SQLITE_OPEN_READWRITE;
        break;
    case Mode::Create:
        flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        break;
    }
    const int status = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (status != SQLITE_OK) {
        const std::string message = "The guide database " + path.string()
            + " cannot be opened: " + (db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(status));
        sqlite3_close(db_);
        db_ = nullptr;
        throw GuideError(message);
    }
    sqlite3_extended_result_codes(db_, 1);
    // Another connection writing the same file (a hand choice made in a second window) waits a
    // little instead of failing at once.
    sqlite3_busy_timeout(db_, 2000);
}

SqliteDatabase::~SqliteDatabase()
{
    reused_.clear();
    sqlite3_close_v2(db_);
}

SqliteStatementUse SqliteDatabase::Reuse(const std::string& sql)
{
    std::unique_ptr<SqliteStatement>& statement = reused_[sql];
    if (!statement)
        statement = std::make_unique<SqliteStatement>(*this, sql);
    return SqliteStatementUse(*statement);
}

SqliteStatementUse::~SqliteStatementUse()
{
    statement_.Reset();
}

void SqliteDatabase::Execute(std::string_view sql)
{
    char* error = nullptr;
    const std::string text(sql);
    if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = "The guide database " + path_.string() + " failed: " + (error ? error : "");
        sqlite3_free(error);
        throw GuideError(message);
    }
}

SqliteStatement SqliteDatabase::Prepare(std::string_view sql)
{
    return SqliteStatement(*this, sql);
}

std::int64_t SqliteDatabase::LastInsertRowId() const
{
    return sqlite3_last_insert_rowid(db_);
}

SqliteStatement::SqliteStatement(SqliteDatabase& db, std::string_view sql) : db_(db.Handle())
{
    if (sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &statement_,
                           nullptr)
        != SQLITE_OK)
        Fail(db_, "The guide database " + db.Path().string() + " cannot be read");
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(statement_);
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept : db_(other.db_), statement_(other.statement_)
{
    other.statement_ = nullptr;
}

SqliteStatement& SqliteStatement::Bind(int index, std::int64_t value)
{
    if (sqlite3_bind_int64(statement_, index, value) != SQLITE_OK)
        Fail(db_, "A value cannot be given to the guide database");
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::string_view text)
{
    // SQLITE_TRANSIENT: the text is copied, so temporaries may be bound. An empty view may have no
    // data at all, which SQLite would take for NULL: it is bound as the empty text it is.
    const char* data = text.data() ? text.data() : "";
    if (sqlite3_bind_text64(statement_, index, data, text.size(), SQLITE_TRANSIENT, SQLITE_UTF8) != SQLITE_OK)
        Fail(db_, "A value cannot be given to the guide database");
    return *this;
}

SqliteStatement& SqliteStatement::BindView(int index, std::string_view text)
{
    const char* data = text.data() ? text.data() : "";
    if (sqlite3_bind_text64(statement_, index, data, text.size(), SQLITE_STATIC, SQLITE_UTF8) != SQLITE_OK)
        Fail(db_, "A value cannot be given to the guide database");
    return *this;
}

SqliteStatement& SqliteStatement::BindNull(int index)
{
    if (sqlite3_bind_null(statement_, index) != SQLITE_OK)
        Fail(db_, "A value cannot be given to the guide database");
    return *this;
}

bool SqliteStatement::Step()
{
    const int status = sqlite3_step(statement_);
    if (status == SQLITE_ROW)
        return true;
    if (status == SQLITE_DONE)
        return false;
    Fail(db_, "The guide database failed");
}

void SqliteStatement::Reset()
{
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

std::int64_t SqliteStatement::Int(int column) const
{
    return sqlite3_column_int64(statement_, column);
}

std::string SqliteStatement::Text(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement_, column))) : std::string();
}

bool SqliteStatement::IsNull(int column) const
{
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

SqliteTransaction::SqliteTransaction(SqliteDatabase& db) : db_(db)
{
    db_.Execute("BEGIN");
}

SqliteTransaction::~SqliteTransaction()
{
    if (open_)
        sqlite3_exec(db_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void SqliteTransaction::Commit()
{
    db_.Execute("COMMIT");
    open_ = false;
}

} // namespace zentavo
