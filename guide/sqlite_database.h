#pragma once
// A small RAII wrapper over the SQLite C library: one connection, prepared statements with bound
// values, transactions that roll back unless committed. Every failure is a GuideError with
// SQLite's own words. A connection serves one thread at a time.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace zentavo {

class SqliteStatement;
class SqliteStatementUse;

class SqliteDatabase {
public:
    enum class Mode { ReadOnly, ReadWrite, Create };
    SqliteDatabase(const std::filesystem::path& path, Mode mode);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    // Runs one or more statements that take no values and give no rows.
    void Execute(std::string_view sql);
    SqliteStatement Prepare(std::string_view sql);
    // The statement prepared once and kept by the connection (queries asked again and again, such as
    // the rows on screen); it is reset when the use ends.
    SqliteStatementUse Reuse(const std::string& sql);
    std::int64_t LastInsertRowId() const;

    sqlite3* Handle() const { return db_; }
    const std::filesystem::path& Path() const { return path_; }

private:
    sqlite3* db_ = nullptr;
    std::filesystem::path path_;
    std::unordered_map<std::string, std::unique_ptr<SqliteStatement>> reused_;
};

// A prepared statement. Bind values by 1-based position, then Step through the rows; Reset makes it
// ready for new values.
class SqliteStatement {
public:
    SqliteStatement(SqliteDatabase& db, std::string_view sql);
    ~SqliteStatement();
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&&) = delete;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    SqliteStatement& Bind(int index, std::int64_t value);
    SqliteStatement& Bind(int index, std::string_view text);
    // The text is not copied: it must stay as it is until the statement is stepped and reset.
    SqliteStatement& BindView(int index, std::string_view text);
    SqliteStatement& BindNull(int index);
    // True while there is a row to read; false when the statement is done.
    bool Step();
    void Reset();

    std::int64_t Int(int column) const;
    std::string Text(int column) const;
    bool IsNull(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

// One use of a kept statement: resets it at the end, so it holds no read lock in between.
class SqliteStatementUse {
public:
    explicit SqliteStatementUse(SqliteStatement& statement) : statement_(statement) {}
    ~SqliteStatementUse();
    SqliteStatementUse(const SqliteStatementUse&) = delete;
    SqliteStatementUse& operator=(const SqliteStatementUse&) = delete;
    SqliteStatement& operator*() const { return statement_; }

private:
    SqliteStatement& statement_;
};

// BEGIN on construction, ROLLBACK on destruction unless Commit was called.
class SqliteTransaction {
public:
    explicit SqliteTransaction(SqliteDatabase& db);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;
    void Commit();

private:
    SqliteDatabase& db_;
    bool open_ = true;
};

} // namespace zentavo
