#include "agendor/platform/postgres/pg_recordset.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <system_error>

#include "agendor/core/date_time.h"
#include "agendor/platform/postgres/pg_error.h"

namespace agendor::postgres {
namespace {

// Type OIDs of the built-in types (pg_type.dat); they are fixed in every
// server version.
constexpr Oid kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700, kFloat8 = 701,
              kNumeric = 1700, kDate = 1082, kTimestamp = 1114, kTimestampTz = 1184, kName = 19, kText = 25,
              kBpchar = 1042, kVarchar = 1043;

// The server's binary forms: integers in network byte order; timestamp as
// microseconds and date as days since 1 Jan 2000, their largest and
// smallest values standing for infinity and -infinity.
constexpr long kSerialOf2000 = 36'526;  // 1 Jan 2000 in days since 30 Dec 1899
constexpr std::int64_t kMicrosecondsPerDay = 86'400'000'000;

// An unsigned integer in network byte order; the server sends exactly its
// width for the column's type.
template <typename Unsigned>
Unsigned BigEndian(std::string_view bytes) {
    Unsigned value = 0;
    std::memcpy(&value, bytes.data(), std::min(sizeof value, bytes.size()));
    if constexpr (std::endian::native == std::endian::little) {
        if constexpr (sizeof value == 8) value = __builtin_bswap64(value);
        if constexpr (sizeof value == 4) value = __builtin_bswap32(value);
        if constexpr (sizeof value == 2) value = __builtin_bswap16(value);
    }
    return value;
}

std::int64_t FloorDivide(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// The proleptic Gregorian date of a day count since 1 Jan 1970 (Howard
// Hinnant's civil_from_days), for any day the server can store.
dt::Ymd CivilFromDays(std::int64_t days) {
    days += 719'468;
    const std::int64_t era = FloorDivide(days, 146'097);
    const std::int64_t dayOfEra = days - era * 146'097;                                           // [0, 146096]
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146'096) / 365;  // [0, 399]
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);  // [0, 365]
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;                                   // [0, 11]
    const int day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);               // [1, 31]
    const int month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);  // [1, 12]
    return {static_cast<int>(yearOfEra + era * 400 + (month <= 2)), month, day};
}

// Whether a serial day lies from 1 Jan 100 to 31 Dec 9999, as a date-time's
// day must.
bool IsDateTimeDay(std::int64_t serial) {
    using namespace std::chrono;
    constexpr sys_days epoch = year{1899} / 12 / 30;
    constexpr std::int64_t first = (sys_days{year{dt::kMinYear} / 1 / 1} - epoch).count();
    constexpr std::int64_t last = (sys_days{year{dt::kMaxYear} / 12 / 31} - epoch).count();
    return serial >= first && serial <= last;
}

std::string Padded(std::int64_t number, int width) {
    std::string digits = std::to_string(number);
    if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    return digits;
}

// A day outside what a date-time holds, as the server writes it in ISO
// style ("0044-03-15 BC", "10000-01-01"), for the message that names it.
std::string ServerDateText(std::int64_t daysSince2000) {
    const dt::Ymd date = CivilFromDays(daysSince2000 + 10'957);
    const bool beforeChrist = date.year <= 0;
    return Padded(beforeChrist ? 1 - date.year : date.year, 4) + "-" + Padded(date.month, 2) + "-" +
           Padded(date.day, 2) + (beforeChrist ? " BC" : "");
}

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

bool PgRecordset::ReadsExactlyInBinary(Oid type) {
    switch (type) {
    case kInt2:
    case kInt4:
    case kInt8:
    case kOid:
    case kFloat4:
    case kFloat8:
    case kBool:
    case kTimestamp:
    case kDate:
    case kText:
    case kVarchar:
    case kBpchar:
    case kName: return true;
    default: return false;
    }
}

PgRecordset::PgRecordset(SharedRows rows, std::string queryText)
    : SnapshotRecordset(static_cast<std::size_t>(PQntuples(rows->result.get()))),
      shared_(std::move(rows)),
      result_(shared_->result.get()),
      queryText_(std::move(queryText)) {
    const int columns = PQnfields(result_);
    binary_ = columns > 0 && PQfformat(result_, 0) == 1;
    for (int c = 0; c < columns; ++c) {
        upperNames_.push_back(Upper(PQfname(result_, c)));
        types_.push_back(PQftype(result_, c));
        switch (types_.back()) {
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
}

void PgRecordset::Fail(const std::string& message) const { throw PgError(message, queryText_); }

FieldValue PgRecordset::Cell(std::size_t row, std::size_t column) const {
    const int r = static_cast<int>(row);
    const int c = static_cast<int>(column);
    if (kinds_[column] != Kind::DateTime) return Convert(r, c);
    std::vector<std::vector<double>>& dateTimes = shared_->dateTimes;
    if (dateTimes.empty()) dateTimes.resize(upperNames_.size());
    std::vector<double>& known = dateTimes[column];
    if (known.empty())
        known.assign(static_cast<std::size_t>(PQntuples(result_)), std::numeric_limits<double>::quiet_NaN());
    double& value = known[row];
    if (!std::isnan(value)) return FieldValue(value);
    // Nulls and failures are not kept: they are read again each time.
    FieldValue converted = Convert(r, c);
    if (!converted.IsNull()) value = std::get<double>(converted.Raw());
    return converted;
}

void PgRecordset::FailDateTime(int column, const std::string& text) const {
    Fail("Das Datumsfeld " + std::string(PQfname(result_, column)) + " enthält '" + text +
         "', keinen Tag zwischen dem 1.1.100 und dem 31.12.9999.");
}

void PgRecordset::FailInexact(int column, const std::string& text) const {
    Fail(sql::InexactNumberMessage(PQfname(result_, column), text));
}

FieldValue PgRecordset::Convert(int row, int column) const {
    if (PQgetisnull(result_, row, column)) return {};
    const char* value = PQgetvalue(result_, row, column);
    const std::string_view text(value, static_cast<std::size_t>(PQgetlength(result_, row, column)));
    if (binary_) return ConvertBinary(column, text);
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
        if (parsed.ec == std::errc{} && parsed.ptr == text.data() + text.size()) {
            if (std::isfinite(number) && sql::IsInexact(number)) FailInexact(column, std::string(text));
            return FieldValue(number);
        }
        break;
    }
    case Kind::Boolean: return FieldValue(static_cast<std::int64_t>(text == "t" ? -1 : 0));
    case Kind::DateTime: {
        try {
            const DateTime when = FieldValue(std::string(WithoutZone(text))).AsDateTime();
            return FieldValue(when);
        } catch (const Error&) {
            FailDateTime(column, std::string(text));
        }
    }
    case Kind::Text: return FieldValue(std::string(text));
    }
    Fail("Das Feld " + std::string(PQfname(result_, column)) + " enthält '" + std::string(text) +
         "', das sich nicht als Zahl lesen lässt.");
}

// Each conversion gives the value, bit for bit, that reading the server's
// text of it gives above.
FieldValue PgRecordset::ConvertBinary(int column, std::string_view bytes) const {
    switch (types_[static_cast<std::size_t>(column)]) {
    case kInt2: return FieldValue(std::int64_t{static_cast<std::int16_t>(BigEndian<std::uint16_t>(bytes))});
    case kInt4: return FieldValue(std::int64_t{static_cast<std::int32_t>(BigEndian<std::uint32_t>(bytes))});
    case kOid: return FieldValue(std::int64_t{BigEndian<std::uint32_t>(bytes)});
    case kInt8: return FieldValue(static_cast<std::int64_t>(BigEndian<std::uint64_t>(bytes)));
    case kFloat8: {
        const double number = std::bit_cast<double>(BigEndian<std::uint64_t>(bytes));
        if (std::isfinite(number) && sql::IsInexact(number)) FailInexact(column, FieldValue(number).AsText());
        // The text "NaN" reads as the one quiet NaN, whatever bits the
        // server stored.
        return FieldValue(std::isnan(number) ? std::numeric_limits<double>::quiet_NaN() : number);
    }
    case kFloat4: {
        // The server writes a float4 as the shortest decimal that reads back
        // to it, and that decimal read as a double is what the text gives
        // (0.1 rather than the float's 0.100000001490116).
        const float single = std::bit_cast<float>(BigEndian<std::uint32_t>(bytes));
        if (std::isnan(single)) return FieldValue(std::numeric_limits<double>::quiet_NaN());
        if (std::isinf(single)) return FieldValue(static_cast<double>(single));
        char digits[32];
        const auto written = std::to_chars(digits, digits + sizeof digits, single, std::chars_format::scientific);
        double number = 0.0;
        std::from_chars(digits, written.ptr, number);
        if (sql::IsInexact(number)) FailInexact(column, FieldValue(number).AsText());
        return FieldValue(number);
    }
    case kBool: return FieldValue(static_cast<std::int64_t>(bytes.size() == 1 && bytes[0] != 0 ? -1 : 0));
    case kDate: {
        const auto days = static_cast<std::int32_t>(BigEndian<std::uint32_t>(bytes));
        const std::int64_t serial = static_cast<std::int64_t>(days) + kSerialOf2000;
        if (!IsDateTimeDay(serial)) {
            if (days == std::numeric_limits<std::int32_t>::max()) FailDateTime(column, "infinity");
            if (days == std::numeric_limits<std::int32_t>::min()) FailDateTime(column, "-infinity");
            FailDateTime(column, ServerDateText(days));
        }
        return FieldValue(static_cast<double>(serial));
    }
    case kTimestamp: {
        const auto microseconds = static_cast<std::int64_t>(BigEndian<std::uint64_t>(bytes));
        if (microseconds == std::numeric_limits<std::int64_t>::max()) FailDateTime(column, "infinity");
        if (microseconds == std::numeric_limits<std::int64_t>::min()) FailDateTime(column, "-infinity");
        const std::int64_t days = FloorDivide(microseconds, kMicrosecondsPerDay);
        std::int64_t ofDay = microseconds - days * kMicrosecondsPerDay;  // [0, 86 399 999 999]
        const int hour = static_cast<int>(ofDay / 3'600'000'000);
        ofDay %= 3'600'000'000;
        const int minute = static_cast<int>(ofDay / 60'000'000);
        ofDay %= 60'000'000;
        const int wholeSeconds = static_cast<int>(ofDay / 1'000'000);
        const int fraction = static_cast<int>(ofDay % 1'000'000);
        const std::int64_t serial = days + kSerialOf2000;
        if (!IsDateTimeDay(serial)) {
            std::string text = ServerDateText(days);
            const bool beforeChrist = text.ends_with(" BC");
            if (beforeChrist) text.resize(text.size() - 3);
            text += " " + Padded(hour, 2) + ":" + Padded(minute, 2) + ":" + Padded(wholeSeconds, 2);
            if (fraction != 0) {
                std::string digits = Padded(fraction, 6);
                while (digits.back() == '0') digits.pop_back();
                text += "." + digits;
            }
            FailDateTime(column, text + (beforeChrist ? " BC" : ""));
        }
        // The seconds summed digit by digit, as the text's fraction is read
        // (the server leaves out trailing zeros, and adding a zero digit
        // would change nothing), then the same steps as dt::FromYmdHms on
        // the text's parts.
        double second = wholeSeconds;
        double scale = 0.1;
        for (int rest = fraction, divisor = 100'000; rest != 0; divisor /= 10) {
            second += (rest / divisor) * scale;
            rest %= divisor;
            scale /= 10.0;
        }
        const double seconds = static_cast<double>(hour) * 3600.0 + static_cast<double>(minute) * 60.0 + second;
        return FieldValue(dt::Compose(static_cast<long>(serial), seconds / 86400.0));
    }
    default: return FieldValue(std::string(bytes));  // the text types: the same bytes as their text
    }
}

} // namespace agendor::postgres
