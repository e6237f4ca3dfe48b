#include "agendor/platform/sqlite/sqlite_database.h"

#include <sys/stat.h>

#include <cstdint>
#include <list>
#include <optional>
#include <unordered_map>
#include <utility>

#include "agendor/platform/sqlite/date_storage.h"
#include "agendor/platform/sqlite/german_collation.h"
#include "agendor/platform/sqlite/sqlite_error.h"
#include "agendor/platform/sqlite/sqlite_handles.h"
#include "agendor/platform/sqlite/sqlite_recordset.h"

namespace agendor::sqlite {

namespace {

// Which file a path names now: device and inode, nullopt when there is none.
struct FileId {
    dev_t device;
    ino_t inode;
    friend bool operator==(const FileId&, const FileId&) = default;
};

std::optional<FileId> IdOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return std::nullopt;
    return FileId{status.st_dev, status.st_ino};
}

} // namespace

// The connection with its statement cache, shared by the database object
// and the query definitions made from it, so neither outlives the other's
// statements.
class SqliteDatabase::Session {
public:
    Session(Connection connection, std::string name, const SqliteOptions& options)
        : connection_(std::move(connection)), name_(std::move(name)), options_(options) {
        if (options_.statementCacheSize == 0) options_.statementCacheSize = 1;
        RegisterGermanCollation(connection_.Handle());
        if (options_.reuseUnchangedResults && connection_.Owned())
            dataVersion_ = PrepareReadOnly(connection_.Handle(), "PRAGMA data_version", "PRAGMA data_version", true);
        if (connection_.Owned()) fileId_ = IdOf(name_);
    }

    // A host that puts another file in place of the open one (a restored
    // backup, a copy from elsewhere) means that file: the next load opens
    // it, instead of showing the replaced file's rows for as long as the
    // control lives. A file deleted under the connection is still read,
    // as it was when it was opened.
    void OpenAgainWhenReplaced() {
        if (!connection_.Owned() || !fileId_) return;
        const std::optional<FileId> now = IdOf(name_);
        if (!now || *now == *fileId_) return;
        Connection replacement = Connection::OpenReadOnly(name_, options_.busyTimeoutMs);
        RegisterGermanCollation(replacement.Handle());
        Statement dataVersion;
        if (options_.reuseUnchangedResults)
            dataVersion = PrepareReadOnly(replacement.Handle(), "PRAGMA data_version", "PRAGMA data_version", true);
        // The old connection's statements go before it does.
        cache_.clear();
        order_.clear();
        kept_.clear();
        storages_.clear();
        tableKind_.reset();
        dataVersion_ = std::move(dataVersion);
        connection_ = std::move(replacement);
        fileId_ = now;
    }

    ~Session() {
        // A borrowed connection stays open; our statements must not.
        cache_.clear();
        order_.clear();
        dataVersion_.reset();
        tableKind_.reset();
    }

    const std::string& Name() const { return name_; }

    std::unique_ptr<Recordset> Run(const std::string& text) {
        OpenAgainWhenReplaced();
        Prepared& prepared = Lookup(text);
        // The version is read before the query: a commit that lands between
        // the two changes it again, so the rows are read anew next time.
        std::optional<std::int64_t> version = DataVersion();
        if (prepared.undecided) DecideStorageAgain(prepared, version);
        if (version && prepared.kindCheckedAt != *version) {
            // Any change of the schema is a commit too, so the kind of the
            // text's table is looked at again only after one.
            prepared.plainTable = IsPlainTable(prepared.table);
            prepared.kindCheckedAt = *version;
        }
        if (!prepared.plainTable) version.reset();
        if (version && prepared.rows && prepared.version == *version)
            return std::make_unique<SqliteRecordset>(prepared.rows, text);
        prepared.rows.reset();
        std::shared_ptr<const SqliteRows> rows;
        {
            ResetOnExit reset(prepared.statement.get());
            ++queriesRun_;
            rows = ReadRows(prepared.statement.get(), prepared.dateFields, prepared.storage, text);
        }
        if (version) Keep(prepared, text, rows, *version);
        return std::make_unique<SqliteRecordset>(std::move(rows), text);
    }

    std::size_t QueriesRun() const { return queriesRun_; }

    void Prepare(const std::string& text) {
        OpenAgainWhenReplaced();
        Lookup(text);
    }

private:
    struct Prepared {
        Statement statement;
        std::vector<std::string> dateFields;
        DateStorage storage = DateStorage::Real;  // of the date fields
        std::list<std::string>::iterator age;     // position in order_
        std::shared_ptr<const SqliteRows> rows;   // of the last run, while kept
        std::int64_t version = 0;                 // the file's data version before that run
        std::string table;                        // the text's table, as written
        bool plainTable = false;                  // whether only commits change its rows
        std::optional<std::int64_t> kindCheckedAt;  // data version when that was looked at
        // The parsed text while a date field of it held no value, so its
        // storage is decided again; with the data version of that look.
        std::optional<sql::ParsedQuery> undecided;
        std::optional<std::int64_t> storageCheckedAt;
    };

