#include "agendor/platform/sqlite/sqlite_database.h"

#include <list>
#include <unordered_map>
#include <utility>

#include "agendor/platform/sqlite/german_collation.h"
#include "agendor/platform/sqlite/sqlite_error.h"
#include "agendor/platform/sqlite/sqlite_handles.h"
#include "agendor/platform/sqlite/sqlite_recordset.h"

namespace agendor::sqlite {

// The connection with its statement cache, shared by the database object
// and the query definitions made from it, so neither outlives the other's
// statements.
class SqliteDatabase::Session {
public:
    Session(Connection connection, std::string name, const SqliteOptions& options)
        : connection_(std::move(connection)), name_(std::move(name)), options_(options) {
        if (options_.statementCacheSize == 0) options_.statementCacheSize = 1;
        RegisterGermanCollation(connection_.Handle());
    }

    ~Session() {
        // A borrowed connection stays open; our statements must not.
        cache_.clear();
        order_.clear();
    }

    const std::string& Name() const { return name_; }

    std::unique_ptr<Recordset> Run(const std::string& text) {
        Prepared& prepared = Lookup(text);
        ResetOnExit reset(prepared.statement.get());
        return std::make_unique<SqliteRecordset>(prepared.statement.get(), prepared.dateFields,
                                                 options_.dateStorage, text);
    }

    void Prepare(const std::string& text) { Lookup(text); }

private:
    struct Prepared {
        Statement statement;
        std::vector<std::string> dateFields;
        std::list<std::string>::iterator age;  // position in order_
    };

    // Least recently used texts are dropped first once the cache is full.
    Prepared& Lookup(const std::string& text) {
        if (const auto found = cache_.find(text); found != cache_.end()) {
            order_.splice(order_.begin(), order_, found->second.age);
            return found->second;
        }
        TranslateOptions translate;
        translate.storage = options_.dateStorage;
        translate.rewriteDateValue = options_.rewriteDateValue;
        translate.forceTableScan = options_.forceTableScan;
        translate.germanTextOrder = options_.germanTextOrder;
        sql::Translation translation = TranslateQuery(text, translate);
        Statement statement = PrepareReadOnly(connection_.Handle(), translation.sql, text, true);

        while (cache_.size() >= options_.statementCacheSize) {
            cache_.erase(order_.back());
            order_.pop_back();
        }
        order_.push_front(text);
        Prepared& entry = cache_[text];
        entry.statement = std::move(statement);
        entry.dateFields = std::move(translation.dateFields);
        entry.age = order_.begin();
        return entry;
    }

    Connection connection_;
    std::string name_;
    SqliteOptions options_;
    std::list<std::string> order_;  // most recently used first
    std::unordered_map<std::string, Prepared> cache_;
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

} // namespace agendor::sqlite
