#include "agendor/platform/sql/snapshot_recordset.h"

#include <algorithm>

namespace agendor::sql {

std::string InexactNumberMessage(const std::string& field, const std::string& number) {
    return "Das Feld " + field + " enthält die Zahl " + number +
           "; Zahlen ab 2^53 (9007199254740992) lassen sich nicht genau lesen.";
}

SnapshotRecordset::SnapshotRecordset(std::size_t rows) : rows_(rows) { Visit(); }

void SnapshotRecordset::Visit() { visited_ = std::max(visited_, std::min(current_ + 1, rows_)); }

void SnapshotRecordset::MoveNext() {
    if (IsEOF()) Fail("Kein aktueller Datensatz: das Ende der Datensätze ist schon erreicht.");
    ++current_;
    Visit();
}

void SnapshotRecordset::MoveFirst() {
    if (rows_ == 0) Fail("Kein aktueller Datensatz: die Abfrage lieferte keine Zeilen.");
    current_ = 0;
}

void SnapshotRecordset::MoveLast() {
    if (rows_ == 0) Fail("Kein aktueller Datensatz: die Abfrage lieferte keine Zeilen.");
    current_ = rows_ - 1;
    Visit();
}

std::size_t SnapshotRecordset::ColumnOf(std::string_view name) const {
    for (const auto& [asked, column] : asked_)
        if (asked == name) return column;
    std::string_view bare = name;
    if (bare.size() >= 2 && bare.front() == '[' && bare.back() == ']') bare = bare.substr(1, bare.size() - 2);
    std::string upper(bare);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    const std::vector<std::string>& names = UpperColumnNames();
    const auto found = std::find(names.begin(), names.end(), upper);
    if (found == names.end()) Fail("Das Feld " + std::string(bare) + " gibt es in der Abfrage nicht.");
    const auto column = static_cast<std::size_t>(found - names.begin());
    if (asked_.size() < 8) asked_.emplace_back(std::string(name), column);
    return column;
}

FieldValue SnapshotRecordset::Field(std::string_view name) const {
    const std::size_t column = ColumnOf(name);
    if (IsEOF()) Fail("Kein aktueller Datensatz.");
    return Cell(current_, column);
}

} // namespace agendor::sql
