// A thin owner of one SQLite connection and its prepared statements: opening with the store's
// pragmas, running statements, and telling why a step failed in the store's own words.
//
// One SqliteDb is used by one thread at a time (the connection is opened without SQLite's own
// mutexes); the statements it prepares belong to the same thread.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace history {

class SqliteStmt;

class SqliteDb {
public:
    SqliteDb() = default;
    ~SqliteDb();  // Close()
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;
    SqliteDb(SqliteDb&& other) noexcept
        : m_db(std::exchange(other.m_db, nullptr)),
          m_lastCode(other.m_lastCode),
          m_error(std::move(other.m_error)) {}

    // Opens (and with `create`, creates) the file; `readOnly` opens it for queries only. Returns
    // the SQLite result code (SQLITE_OK on success); Error() says why otherwise.
    int Open(const std::string& path, bool create, bool readOnly = false);
    void Close();
    bool IsOpen() const { return m_db != nullptr; }

    // Runs one or more statements without results. Returns the result code.
    int Exec(const std::string& sql);
    // The first column of the first row of `sql`, as text; nothing when there is no row or the
    // statement fails (the code in LastCode()).
    std::optional<std::string> QueryText(const std::string& sql);

    int LastCode() const { return m_lastCode; }
    // "disk I/O error (while writing)", with the failing step's words.
    const std::string& Error() const { return m_error; }
    sqlite3* Handle() const { return m_db; }
    int64_t LastInsertId() const;
    int Changes() const;

    // Notes the result `code` of a step named `what`; returns `code`.
    int Note(int code, const std::string& what);

private:
    sqlite3* m_db = nullptr;
    int m_lastCode = SQLITE_OK;
    std::string m_error;
};

// One prepared statement. Binding is by position from 1; a step returns SQLITE_ROW, SQLITE_DONE
// or an error code (noted in the connection).
class SqliteStmt {
public:
    SqliteStmt(SqliteDb& db, const char* sql);
    ~SqliteStmt();
    SqliteStmt(const SqliteStmt&) = delete;
    SqliteStmt& operator=(const SqliteStmt&) = delete;

    bool Ok() const { return m_stmt != nullptr; }
    SqliteStmt& Bind(int index, int64_t value);
    SqliteStmt& Bind(int index, const std::string& value);
    SqliteStmt& BindNull(int index);
    int Step();
    // Steps once and resets: true when the statement ran to its end.
    bool Run();
    void Reset();

    int64_t Int(int column) const;
    bool IsNull(int column) const;
    std::string Text(int column) const;

private:
    SqliteDb& m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

// True for the codes that mean "the file cannot be written": disk full, read-only file or
// folder, cannot open, I/O error, permission.
bool IsUnwritable(int code);
// True for the codes that mean "this is not a sound database".
bool IsDamaged(int code);

}  // namespace history
