#include "agendor/core/field_value.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "agendor/core/date_time.h"

namespace agendor {
namespace {

const char* const kNullMessage = "Ungültige Verwendung von Null";

[[noreturn]] void RaiseNoNumber(const std::string& text) {
    throw Error("Typen unverträglich: \"" + text + "\" ist keine Zahl");
}

[[noreturn]] void RaiseOverflow(const std::string& shown) {
    throw Error("Überlauf: " + shown + " liegt außerhalb des Bereichs einer 32-Bit-Ganzzahl");
}

std::string ShortestText(double value) {
    char buffer[32];  // the longest shortest form of a double has 24 characters
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::int32_t ToInt32(std::int64_t value) {
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        RaiseOverflow(std::to_string(value));
    return static_cast<std::int32_t>(value);
}

// Reals are rounded to the nearest whole number, halves to the even one,
// as the engine's own conversions do.
std::int32_t ToInt32(double value) {
    if (std::isnan(value)) throw Error("Typen unverträglich: NaN ist keine Zahl");
    const double rounded = std::nearbyint(value);
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() && rounded <= std::numeric_limits<std::int32_t>::max()))
        RaiseOverflow(ShortestText(value));
    return static_cast<std::int32_t>(rounded);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::int32_t TextToInt32(const std::string& text) {
    std::string_view digits = TrimBlanks(text);
    // from_chars takes a minus sign but no plus sign.
    if (digits.size() > 1 && digits.front() == '+' && digits[1] != '-') digits.remove_prefix(1);
    const char* const first = digits.data();
    const char* const last = digits.data() + digits.size();
    if (digits.empty()) RaiseNoNumber(text);

    std::int64_t whole = 0;
    const auto integral = std::from_chars(first, last, whole);
    if (integral.ec == std::errc{} && integral.ptr == last) return ToInt32(whole);
    if (integral.ec == std::errc::result_out_of_range && integral.ptr == last) RaiseOverflow(std::string(digits));

    // Only decimal notation: from_chars would also read "inf" and "nan".
    for (const char c : digits) {
        const bool numeric = (c >= '0' && c <= '9') || c == '.' || c == '-' || c == 'e' || c == 'E' || c == '+';
        if (!numeric) RaiseNoNumber(text);
    }
    double real = 0.0;
    const auto decimal = std::from_chars(first, last, real);
    if (decimal.ptr != last) RaiseNoNumber(text);
    if (decimal.ec == std::errc::result_out_of_range) {
        // Too large for a double is an overflow; too small to tell from zero
        // (a negative exponent) is zero.
        const std::size_t exponent = digits.find_first_of("eE");
        const bool tiny = exponent != std::string_view::npos && exponent + 1 < digits.size() &&
                          digits[exponent + 1] == '-';
        if (!tiny) RaiseOverflow(std::string(digits));
        return 0;
    }
    if (decimal.ec != std::errc{}) RaiseNoNumber(text);
    return ToInt32(real);
}

// "YYYY-MM-DD", optionally followed by ' ' or 'T' and "HH:MM", ":SS" and
// a fraction of a second of any length (read to the nanosecond).
std::optional<DateTime> ParseIsoDateTime(std::string_view text) {
    std::size_t i = 0;
    auto digits = [&](std::size_t count) -> std::optional<int> {
        if (i + count > text.size()) return std::nullopt;
        int result = 0;
        for (std::size_t k = 0; k < count; ++k) {
            const char c = text[i + k];
            if (c < '0' || c > '9') return std::nullopt;
            result = result * 10 + (c - '0');
        }
        i += count;
        return result;
    };
    auto literal = [&](char c) {
        if (i >= text.size() || text[i] != c) return false;
        ++i;
        return true;
    };

    const auto year = digits(4);
    if (!year || !literal('-')) return std::nullopt;
    const auto month = digits(2);
    if (!month || !literal('-')) return std::nullopt;
    const auto day = digits(2);
    if (!day || !dt::IsValidYmd(*year, *month, *day)) return std::nullopt;
    if (i == text.size()) return dt::FromYmd(*year, *month, *day);

    if (!literal(' ') && !literal('T')) return std::nullopt;
    const auto hour = digits(2);
    if (!hour || !literal(':')) return std::nullopt;
    const auto minute = digits(2);
    if (!minute || *hour > 23 || *minute > 59) return std::nullopt;
    double second = 0.0;
    if (literal(':')) {
        const auto whole = digits(2);
        if (!whole || *whole > 59) return std::nullopt;
        second = *whole;
        if (literal('.')) {
            const std::size_t start = i;
            double scale = 0.1;
            while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
                if (i - start < 9) {
                    second += (text[i] - '0') * scale;
                    scale /= 10.0;
                }
                ++i;
            }
            if (i == start) return std::nullopt;
        }
    }
    if (i != text.size()) return std::nullopt;
    return dt::FromYmdHms(*year, *month, *day, *hour, *minute, second);
}

}  // namespace

std::string FieldValue::AsText() const {
    struct Visitor {
        std::string operator()(Null) const { throw Error(kNullMessage); }
        std::string operator()(std::int64_t v) const { return std::to_string(v); }
        std::string operator()(double v) const { return ShortestText(v); }
        std::string operator()(const std::string& v) const { return v; }
    };
    return std::visit(Visitor{}, value_);
}

std::int32_t FieldValue::AsInt32() const {
    struct Visitor {
        std::int32_t operator()(Null) const { throw Error(kNullMessage); }
        std::int32_t operator()(std::int64_t v) const { return ToInt32(v); }
        std::int32_t operator()(double v) const { return ToInt32(v); }
        std::int32_t operator()(const std::string& v) const { return TextToInt32(v); }
    };
    return std::visit(Visitor{}, value_);
}

DateTime FieldValue::AsDateTime() const {
    struct Visitor {
        DateTime operator()(Null) const { throw Error(kNullMessage); }
        DateTime operator()(std::int64_t v) const { return static_cast<DateTime>(v); }
        DateTime operator()(double v) const {
            if (!std::isfinite(v)) throw Error("Typen unverträglich: " + ShortestText(v) + " ist kein Datumswert");
            return v;
        }
        DateTime operator()(const std::string& v) const {
            const std::optional<DateTime> parsed = ParseIsoDateTime(v);
            if (!parsed) throw Error("Typen unverträglich: \"" + v + "\" ist kein Datum");
            return *parsed;
        }
    };
    return std::visit(Visitor{}, value_);
}

}  // namespace agendor
