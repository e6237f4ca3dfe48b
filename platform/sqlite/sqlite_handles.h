#pragma once
// Small RAII owners for SQLite's C handles, so that every path out of a
// function, exceptions included, closes what it opened.
#include <memory>
#include <string>
#include <string_view>

#include <sqlite3.h>

namespace agendor::sqlite {

struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// A connection this process opened (closed on destruction) or one a host
// lent (left open: the host closes it).
class Connection {
public:
    // Read-only, with the double-quoted-string fallback switched off and a
    // busy timeout, so that a host writing meanwhile delays a read by at most
    // busyTimeoutMs milliseconds instead of failing it at once. Reads the
    // schema once, so a missing file, a file that is no database or a file
    // locked by a writer is reported here and not at the first query.
    static Connection OpenReadOnly(const std::string& path, int busyTimeoutMs);
    // Read-write, creating the file; used to build sample databases.
    static Connection Create(const std::string& path);
    static Connection Borrow(sqlite3* hostConnection);

    Connection(Connection&& other) noexcept;
    Connection& operator=(Connection&& other) noexcept;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection();

    sqlite3* Handle() const { return handle_; }
    bool Owned() const { return owned_; }

    // Runs SQL that returns no rows (sample building only).
    void Execute(const std::string& sql);

private:
    Connection(sqlite3* handle, bool owned) : handle_(handle), owned_(owned) {}
    static Connection OpenWithFlags(const std::string& path, int flags);
    sqlite3* handle_ = nullptr;
    bool owned_ = false;
};

// Prepares exactly one statement that cannot change the database. A text
// with a second statement after the first, or a statement that writes
// (sqlite3_stmt_readonly), raises SqliteError carrying queryText.
Statement PrepareReadOnly(sqlite3* connection, std::string_view sql, const std::string& queryText,
                          bool persistent);
// Prepares one statement of any kind (sample building only).
Statement Prepare(sqlite3* connection, std::string_view sql);

// Resets a statement when the scope ends, so a cached statement never stays
// in the middle of a read (which would hold a read lock on the file).
class ResetOnExit {
public:
    explicit ResetOnExit(sqlite3_stmt* statement) : statement_(statement) {}
    ResetOnExit(const ResetOnExit&) = delete;
    ResetOnExit& operator=(const ResetOnExit&) = delete;
    ~ResetOnExit() {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }

private:
    sqlite3_stmt* statement_;
};

// Raises SqliteError with SQLite's current message on connection.
[[noreturn]] void RaiseEngineError(sqlite3* connection, int resultCode, const std::string& leadIn,
                                   const std::string& queryText);

} // namespace agendor::sqlite