    // A field that held no value decided nothing: the first values the host
    // stores may be texts. Looked at again after each commit to the file (on
    // a host's connection, at each run) until every date field holds values.
    void DecideStorageAgain(Prepared& prepared, std::optional<std::int64_t> version) {
        if (version && prepared.storageCheckedAt == version) return;
        prepared.storageCheckedAt = version;
        const auto [found, decided] = StorageOfDateFields(*prepared.undecided);
        if (found != prepared.storage) {
            prepared.statement = PrepareFor(*prepared.undecided, found);
            prepared.storage = found;
            prepared.rows.reset();
        }
        if (decided) prepared.undecided.reset();
    }

    Statement PrepareFor(const sql::ParsedQuery& query, DateStorage storage) {
        TranslateOptions translate;
        translate.storage = storage;
        translate.rewriteDateValue = options_.rewriteDateValue;
        translate.forceTableScan = options_.forceTableScan;
        translate.germanTextOrder = options_.germanTextOrder;
        return PrepareReadOnly(connection_.Handle(), sql::WriteQuery(query, SqliteDialect(translate)), query.text,
                               true);
    }

    // Only an ordinary table changes by commits alone. A view may read the
    // clock or random(), a virtual table a file of its own: their rows are
    // read every time.
    bool IsPlainTable(const std::string& table) {
        if (!tableKind_)
            tableKind_ = PrepareReadOnly(connection_.Handle(), kTableKindQuery, kTableKindQuery, true);
        ResetOnExit reset(tableKind_.get());
        sqlite3_bind_text(tableKind_.get(), 1, table.c_str(), static_cast<int>(table.size()), SQLITE_TRANSIENT);
        const int rc = sqlite3_step(tableKind_.get());
        if (rc == SQLITE_DONE) return false;
        if (rc != SQLITE_ROW)
            RaiseEngineError(connection_.Handle(), rc, "Die Abfrage ließ sich nicht ausführen", kTableKindQuery);
        return sqlite3_column_int(tableKind_.get(), 0) != 0;
    }
    static constexpr const char* kTableKindQuery =
        "SELECT type = 'table' AND sql NOT LIKE 'CREATE VIRTUAL%' FROM sqlite_master "
        "WHERE name = ?1 COLLATE NOCASE";

    // The file's data version: SQLite changes it whenever another connection
    // commits to the file, and this connection only reads. nullopt when
    // results are not reused.
    std::optional<std::int64_t> DataVersion() {
        if (!dataVersion_) return std::nullopt;
        ResetOnExit reset(dataVersion_.get());
        const int rc = sqlite3_step(dataVersion_.get());
        if (rc != SQLITE_ROW)
            RaiseEngineError(connection_.Handle(), rc, "Die Abfrage ließ sich nicht ausführen", "PRAGMA data_version");
        return sqlite3_column_int64(dataVersion_.get(), 0);
    }

    // Rows are kept for the few texts run last (a sheet's range, the
    // persons, a day), not for every cached statement, and within the
    // budget in bytes: paging through a year must not hold every month in
    // memory.
    void Keep(Prepared& prepared, const std::string& text, std::shared_ptr<const SqliteRows> rows,
              std::int64_t version) {
        kept_.remove(text);
        if (rows->bytes > options_.keptResultBytes) return;
        prepared.rows = std::move(rows);
        prepared.version = version;
        kept_.push_front(text);
        for (;;) {
            std::size_t bytes = 0;
            for (const std::string& keptText : kept_)
                if (const auto entry = cache_.find(keptText); entry != cache_.end() && entry->second.rows)
                    bytes += entry->second.rows->bytes;
            if (kept_.size() <= kKeptResults && bytes <= options_.keptResultBytes) break;
            if (const auto oldest = cache_.find(kept_.back()); oldest != cache_.end()) oldest->second.rows.reset();
            kept_.pop_back();
        }
    }
    static constexpr std::size_t kKeptResults = 4;

    // Least recently used texts are dropped first once the cache is full.
    Prepared& Lookup(const std::string& text) {
        if (const auto found = cache_.find(text); found != cache_.end()) {
            order_.splice(order_.begin(), order_, found->second.age);
            return found->second;
        }
        sql::ParsedQuery query = sql::ParseQuery(text);
        // Prepared first as the options say, so that a wrong table or field
        // is reported by SQLite's own message before the values are looked at.
        Statement statement = PrepareFor(query, options_.dateStorage);
        const auto [found, decided] = StorageOfDateFields(query);
        if (found != options_.dateStorage) statement = PrepareFor(query, found);

        while (cache_.size() >= options_.statementCacheSize) {
            kept_.remove(order_.back());
            cache_.erase(order_.back());
            order_.pop_back();
        }
        order_.push_front(text);
        Prepared& entry = cache_[text];
        entry.statement = std::move(statement);
        entry.dateFields = query.dateFields;
        entry.table = query.table;
        entry.storage = found;
        entry.age = order_.begin();
        if (!decided) {
            entry.undecided = std::move(query);
            entry.storageCheckedAt = DataVersion();
        }
        return entry;
    }

