#include "agendor/platform/postgres/pg_recordset.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

#include "agendor/platform/date_time.h"
#include "agendor/platform/postgres/pg_error.h"

namespace agendor::postgres {
namespace {

// Type OIDs of the built-in types (pg_type.dat); they are fixed in every
// server version.
constexpr Oid kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700, kFloat8 = 701,
              kNumeric = 1700, kDate = 1082, kTimestamp = 1114, kTimestampTz = 1184;

std::string Upper(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return result;
}

// "2001-03-05 09:30:00+01" or "...+05:30": the wall-clock part. The
// session's TimeZone decides which wall clock that is.
std::string_view WithoutZone(std::string_view text) {
    if (text.size() > 19) {
        const std::size_t sign = text.find_last_of("+-");
        if (sign != std::string_view::npos && sign >= 19) return text.substr(0, sign);
    }
    return text;
}

} // namespace

PgRecordset::PgRecordset(SharedResult result, std::string queryText)
    : result_(std::move(result)), queryText_(std::move(queryText)) {
    rows_ = static_cast<std::size_t>(PQntuples(result_.get()));
    const int columns = PQnfields(result_.get());
    for (int c = 0; c < columns; ++c) {
        upperNames_.push_back(Upper(PQfname(result_.get(), c)));
        switch (PQftype(result_.get(), c)) {
        case kInt2:
        case kInt4:
        case kInt8:
        case kOid: kinds_.push_back(Kind::Integer); break;
        case kFloat4:
        case kFloat8:
        case kNumeric: kinds_.push_back(Kind::Real); break;
        case kBool: kinds_.push_back(Kind::Boolean); break;
        case kDate:
        case kTimestamp:
        case kTimestampTz: kinds_.push_back(Kind::DateTime); break;
        default: kinds_.push_back(Kind::Text);
        }
    }
    Visit();
}

void PgRecordset::Fail(const std::string& message) const { throw PgError(message, queryText_); }

void PgRecordset::MoveNext() {
    if (IsEOF()) Fail("Kein aktueller Datensatz: das Ende der Datensätze ist schon erreicht.");
    ++current_;
    Visit();
}

void PgRecordset::MoveFirst() {
    if (rows_ == 0) Fail("Kein aktueller Datensatz: die Abfrage lieferte keine Zeilen.");
    current_ = 0;
}

void PgRecordset::MoveLast() {
    if (rows_ == 0) Fail("Kein aktueller Datensatz: die Abfrage lieferte keine Zeilen.");
    current_ = rows_ - 1;
    Visit();
}

FieldValue PgRecordset::Field(std::string_view name) const {
    // A name may come in the brackets it needs in a query text.
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
    const std::string upper = Upper(name);
    const auto found = std::find(upperNames_.begin(), upperNames_.end(), upper);
    if (found == upperNames_.end()) Fail("Das Feld " + std::string(name) + " gibt es in der Abfrage nicht.");
    if (IsEOF()) Fail("Kein aktueller Datensatz.");
    return Convert(static_cast<int>(found - upperNames_.begin()));
}

FieldValue PgRecordset::Convert(int column) const {
    const int row = static_cast<int>(current_);
    if (PQgetisnull(result_.get(), row, column)) return {};
    const char* value = PQgetvalue(result_.get(), row, column);
    const std::string_view text(value, static_cast<std::size_t>(PQgetlength(result_.get(), row, column)));
    const std::string field = PQfname(result_.get(), column);
    switch (kinds_[static_cast<std::size_t>(column)]) {
    case Kind::Integer: {
        std::int64_t number = 0;
        const auto parsed = std::from_chars(text.data(), text.data() + text.size(), number);
        if (parsed.ec == std::errc{} && parsed.ptr == text.data() + text.size()) return FieldValue(number);
        break;
    }
    case Kind::Real: {
        // The server writes the shortest text that reads back to the same
        // double; NaN and Infinity are read too and refused on conversion.
        double number = 0.0;
        const auto parsed = std::from_chars(text.data(), text.data() + text.size(), number);
        if (parsed.ec == std::errc{} && parsed.ptr == text.data() + text.size()) return FieldValue(number);
        break;
    }
    case Kind::Boolean: return FieldValue(static_cast<std::int64_t>(text == "t" ? -1 : 0));
    case Kind::DateTime: {
        try {
            const DateTime when = FieldValue(std::string(WithoutZone(text))).AsDateTime();
            return FieldValue(when);
        } catch (const Error&) {
            Fail("Das Datumsfeld " + field + " enthält '" + std::string(text) +
                 "', keinen Tag zwischen dem 1.1.100 und dem 31.12.9999.");
        }
    }
    case Kind::Text: return FieldValue(std::string(text));
    }
    Fail("Das Feld " + field + " enthält '" + std::string(text) + "', das sich nicht als Zahl lesen lässt.");
}

} // namespace agendor::postgres
