#include "history/sqlite_db.h"

namespace history {

SqliteDb::~SqliteDb() {
    Close();
}

int SqliteDb::Open(const std::string& path, bool create, bool readOnly) {
    Close();
    int flags = SQLITE_OPEN_NOMUTEX | (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE);
    if (create && !readOnly) {
        flags |= SQLITE_OPEN_CREATE;
    }
    const int code = sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr);
    if (code != SQLITE_OK) {
        Note(code, "opening " + path);
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        return code;
    }
    sqlite3_extended_result_codes(m_db, 1);
    // A writer that holds the file briefly (the writer thread, a checkpoint) makes a reader wait a
    // little rather than fail at once.
    sqlite3_busy_timeout(m_db, 2000);
    return Note(SQLITE_OK, "opening " + path);
}

void SqliteDb::Close() {
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

int SqliteDb::Note(int code, const std::string& what) {
    m_lastCode = code;
    if (code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE) {
        m_error.clear();
    } else {
        const char* detail = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(code);
        m_error = std::string(detail ? detail : sqlite3_errstr(code)) + " (while " + what + ")";
    }
    return code;
}

int SqliteDb::Exec(const std::string& sql) {
    if (!m_db) {
        return Note(SQLITE_MISUSE, "running a statement on a closed file");
    }
    return Note(sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr), "running " + sql);
}

std::optional<std::string> SqliteDb::QueryText(const std::string& sql) {
    if (!m_db) {
        Note(SQLITE_MISUSE, "querying a closed file");
        return std::nullopt;
    }
    SqliteStmt stmt(*this, sql.c_str());
    if (!stmt.Ok() || stmt.Step() != SQLITE_ROW) {
        return std::nullopt;
    }
    return stmt.Text(0);
}

int64_t SqliteDb::LastInsertId() const {
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}

int SqliteDb::Changes() const {
    return m_db ? sqlite3_changes(m_db) : 0;
}

SqliteStmt::SqliteStmt(SqliteDb& db, const char* sql) : m_db(db) {
    if (!db.Handle()) {
        db.Note(SQLITE_MISUSE, "preparing a statement on a closed file");
        return;
    }
    const int code = sqlite3_prepare_v2(db.Handle(), sql, -1, &m_stmt, nullptr);
    if (code != SQLITE_OK) {
        db.Note(code, std::string("preparing ") + sql);
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
}

SqliteStmt::~SqliteStmt() {
    sqlite3_finalize(m_stmt);
}

SqliteStmt& SqliteStmt::Bind(int index, int64_t value) {
    if (m_stmt) {
        sqlite3_bind_int64(m_stmt, index, value);
    }
    return *this;
}

SqliteStmt& SqliteStmt::Bind(int index, const std::string& value) {
    if (m_stmt) {
        sqlite3_bind_text(m_stmt, index, value.data(), static_cast<int>(value.size()),
                          SQLITE_TRANSIENT);
    }
    return *this;
}

SqliteStmt& SqliteStmt::BindNull(int index) {
    if (m_stmt) {
        sqlite3_bind_null(m_stmt, index);
    }
    return *this;
}

int SqliteStmt::Step() {
    if (!m_stmt) {
        return SQLITE_MISUSE;
    }
    const int code = sqlite3_step(m_stmt);
    if (code != SQLITE_ROW && code != SQLITE_DONE) {
        m_db.Note(code, std::string("running ") + sqlite3_sql(m_stmt));
    }
    return code;
}

bool SqliteStmt::Run() {
    const int code = Step();
    Reset();
    return code == SQLITE_DONE || code == SQLITE_ROW;
}

void SqliteStmt::Reset() {
    if (m_stmt) {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
}

int64_t SqliteStmt::Int(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

bool SqliteStmt::IsNull(int column) const {
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

std::string SqliteStmt::Text(int column) const {
    const auto* text = sqlite3_column_text(m_stmt, column);
    const int size = sqlite3_column_bytes(m_stmt, column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(size))
                : std::string();
}

bool IsUnwritable(int code) {
    switch (code & 0xFF) {
        case SQLITE_FULL:
        case SQLITE_READONLY:
        case SQLITE_CANTOPEN:
        case SQLITE_IOERR:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return true;
        default:
            return false;
    }
}

bool IsDamaged(int code) {
    return (code & 0xFF) == SQLITE_CORRUPT || (code & 0xFF) == SQLITE_NOTADB;
}

}  // namespace history
