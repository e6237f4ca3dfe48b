#include "agendor/platform/postgres/pg_database.h"

#include <list>
#include <unordered_map>
#include <utility>

#include "agendor/platform/postgres/pg_catalog.h"
#include "agendor/platform/postgres/pg_error.h"
#include "agendor/platform/postgres/pg_handles.h"
#include "agendor/platform/postgres/pg_recordset.h"
#include "agendor/platform/postgres/pg_dialect.h"
#include "agendor/platform/postgres/pg_session.h"

namespace agendor::postgres {

namespace {

// The server's snapshot as text, "xmin:xmax:xip,...", asked for before each
// run of a text whose result may be handed out again, and whether the name
// of the text's table ($1, quoted) still stands for a relation that changes
// only by commits: a host may rename the table and put a view in its place,
// which the prepared statement then reads, or give the table row security.
constexpr const char* kSnapshotStatement = "agendor_snapshot";
const std::string kSnapshotQuery = std::string(
                                       "SELECT pg_catalog.pg_current_snapshot(), EXISTS (SELECT FROM "
                                       "pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = "
                                       "c.relnamespace WHERE c.oid = pg_catalog.to_regclass($1) AND ") +
                                   kChangesOnlyByCommit + ")";

constexpr const char* kLostConnection =
    "Die Verbindung zum Datenbankserver ist abgebrochen; sie wird beim nächsten Laden neu aufgebaut";

} // namespace

// The connection with its prepared statements and the catalog it has looked
// at, shared by the database object and the query definitions made from it.
class PgDatabase::Session {
public:
    Session(std::string conninfo, const PgOptions& options) : conninfo_(std::move(conninfo)), options_(options) {
        if (options_.statementCacheSize == 0) options_.statementCacheSize = 1;
        Connect();
        name_ = PQdb(connection_.get());
    }

    const std::string& Name() const { return name_; }
    int BackendPid() const { return connection_ ? PQbackendPID(connection_.get()) : 0; }

    // Equal snapshots before two runs of a text mean that no transaction
    // ended between them: a commit either removes its transaction from the
    // list of those in progress (xip) or, for the newest one, moves xmax
    // past it. So the rows the first run gave are exactly what the text
    // would give now, and its result is handed out again.
    std::unique_ptr<Recordset> Run(const std::string& text) {
        Prepared& prepared = Lookup(text);
        std::string snapshot;
        if (prepared.reusable) {
            snapshot = CurrentSnapshot(prepared.tableName, text);
            if (snapshot.empty()) {
                prepared.reusable = false;
                prepared.last.reset();
            } else if (prepared.last && snapshot == prepared.snapshot) {
                return std::make_unique<PgRecordset>(prepared.last, text);
            }
        }
        Result result(PQexecPrepared(connection_.get(), prepared.name.c_str(), 0, nullptr, nullptr, nullptr,
                                     prepared.binary ? 1 : 0));
        if (Failed(result.get())) {
            CheckConnection(result.get(), text);
            // The host may have changed the table under the statement; the
            // next run prepares it afresh.
            PgError error = Failure(result.get(), text, prepared.table);
            Drop(text);
            throw error;
        }
        auto rows = std::make_shared<const ResultRows>(std::move(result));
        Unkeep(prepared);
        if (prepared.reusable) Keep(text, prepared, rows, std::move(snapshot));
        return std::make_unique<PgRecordset>(std::move(rows), text);
    }

    void Prepare(const std::string& text) { Lookup(text); }

    std::string Translate(const std::string& text) {
        EnsureConnected(text);
        return TranslateForServer(text, [this](const std::string& name) { return FindTable(name); },
                                  options_.rewriteDateValue);
    }

private:
    struct Prepared {
        std::string name;                   // of the statement on the server
        std::list<std::string>::iterator age;  // position in order_
        bool reusable = false;              // its result may be handed out again
        std::string tableName;              // of its table, quoted, when reusable
        std::string table;                  // its table's name as stored, for messages
        bool binary = false;                // its result comes in binary form
        SharedRows last;                    // the last run's result, while kept
        std::size_t lastBytes = 0;          // what last takes
        std::list<std::string>::iterator keptAt;  // position in kept_, while last is kept
        std::string snapshot;               // the server's snapshot before that run
    };