    // How the query's date fields store their values, found on the first
    // query that uses each: a field whose values are all of the other kind
    // than the options say is read as it is stored (otherwise every bound
    // would miss every value and the sheet stay empty without a word). A
    // field holding both kinds keeps the options' storage, and each value of
    // the other kind is reported when it is read.
    // Whether every date field held a value (and so decided) comes with it.
    std::pair<DateStorage, bool> StorageOfDateFields(const sql::ParsedQuery& query) {
        std::optional<DateStorage> agreed;
        bool decided = true;
        for (const std::string& field : query.dateFields) {
            const std::optional<DateStorage> found = StorageOf(query.table, field);
            decided = decided && found.has_value();
            if (!found) continue;
            if (agreed && *agreed != *found)
                throw SqliteError("Die Datumsfelder der Abfrage speichern ihre Werte verschieden: als Zahlen und "
                                  "als Texte.",
                                  query.text);
            agreed = found;
        }
        return {agreed.value_or(options_.dateStorage), decided};
    }

    // nullopt while the field holds no value (nothing is remembered then).
    std::optional<DateStorage> StorageOf(const std::string& table, const std::string& field) {
        const std::string key = UpperAscii(table) + "." + UpperAscii(field);
        if (const auto known = storages_.find(key); known != storages_.end()) return known->second;
        const std::optional<DateStorage> found =
            FindDateStorage(connection_.Handle(), table, field, options_.dateStorage);
        if (found) storages_[key] = *found;
        return found;
    }

    static std::string UpperAscii(std::string text) {
        for (char& c : text)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        return text;
    }

    Connection connection_;
    std::string name_;
    SqliteOptions options_;
    std::list<std::string> order_;  // most recently used first
    std::unordered_map<std::string, Prepared> cache_;
    // Found storage by "TABLE.FIELD" (upper case), for the life of the connection.
    std::unordered_map<std::string, DateStorage> storages_;
    Statement dataVersion_;         // PRAGMA data_version, when results are reused
    Statement tableKind_;           // kTableKindQuery, prepared on first use
    std::list<std::string> kept_;   // texts whose rows are kept, most recent first
    std::size_t queriesRun_ = 0;
    std::optional<FileId> fileId_;  // the file the connection opened
};

namespace {

class SqliteQueryDef final : public QueryDef {
public:
    SqliteQueryDef(std::shared_ptr<SqliteDatabase::Session> session, std::string text)
        : session_(std::move(session)), text_(std::move(text)) {}

    std::string SQL() const override { return text_; }
    std::unique_ptr<Recordset> OpenRecordset(RecordsetType) override { return session_->Run(text_); }

private:
    std::shared_ptr<SqliteDatabase::Session> session_;
    std::string text_;
};

} // namespace

SqliteDatabase::SqliteDatabase(std::shared_ptr<Session> session) : session_(std::move(session)) {}

SqliteDatabase::~SqliteDatabase() = default;

std::unique_ptr<SqliteDatabase> SqliteDatabase::Open(const std::string& path, const SqliteOptions& options) {
    Connection connection = Connection::OpenReadOnly(path, options.busyTimeoutMs);
    return std::unique_ptr<SqliteDatabase>(
        new SqliteDatabase(std::make_shared<Session>(std::move(connection), path, options)));
}

std::unique_ptr<SqliteDatabase> SqliteDatabase::Attach(sqlite3* hostConnection, const SqliteOptions& options) {
    Connection connection = Connection::Borrow(hostConnection);
    const char* file = sqlite3_db_filename(hostConnection, "main");
    std::string name = file != nullptr && *file != '\0' ? file : ":memory:";
    return std::unique_ptr<SqliteDatabase>(
        new SqliteDatabase(std::make_shared<Session>(std::move(connection), std::move(name), options)));
}

std::string SqliteDatabase::Name() const { return session_->Name(); }

std::unique_ptr<Recordset> SqliteDatabase::OpenRecordset(const std::string& text, RecordsetType) {
    return session_->Run(text);
}

std::unique_ptr<QueryDef> SqliteDatabase::CreateQueryDef(const std::string& name, const std::string& text) {
    if (!name.empty())
        throw SqliteError("Die Abfrage " + name +
                              " lässt sich nicht speichern: der Kalender liest nur und legt nur "
                              "Abfragen ohne Namen an.",
                          text);
    session_->Prepare(text);
    return std::make_unique<SqliteQueryDef>(session_, text);
}

void SqliteDatabase::Prepare(const std::string& text) { session_->Prepare(text); }

std::size_t SqliteDatabase::QueriesRun() const { return session_->QueriesRun(); }

} // namespace agendor::sqlite
