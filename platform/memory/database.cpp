#include "agendor/platform/memory/database.h"

#include <algorithm>
#include <cctype>

namespace agendor::memory {

bool FieldNameLess::operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        return std::tolower(x) < std::tolower(y);
    });
}

MemoryRecordset::MemoryRecordset(Rows rows) : rows_(std::move(rows)) { Visit(); }

void MemoryRecordset::Visit() {
    if (position_ < rows_.size()) visited_ = std::max(visited_, position_ + 1);
}

void MemoryRecordset::MoveNext() {
    if (IsEOF()) throw Error(kNoCurrentRecord);
    ++position_;
    Visit();
}

void MemoryRecordset::MoveFirst() {
    if (rows_.empty()) throw Error(kNoCurrentRecord);
    position_ = 0;
    Visit();
}

void MemoryRecordset::MoveLast() {
    if (rows_.empty()) throw Error(kNoCurrentRecord);
    position_ = rows_.size() - 1;
    Visit();
}

FieldValue MemoryRecordset::Field(std::string_view name) const {
    if (IsEOF()) throw Error(kNoCurrentRecord);
    const Row& row = rows_[position_];
    const auto found = row.find(std::string(name));
    if (found == row.end()) throw Error(kNoSuchField);
    return found->second;
}

std::unique_ptr<Recordset> MemoryQueryDef::OpenRecordset(RecordsetType type) {
    return database_.Run(text_, type, true);
}

std::unique_ptr<Recordset> MemoryDatabase::OpenRecordset(const std::string& text, RecordsetType type) {
    return Run(text, type, false);
}

std::unique_ptr<QueryDef> MemoryDatabase::CreateQueryDef(const std::string& name, const std::string& text) {
    if (!name.empty()) queryDefNames_.push_back(name);
    return std::make_unique<MemoryQueryDef>(*this, text);
}

void MemoryDatabase::SetResult(const std::string& text, Rows rows) {
    failures_.erase(text);
    results_[text] = std::move(rows);
}

void MemoryDatabase::SetFailure(const std::string& text, const std::string& description) {
    failures_[text] = description;
}

std::vector<std::string> MemoryDatabase::queries() const {
    std::vector<std::string> texts;
    for (const auto& call : calls_) texts.push_back(call.text);
    return texts;
}

std::unique_ptr<Recordset> MemoryDatabase::Run(const std::string& text, RecordsetType type, bool throughQueryDef) {
    calls_.push_back({text, type, throughQueryDef});
    if (const auto failure = failures_.find(text); failure != failures_.end()) throw Error(failure->second);
    if (const auto result = results_.find(text); result != results_.end())
        return std::make_unique<MemoryRecordset>(result->second);
    if (responder_) return std::make_unique<MemoryRecordset>(responder_(text));
    throw Error("Unbekannte Abfrage: " + text);
}

} // namespace agendor::memory