    PgError Failure(const PGresult* result, const std::string& text, const std::string& table = {}) const {
        return ServerError(result, connection_.get(), "Die Abfrage ließ sich nicht ausführen", text, waits_, table);
    }

    // All kept results together stay within the budget: the result kept
    // longest ago goes first, and one larger than the budget is not kept.
    void Keep(const std::string& text, Prepared& prepared, SharedRows rows, std::string snapshot) {
        const std::size_t bytes = PQresultMemorySize(rows->result.get());
        if (bytes > options_.keptResultBytes) return;
        while (keptBytes_ + bytes > options_.keptResultBytes && !kept_.empty()) {
            Unkeep(cache_.at(kept_.back()));
        }
        prepared.last = std::move(rows);
        prepared.lastBytes = bytes;
        prepared.snapshot = std::move(snapshot);
        keptBytes_ += bytes;
        kept_.push_front(text);
        prepared.keptAt = kept_.begin();
    }

    void Unkeep(Prepared& prepared) {
        if (!prepared.last) return;
        keptBytes_ -= prepared.lastBytes;
        prepared.last.reset();
        prepared.lastBytes = 0;
        kept_.erase(prepared.keptAt);
    }

    void Connect() {
        connection_ = postgres::Connect(conninfo_, options_);
        catalog_.SetSearchPath(FixSession(connection_.get(), options_, true, &waits_));
        snapshots_ = false;
        if (options_.reuseUnchangedResults) {
            // A server before version 13 has no pg_current_snapshot(); it
            // runs every query, as without reuse.
            const Result prepared(PQprepare(connection_.get(), kSnapshotStatement, kSnapshotQuery.c_str(), 0, nullptr));
            snapshots_ = !Failed(prepared.get());
        }
    }

    // Empty when the table no longer changes only by commits.
    std::string CurrentSnapshot(const std::string& tableName, const std::string& text) {
        const char* values[] = {tableName.c_str()};
        const Result result(
            PQexecPrepared(connection_.get(), kSnapshotStatement, 1, values, nullptr, nullptr, 0));
        if (Failed(result.get()) || PQntuples(result.get()) != 1) {
            CheckConnection(result.get(), text);
            throw Failure(result.get(), text);
        }
        if (PQgetvalue(result.get(), 0, 1)[0] != 't') return {};
        return std::string(PQgetvalue(result.get(), 0, 0), static_cast<std::size_t>(PQgetlength(result.get(), 0, 0)));
    }

    // After a lost connection: a new one with the same connection string,
    // which knows none of the old statements.
    void EnsureConnected(const std::string& text) {
        if (connection_ && PQstatus(connection_.get()) == CONNECTION_OK) return;
        ForgetStatements();
        try {
            Connect();
        } catch (const PgError& error) {
            connection_.reset();
            throw PgError(error.Description(), text, error.SqlState());
        }
    }

    const TableInfo* FindTable(const std::string& name) {
        try {
            return catalog_.Find(connection_.get(), name);
        } catch (const PgError&) {
            CheckConnection(nullptr, {});
            throw;
        }
    }

    // A failure that came from a broken connection is reported as such,
    // once; the next call connects again.
    void CheckConnection(const PGresult* result, const std::string& text) {
        if (PQstatus(connection_.get()) == CONNECTION_OK) return;
        const std::string message = result != nullptr ? MessageOf(result) : MessageOf(connection_.get());
        connection_.reset();
        ForgetStatements();
        throw PgError(std::string(kLostConnection) + " (" + message + ").", text);
    }

    // A new connection knows none of the old statements.
    void ForgetStatements() {
        cache_.clear();
        order_.clear();
        kept_.clear();
        keptBytes_ = 0;
        catalog_.Forget();
    }

