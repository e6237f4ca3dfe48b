#pragma once
// One field of a recordset's current row, as every engine hands it to the
// control: null, an integer, a real or text, with the conversions the
// control's loaders need.
#include <cstdint>
#include <string>
#include <variant>

#include "agendor/platform/types.h"

namespace agendor {

// A field value of the current row. Null is an empty value; converting null
// to text, a date-time or a number fails with an Error.
class AGENDOR_CORE_EXPORT FieldValue {
public:
    struct Null {};
    using Storage = std::variant<Null, std::int64_t, double, std::string>;

    FieldValue() = default;
    FieldValue(Null) {}
    FieldValue(std::int64_t v) : value_(v) {}
    FieldValue(int v) : value_(static_cast<std::int64_t>(v)) {}
    FieldValue(double v) : value_(v) {}
    FieldValue(std::string v) : value_(std::move(v)) {}
    FieldValue(const char* v) : value_(std::string(v)) {}

    bool IsNull() const { return std::holds_alternative<Null>(value_); }
    const Storage& Raw() const { return value_; }

    // Text as the engine would show it; integers in decimal, reals in the
    // shortest form that reads back to the same double. Raises on null.
    std::string AsText() const;
    // Raises on null, on text that is no number, and on values outside
    // the 32-bit range.
    std::int32_t AsInt32() const;
    // Numbers are taken as date-time values; text in ISO 8601 form
    // ("YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.fff]]", 'T' allowed) is
    // converted. Raises on null, NaN, infinity and on other text.
    DateTime AsDateTime() const;

private:
    Storage value_;
};

} // namespace agendor
