#pragma once
// The control's Database on a PostgreSQL server, over one libpq connection.
// Every query text goes through the dialect translator; the session is
// read-only (default_transaction_read_only), so nothing the control sends
// can change the host's data. Statements are prepared once per text and
// kept on the connection.
//
// When the connection drops (the server restarted, a network fault), the
// load that meets it fails with one clear error; the next load connects
// again with the same connection string, without the host doing anything.
#include <cstddef>
#include <memory>
#include <string>

#include "agendor/platform/database.h"
#include "agendor/postgres_export.h"

namespace agendor::postgres {

struct PgOptions {
    // Prepared statements kept on the connection, by query text.
    std::size_t statementCacheSize = 32;
    // Measurement switch: DateValue(field) = #d# is computed for every row
    // instead of becoming a range on the field that an index can serve.
    bool rewriteDateValue = true;
    // A text run again while no transaction has committed on the server
    // since its last run gets that run's rows without running it again
    // (one short round trip instead of the query). Off: every load runs its
    // query, as the first load after a change does.
    bool reuseUnchangedResults = true;
    // Results whose columns all have types this side reads exactly from
    // the server's binary form come in that form (no number or date text to
    // parse). Off: every result comes as text.
    bool binaryResults = true;

    // How long the control's window may wait for the server. Every wait that
    // runs out ends the load with an error that names what was waited for;
    // the next load starts afresh. The connection string's own values win:
    // connect_timeout, and statement_timeout or lock_timeout given in its
    // options ("options='-c lock_timeout=500'") or in PGOPTIONS.
    // Seconds to connect (libpq's connect_timeout).
    int connectTimeoutSeconds = 5;
    // Milliseconds one statement may run, and may wait for a lock another
    // session holds on a table (0: no limit).
    int statementTimeoutMs = 15000;
    int lockTimeoutMs = 3000;
    // Seconds a TCP connection may stay silent before the operating system
    // probes whether the server is still there; a server that is gone is
    // noticed about half a minute after that.
    int keepaliveIdleSeconds = 30;

    // The zone a timestamp with time zone is shown in and in which the
    // dialect's date literals are compared with it: an IANA name such as
    // "Europe/Berlin". Empty: the zone of the machine the control runs on,
    // whatever the server's TimeZone is.
    std::string timeZone;

    // Bytes all results kept for reuse may take together; the oldest kept
    // result is dropped first, and a result larger than this is not kept.
    std::size_t keptResultBytes = std::size_t{64} << 20;
};

class AGENDOR_POSTGRES_EXPORT PgDatabase final : public Database {
public:
    // Connects with conninfo (key=value pairs or a postgresql:// URI).
    // Raises PgError when no connection comes about.
    static std::unique_ptr<PgDatabase> Open(const std::string& conninfo, const PgOptions& options = {});

    ~PgDatabase() override;

    // The database's name on the server.
    std::string Name() const override;
    // Both recordset types give a snapshot: the whole result is on this
    // side when the recordset opens.
    std::unique_ptr<Recordset> OpenRecordset(const std::string& text,
                                             RecordsetType type = RecordsetType::Default) override;
    // Only temporary definitions (empty name). The text is translated and
    // prepared here, so a wrong text fails at creation.
    std::unique_ptr<QueryDef> CreateQueryDef(const std::string& name, const std::string& text) override;

    // The SQL a text becomes on this server (for tests and benchmarks).
    std::string Translate(const std::string& text);
    // The server process serving this connection; 0 while disconnected.
    int BackendPid() const;

    class Session;

private:
    explicit PgDatabase(std::shared_ptr<Session> session);
    std::shared_ptr<Session> session_;
};

// The workspace a PgDatabase belongs to. The control only checks that one
// is set.
class AGENDOR_POSTGRES_EXPORT PgWorkspace final : public Workspace {};

} // namespace agendor::postgres