    // Least recently used texts are dropped first once the cache is full.
    Prepared& Lookup(const std::string& text) {
        EnsureConnected(text);
        if (const auto found = cache_.find(text); found != cache_.end()) {
            order_.splice(order_.begin(), order_, found->second.age);
            return found->second;
        }
        const TableInfo* table = nullptr;
        const std::string sql = TranslateForServer(
            text,
            [this, &table](const std::string& name) {
                table = FindTable(name);
                return table;
            },
            options_.rewriteDateValue);
        const bool reusable = snapshots_ && table != nullptr && table->changesOnlyByCommit;
        // Taken now: table points into the catalog, which Drop() below forgets.
        const std::string tableName = reusable ? QualifiedName(*table) : std::string();
        const std::string tableShown = table != nullptr ? table->name : std::string();
        const std::string name = "agendor_" + std::to_string(++statements_);
        const Result result(PQprepare(connection_.get(), name.c_str(), sql.c_str(), 0, nullptr));
        if (Failed(result.get())) {
            CheckConnection(result.get(), text);
            // The names a text uses may have changed meanwhile.
            catalog_.Forget();
            throw Failure(result.get(), text, tableShown);
        }
        const bool binary = options_.binaryResults && ReadsExactlyInBinary(name, text);
        while (cache_.size() >= options_.statementCacheSize) Drop(order_.back());
        order_.push_front(text);
        Prepared& entry = cache_[text];
        entry.name = name;
        entry.age = order_.begin();
        entry.reusable = reusable;
        entry.tableName = tableName;
        entry.table = tableShown;
        entry.binary = binary;
        return entry;
    }

    // Whether every column of the prepared statement has a type whose
    // binary form the recordset converts to exactly the value its text
    // gives. One result format serves all columns, so a single numeric or
    // timestamp with time zone keeps the whole result text.
    bool ReadsExactlyInBinary(const std::string& statement, const std::string& text) {
        const Result described(PQdescribePrepared(connection_.get(), statement.c_str()));
        if (Failed(described.get())) {
            CheckConnection(described.get(), text);
            return false;
        }
        for (int column = 0; column < PQnfields(described.get()); ++column)
            if (!PgRecordset::ReadsExactlyInBinary(PQftype(described.get(), column))) return false;
        return true;
    }

    void Drop(const std::string& text) {
        const auto found = cache_.find(text);
        if (found == cache_.end()) return;
        if (connection_ && PQstatus(connection_.get()) == CONNECTION_OK)
            Result(PQexec(connection_.get(), ("DEALLOCATE " + found->second.name).c_str()));
        Unkeep(found->second);
        order_.erase(found->second.age);
        cache_.erase(found);
        catalog_.Forget();
    }

    std::string conninfo_;
    PgOptions options_;
    ConnectionHandle connection_;
    SessionWaits waits_;  // as the session's settings ended up
    bool snapshots_ = false;  // the snapshot statement is prepared on connection_
    std::string name_;
    Catalog catalog_;
    long statements_ = 0;
    std::list<std::string> order_;  // most recently used first
    std::unordered_map<std::string, Prepared> cache_;
    std::list<std::string> kept_;  // texts whose result is kept, most recent first
    std::size_t keptBytes_ = 0;    // what their results take
};

namespace {

class PgQueryDef final : public QueryDef {
public:
    PgQueryDef(std::shared_ptr<PgDatabase::Session> session, std::string text)
        : session_(std::move(session)), text_(std::move(text)) {}

    std::string SQL() const override { return text_; }
    std::unique_ptr<Recordset> OpenRecordset(RecordsetType) override { return session_->Run(text_); }

private:
    std::shared_ptr<PgDatabase::Session> session_;
    std::string text_;
};

} // namespace

PgDatabase::PgDatabase(std::shared_ptr<Session> session) : session_(std::move(session)) {}

PgDatabase::~PgDatabase() = default;

std::unique_ptr<PgDatabase> PgDatabase::Open(const std::string& conninfo, const PgOptions& options) {
    return std::unique_ptr<PgDatabase>(new PgDatabase(std::make_shared<Session>(conninfo, options)));
}

std::string PgDatabase::Name() const { return session_->Name(); }

std::unique_ptr<Recordset> PgDatabase::OpenRecordset(const std::string& text, RecordsetType) {
    return session_->Run(text);
}

std::unique_ptr<QueryDef> PgDatabase::CreateQueryDef(const std::string& name, const std::string& text) {
    if (!name.empty())
        throw PgError("Die Abfrage " + name +
                          " lässt sich nicht speichern: der Kalender liest nur und legt nur Abfragen ohne Namen an.",
                      text);
    session_->Prepare(text);
    return std::make_unique<PgQueryDef>(session_, text);
}

std::string PgDatabase::Translate(const std::string& text) { return session_->Translate(text); }

int PgDatabase::BackendPid() const { return session_->BackendPid(); }

} // namespace agendor::postgres
