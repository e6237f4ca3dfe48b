#include "agendor/platform/sqlite/sqlite_recordset.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "agendor/platform/date_time.h"
#include "agendor/platform/sqlite/sqlite_error.h"
#include "agendor/platform/sqlite/sqlite_handles.h"

namespace agendor::sqlite {
namespace {

std::string Upper(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return result;
}

bool Contains(const std::string& upperText, std::string_view part) {
    return upperText.find(part) != std::string::npos;
}

// SQLite's rules for the affinity of a declared type; NUMERIC columns turn
// whole REAL values into INTEGERs, so a midnight stored there reads back as
// an integer.
bool HasNumericAffinity(const char* declaredType) {
    if (declaredType == nullptr) return false;
    const std::string type = Upper(declaredType);
    if (type.empty()) return false;
    for (const std::string_view other : {"INT", "CHAR", "CLOB", "TEXT", "BLOB", "REAL", "FLOA", "DOUB"})
        if (Contains(type, other)) return false;
    return true;
}

bool DeclaredAsDate(const char* declaredType) {
    if (declaredType == nullptr) return false;
    const std::string type = Upper(declaredType);
    return Contains(type, "DATE") || Contains(type, "TIME");
}

// The values a date field may hold: 1 Jan 100 to 31 Dec 9999, any time.
std::string NumberText(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

bool InCalendarRange(double value) {
    static const double kFirst = dt::FromYmd(dt::kMinYear, 1, 1) - 1.0;
    static const double kLast = dt::FromYmd(dt::kMaxYear, 12, 31) + 1.0;
    return value > kFirst && value < kLast;
}

std::string ShownText(sqlite3_stmt* statement, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    std::string shown = text != nullptr ? text : "";
    if (shown.size() > 40) shown = shown.substr(0, 40) + "…";
    return "'" + shown + "'";
}

} // namespace

SqliteRecordset::SqliteRecordset(sqlite3_stmt* statement, const std::vector<std::string>& dateFields,
                                 DateStorage storage, std::string queryText)
    : queryText_(std::move(queryText)), storage_(storage) {
    // The layout is read after the first step: when the host has changed the
    // table since the statement was cached, SQLite prepares it anew inside
    // that step, and only then do count, names and types match the rows.
    int rc = sqlite3_step(statement);
    columns_ = static_cast<std::size_t>(sqlite3_column_count(statement));
    std::vector<bool> isDate(columns_);
    std::vector<bool> numeric(columns_);
    for (std::size_t c = 0; c < columns_; ++c) {
        const int column = static_cast<int>(c);
        const char* name = sqlite3_column_name(statement, column);
        names_.emplace_back(name != nullptr ? name : "");
        const char* declared = sqlite3_column_decltype(statement, column);
        const std::string& upper = upperNames_.emplace_back(Upper(names_.back()));
        isDate[c] = DeclaredAsDate(declared) ||
                    std::any_of(dateFields.begin(), dateFields.end(),
                                [&](const std::string& field) { return Upper(field) == upper; });
        numeric[c] = HasNumericAffinity(declared);
    }

    cells_.reserve(columns_ * 64);
    for (;; rc = sqlite3_step(statement)) {
        if (rc == SQLITE_DONE) break;
        if (rc != SQLITE_ROW)
            RaiseEngineError(sqlite3_db_handle(statement), rc, "Die Abfrage ließ sich nicht ausführen", queryText_);
        for (std::size_t c = 0; c < columns_; ++c) {
            const int column = static_cast<int>(c);
            if (isDate[c]) {
                cells_.push_back(ReadDate(statement, column, numeric[c], cells_.size()));
                continue;
            }
            switch (sqlite3_column_type(statement, column)) {
            case SQLITE_INTEGER:
                cells_.emplace_back(static_cast<std::int64_t>(sqlite3_column_int64(statement, column)));
                break;
            case SQLITE_FLOAT: cells_.emplace_back(sqlite3_column_double(statement, column)); break;
            case SQLITE_NULL: cells_.emplace_back(); break;
            default: {
                // Text, and blobs taken as their bytes.
                const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
                const int size = sqlite3_column_bytes(statement, column);
                cells_.emplace_back(std::string(bytes != nullptr ? bytes : "", static_cast<std::size_t>(size)));
            }
            }
        }
        ++rows_;
        if (cells_.size() == cells_.capacity()) cells_.reserve(cells_.size() * 2);
    }
    Visit();
}

FieldValue SqliteRecordset::ReadDate(sqlite3_stmt* statement, int column, bool numericAffinity, std::size_t cell) {
    const std::string field = "Das Datumsfeld " + names_[static_cast<std::size_t>(column)];
    const int type = sqlite3_column_type(statement, column);
    if (type == SQLITE_NULL) return {};
    if (storage_ == DateStorage::Real) {
        if (type == SQLITE_FLOAT || (type == SQLITE_INTEGER && numericAffinity)) {
            const double value = sqlite3_column_double(statement, column);
            if (std::isfinite(value) && InCalendarRange(value)) return FieldValue(value);
            faults_[cell] = field + " enthält " + NumberText(value) +
                            ", keinen Datumswert zwischen dem 1.1.100 und dem 31.12.9999.";
        } else if (type == SQLITE_INTEGER) {
            faults_[cell] = field + " enthält die Ganzzahl " +
                            std::to_string(sqlite3_column_int64(statement, column)) +
                            " statt eines Datumswerts (Tage seit dem 30.12.1899 als REAL).";
        } else {
            faults_[cell] = field + " enthält den Text " + ShownText(statement, column) +
                            " statt eines Datumswerts (Tage seit dem 30.12.1899 als REAL).";
        }
        return {};
    }
    if (type == SQLITE_TEXT) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        try {
            return FieldValue(FieldValue(std::string(text)).AsDateTime());
        } catch (const Error&) {
            faults_[cell] = field + " enthält " + ShownText(statement, column) +
                            ", kein Datum der Form JJJJ-MM-TT hh:mm:ss.";
        }
    } else {
        faults_[cell] = field + " enthält eine Zahl statt eines Datums der Form JJJJ-MM-TT hh:mm:ss.";
    }
    return {};
}

void SqliteRecordset::Fail(const std::string& message) const { throw SqliteError(message, queryText_); }

void SqliteRecordset::MoveNext() {
    if (IsEOF()) Fail("Kein aktueller Datensatz: das Ende der Datensätze ist schon erreicht.");
    ++current_;
    Visit();
}

void SqliteRecordset::MoveFirst() {
    if (rows_ == 0) Fail("Kein aktueller Datensatz: die Abfrage lieferte keine Zeilen.");
    current_ = 0;
}

void SqliteRecordset::MoveLast() {
    if (rows_ == 0) Fail("Kein aktueller Datensatz: die Abfrage lieferte keine Zeilen.");
    current_ = rows_ - 1;
    Visit();
}

FieldValue SqliteRecordset::Field(std::string_view name) const {
    // A name may come in the brackets it needs in a query text.
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
    const auto sameName = [name](const std::string& upper) {
        if (upper.size() != name.size()) return false;
        for (std::size_t k = 0; k < upper.size(); ++k) {
            const char c = name[k];
            if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) != upper[k]) return false;
        }
        return true;
    };
    const auto found = std::find_if(upperNames_.begin(), upperNames_.end(), sameName);
    if (found == upperNames_.end()) Fail("Das Feld " + std::string(name) + " gibt es in der Abfrage nicht.");
    if (IsEOF()) Fail("Kein aktueller Datensatz.");
    const std::size_t cell = current_ * columns_ + static_cast<std::size_t>(found - upperNames_.begin());
    if (const auto fault = faults_.find(cell); fault != faults_.end()) Fail(fault->second);
    return cells_[cell];
}

} // namespace agendor::sqlite
