#pragma once
// The database engine in memory. It does not parse queries: a test states
// the rows each query text answers, either text by text (SetResult) or by a
// responder function that sees every text. The database records each query
// text it runs, in order. Rows are copied when a recordset opens, so a
// recordset is the snapshot its type promises.
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "agendor/platform/database.h"

namespace agendor::memory {

// Field names compare without regard to ASCII case, as the engine's do.
struct FieldNameLess {
    bool operator()(const std::string& a, const std::string& b) const;
};
using Row = std::map<std::string, FieldValue, FieldNameLess>;
using Rows = std::vector<Row>;

// Descriptions of the engine's errors that the control may show.
inline constexpr const char* kNoSuchField = "Element in dieser Auflistung nicht gefunden.";
inline constexpr const char* kNoCurrentRecord = "Kein aktueller Datensatz.";

class MemoryRecordset final : public Recordset {
public:
    explicit MemoryRecordset(Rows rows);
    bool IsEOF() const override { return position_ >= rows_.size(); }
    // Raises Error "Kein aktueller Datensatz." at EOF.
    void MoveNext() override;
    // Raise Error "Kein aktueller Datensatz." when there are no rows.
    void MoveFirst() override;
    void MoveLast() override;
    long RecordCount() const override { return static_cast<long>(visited_); }
    // Raises "Kein aktueller Datensatz." at EOF and "Element in dieser
    // Auflistung nicht gefunden." for a field the row does not have.
    FieldValue Field(std::string_view name) const override;

private:
    void Visit();

    Rows rows_;
    std::size_t position_ = 0;
    std::size_t visited_ = 0;  // rows up to the furthest one reached
};

class MemoryDatabase;

class MemoryQueryDef final : public QueryDef {
public:
    MemoryQueryDef(MemoryDatabase& database, std::string text) : database_(database), text_(std::move(text)) {}
    std::string SQL() const override { return text_; }
    std::unique_ptr<Recordset> OpenRecordset(RecordsetType type = RecordsetType::Snapshot) override;

private:
    MemoryDatabase& database_;  // outlives its query definitions
    std::string text_;
};

struct QueryCall {
    std::string text;
    RecordsetType type;
    bool throughQueryDef;
};

class MemoryDatabase final : public Database {
public:
    using Responder = std::function<Rows(const std::string& queryText)>;

    explicit MemoryDatabase(std::string name = "memory.db") : name_(std::move(name)) {}

    std::string Name() const override { return name_; }
    // Answers with the rows set for text, else the responder's rows; raises
    // Error "Unbekannte Abfrage: <text>" when neither knows the text, and
    // the failure set for the text when there is one.
    std::unique_ptr<Recordset> OpenRecordset(const std::string& text,
                                             RecordsetType type = RecordsetType::Default) override;
    // Stores nothing; a named definition is only recorded in QueryDefNames.
    std::unique_ptr<QueryDef> CreateQueryDef(const std::string& name, const std::string& text) override;

    void SetName(std::string name) { name_ = std::move(name); }
    void SetResponder(Responder responder) { responder_ = std::move(responder); }
    void SetResult(const std::string& text, Rows rows);
    // Makes text fail with description, as the engine does for a missing
    // table or a rejected query.
    void SetFailure(const std::string& text, const std::string& description);

    // The texts of every query run, in order.
    std::vector<std::string> queries() const;
    const std::vector<QueryCall>& Calls() const { return calls_; }
    const std::vector<std::string>& QueryDefNames() const { return queryDefNames_; }
    void ClearRecords() { calls_.clear(); }

    // For MemoryQueryDef.
    std::unique_ptr<Recordset> Run(const std::string& text, RecordsetType type, bool throughQueryDef);

private:
    std::string name_;
    Responder responder_;
    std::map<std::string, Rows> results_;
    std::map<std::string, std::string> failures_;
    std::vector<QueryCall> calls_;
    std::vector<std::string> queryDefNames_;
};

class MemoryWorkspace final : public Workspace {};

} // namespace agendor::memory
