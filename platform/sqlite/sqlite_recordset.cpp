#include "agendor/platform/sqlite/sqlite_recordset.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "agendor/core/date_time.h"
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

// A date field's value, or a fault kept for the cell when it holds none.
FieldValue ReadDate(SqliteRows& rows, sqlite3_stmt* statement, int column, bool numericAffinity,
                    DateStorage storage) {
    const std::size_t cell = rows.cells.size();
    const std::string field = "Das Datumsfeld " + rows.names[static_cast<std::size_t>(column)];
    const int type = sqlite3_column_type(statement, column);
    if (type == SQLITE_NULL) return {};
    if (storage == DateStorage::Real) {
        if (type == SQLITE_FLOAT || (type == SQLITE_INTEGER && numericAffinity)) {
            const double value = sqlite3_column_double(statement, column);
            if (std::isfinite(value) && InCalendarRange(value)) return FieldValue(value);
            rows.faults[cell] = field + " enthält " + FieldValue(value).AsText() +
                                ", keinen Datumswert zwischen dem 1.1.100 und dem 31.12.9999.";
        } else if (type == SQLITE_INTEGER) {
            rows.faults[cell] = field + " enthält die Ganzzahl " +
                                std::to_string(sqlite3_column_int64(statement, column)) +
                                " statt eines Datumswerts (Tage seit dem 30.12.1899 als REAL).";
        } else {
            rows.faults[cell] = field + " enthält den Text " + ShownText(statement, column) +
                                " statt eines Datumswerts (Tage seit dem 30.12.1899 als REAL).";
        }
        return {};
    }
    if (type == SQLITE_TEXT) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        try {
            return FieldValue(FieldValue(std::string(text)).AsDateTime());
        } catch (const Error&) {
            rows.faults[cell] = field + " enthält " + ShownText(statement, column) +
                                ", kein Datum der Form JJJJ-MM-TT hh:mm:ss.";
        }
    } else {
        rows.faults[cell] = field + " enthält eine Zahl statt eines Datums der Form JJJJ-MM-TT hh:mm:ss.";
    }
    return {};
}

} // namespace

std::shared_ptr<const SqliteRows> ReadRows(sqlite3_stmt* statement, const std::vector<std::string>& dateFields,
                                           DateStorage storage, const std::string& queryText) {
    auto rows = std::make_shared<SqliteRows>();
    // The layout is read after the first step: when the host has changed the
    // table since the statement was cached, SQLite prepares it anew inside
    // that step, and only then do count, names and types match the rows.
    int rc = sqlite3_step(statement);
    const std::size_t columns = static_cast<std::size_t>(sqlite3_column_count(statement));
    rows->columns = columns;
    std::vector<bool> isDate(columns);
    std::vector<bool> numeric(columns);
    for (std::size_t c = 0; c < columns; ++c) {
        const int column = static_cast<int>(c);
        const char* name = sqlite3_column_name(statement, column);
        rows->names.emplace_back(name != nullptr ? name : "");
        const char* declared = sqlite3_column_decltype(statement, column);
        const std::string& upper = rows->upperNames.emplace_back(Upper(rows->names.back()));
        isDate[c] = DeclaredAsDate(declared) ||
                    std::any_of(dateFields.begin(), dateFields.end(),
                                [&](const std::string& field) { return Upper(field) == upper; });
        numeric[c] = HasNumericAffinity(declared);
    }

    std::vector<FieldValue>& cells = rows->cells;
    cells.reserve(columns * 64);
    for (;; rc = sqlite3_step(statement)) {
        if (rc == SQLITE_DONE) break;
        if (rc != SQLITE_ROW)
            RaiseEngineError(sqlite3_db_handle(statement), rc, "Die Abfrage ließ sich nicht ausführen", queryText);
        for (std::size_t c = 0; c < columns; ++c) {
            const int column = static_cast<int>(c);
            if (isDate[c]) {
                cells.push_back(ReadDate(*rows, statement, column, numeric[c], storage));
                continue;
            }
            switch (sqlite3_column_type(statement, column)) {
            case SQLITE_INTEGER:
                cells.emplace_back(static_cast<std::int64_t>(sqlite3_column_int64(statement, column)));
                break;
            case SQLITE_FLOAT: {
                const double number = sqlite3_column_double(statement, column);
                if (std::isfinite(number) && sql::IsInexact(number)) {
                    rows->faults[cells.size()] = sql::InexactNumberMessage(rows->names[c], FieldValue(number).AsText());
                    cells.emplace_back();
                } else {
                    cells.emplace_back(number);
                }
                break;
            }
            case SQLITE_NULL: cells.emplace_back(); break;
            default: {
                // Text, and blobs taken as their bytes.
                const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
                const int size = sqlite3_column_bytes(statement, column);
                cells.emplace_back(std::string(bytes != nullptr ? bytes : "", static_cast<std::size_t>(size)));
                rows->bytes += static_cast<std::size_t>(size);
            }
            }
        }
        ++rows->rows;
        if (cells.size() == cells.capacity()) cells.reserve(cells.size() * 2);
    }
    rows->bytes += cells.capacity() * sizeof(FieldValue);
    return rows;
}

SqliteRecordset::SqliteRecordset(std::shared_ptr<const SqliteRows> rows, std::string queryText)
    : SnapshotRecordset(rows->rows), rows_(std::move(rows)), queryText_(std::move(queryText)) {}

void SqliteRecordset::Fail(const std::string& message) const { throw SqliteError(message, queryText_); }

FieldValue SqliteRecordset::Cell(std::size_t row, std::size_t column) const {
    const std::size_t cell = row * rows_->columns + column;
    if (const auto fault = rows_->faults.find(cell); fault != rows_->faults.end()) Fail(fault->second);
    return rows_->cells[cell];
}

} // namespace agendor::sqlite
