#pragma once
// The control's Database over SQLite. Every query text goes through the
// dialect translator; the connection only reads, so nothing the control
// sends can change the host's data.
#include <cstddef>
#include <memory>
#include <string>

#include "agendor/platform/database.h"
#include "agendor/platform/sqlite/sqlite_dialect.h"

struct sqlite3;

namespace agendor::sqlite {

struct SqliteOptions {
    // How the host stores date-time fields; literals and comparisons are
    // translated for it, and reading a date field gives the date-time value
    // either way.
    DateStorage dateStorage = DateStorage::Real;
    // How long a read waits for a host that is writing, in milliseconds.
    int busyTimeoutMs = 5000;
    // Prepared statements kept for reuse, by query text.
    std::size_t statementCacheSize = 32;
    // Measurement switches, see TranslateOptions.
    bool rewriteDateValue = true;
    bool forceTableScan = false;
    bool germanTextOrder = true;
    // A query run again while nothing in the file changed gives the rows it
    // read last time without reading them again (only for a connection this
    // object opened: on a host's connection the host's own writes would not
    // show in the file's change counter).
    bool reuseUnchangedResults = true;
    // Bytes all rows kept for reuse may take together; the rows kept
    // longest ago are dropped first, and rows larger than this are not kept.
    std::size_t keptResultBytes = std::size_t{64} << 20;
};

class AGENDOR_SQLITE_EXPORT SqliteDatabase final : public Database {
public:
    // Opens the file read-only. Raises SqliteError when the file is missing,
    // is no SQLite database or is locked by a writer for longer than the
    // busy timeout.
    static std::unique_ptr<SqliteDatabase> Open(const std::string& path, const SqliteOptions& options = {});
    // Reads through a connection the host opened and writes through itself.
    // The host keeps it open for as long as this object and everything opened
    // from it live; its settings are left as the host made them.
    static std::unique_ptr<SqliteDatabase> Attach(sqlite3* hostConnection, const SqliteOptions& options = {});

    ~SqliteDatabase() override;

    // The file's path; ":memory:" for a host connection to a database in memory.
    std::string Name() const override;
    // Both recordset types give a snapshot: every row is read when the
    // recordset opens, so later writes by the host do not show in it.
    std::unique_ptr<Recordset> OpenRecordset(const std::string& text,
                                             RecordsetType type = RecordsetType::Default) override;
    // Only temporary definitions (empty name): the connection cannot store
    // one. The text is translated and prepared here, so a wrong text fails
    // at creation.
    std::unique_ptr<QueryDef> CreateQueryDef(const std::string& name, const std::string& text) override;

    // Translates and prepares text into the statement cache without running
    // it; a later OpenRecordset with the same text reuses the statement.
    void Prepare(const std::string& text);

    // How often a query was actually run against the file; rows handed out
    // again because nothing changed do not count.
    std::size_t QueriesRun() const;

    class Session;

private:
    explicit SqliteDatabase(std::shared_ptr<Session> session);
    std::shared_ptr<Session> session_;
};

// The workspace a SqliteDatabase belongs to. The control only checks that
// one is set.
class AGENDOR_SQLITE_EXPORT SqliteWorkspace final : public Workspace {};

} // namespace agendor::sqlite
