#include "agendor/platform/database.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "agendor/core/date_time.h"
#include "agendor/core/locale.h"
#include "tests/support/error_of.h"

namespace agendor {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity(), kNaN = std::numeric_limits<double>::quiet_NaN();
std::string Overflow(const std::string& number) {
    return "Überlauf: " + number + " liegt außerhalb des Bereichs einer 32-Bit-Ganzzahl";
}

TEST(FieldValueTest, NullRaisesOnEveryConversion) {
    const FieldValue null;
    EXPECT_TRUE(null.IsNull());
    EXPECT_TRUE(FieldValue(FieldValue::Null{}).IsNull());
    EXPECT_FALSE(FieldValue("").IsNull());
    for (const std::string& error : {ErrorOf([&] { null.AsText(); }), ErrorOf([&] { null.AsInt32(); }),
                                     ErrorOf([&] { null.AsDateTime(); })})
        EXPECT_EQ(error, "Ungültige Verwendung von Null");
}

// Reals as the shortest text that reads back as the same double.
TEST(FieldValueTest, TextOfIntegersTextsAndReals) {
    const std::pair<FieldValue, const char*> cases[] = {
        {FieldValue(42), "42"}, {FieldValue(-7), "-7"},
        {FieldValue(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808"},
        {FieldValue("Müller"), "Müller"}, {FieldValue(""), ""}, {FieldValue(0.1), "0.1"}, {FieldValue(3.0), "3"},
        {FieldValue(-0.5), "-0.5"}, {FieldValue(36526.5), "36526.5"}, {FieldValue(1.0 / 3.0), "0.3333333333333333"},
        {FieldValue(1e21), "1e+21"}};
    for (const auto& [value, text] : cases) EXPECT_EQ(value.AsText(), text);

    // Read back, every value is the same double, bit for bit.
    std::mt19937_64 random(20011105);
    std::vector<double> values = {std::numeric_limits<double>::max(), std::numeric_limits<double>::min(),
                                  std::numeric_limits<double>::denorm_min(), -0.0, 36526.427083333333,
                                  2958465.9999999884, -657434.0};
    for (int i = 0; i < 10000; ++i) {
        const std::uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value)) values.push_back(value);
    }
    for (const double value : values) {
        const std::string text = FieldValue(value).AsText();
        double back = 0.0;
        const auto result = std::from_chars(text.data(), text.data() + text.size(), back);
        ASSERT_EQ(result.ptr, text.data() + text.size()) << text;
        ASSERT_EQ(std::memcmp(&back, &value, sizeof value), 0) << text;
    }
}

// Reals and texts round to the nearest whole number, halves to the even one.
TEST(FieldValueTest, Int32FromNumbersAndNumbersWrittenAsText) {
    const std::pair<FieldValue, std::int32_t> cases[] = {
        {FieldValue(42), 42}, {FieldValue(std::int64_t{2147483647}), 2147483647},
        {FieldValue(std::int64_t{-2147483648}), -2147483647 - 1}, {FieldValue(2.5), 2}, {FieldValue(3.5), 4},
        {FieldValue(-2.5), -2}, {FieldValue(4.6), 5}, {FieldValue(2147483647.4), 2147483647},
        {FieldValue("42"), 42}, {FieldValue("-42"), -42}, {FieldValue("+42"), 42}, {FieldValue("  42\t"), 42},
        {FieldValue("4.6"), 5}, {FieldValue("2.5"), 2}, {FieldValue("1e3"), 1000}, {FieldValue("1e-400"), 0},
        {FieldValue("2147483647"), 2147483647}};
    for (const auto& [value, expected] : cases) EXPECT_EQ(value.AsInt32(), expected) << value.AsText();
}

TEST(FieldValueTest, Int32RaisesOnOverflowAndOnWhatIsNoNumber) {
    const std::pair<FieldValue, std::string> cases[] = {
        {FieldValue(std::int64_t{2147483648}), Overflow("2147483648")},
        {FieldValue(std::int64_t{-2147483649}), Overflow("-2147483649")},
        {FieldValue(2147483647.5), Overflow("2147483647.5")}, {FieldValue(kInf), Overflow("inf")},
        {FieldValue(kNaN), "Typen unverträglich: NaN ist keine Zahl"},
        {FieldValue("2147483648"), Overflow("2147483648")},
        {FieldValue("99999999999999999999"), Overflow("99999999999999999999")}, {FieldValue("1e400"), Overflow("1e400")}};
    for (const auto& [value, message] : cases) EXPECT_EQ(ErrorOf([&] { value.AsInt32(); }), message);
    for (const char* text : {"abc", "", "  ", "12abc", "1.2.3", "inf", "nan", "0x10", "+-1", "-", "."}) {
        EXPECT_EQ(ErrorOf([&] { FieldValue(text).AsInt32(); }),
                  std::string("Typen unverträglich: \"") + text + "\" ist keine Zahl");
    }
}

TEST(FieldValueTest, DateTimeFromNumbers) {
    for (const double value : {36526.0, -1.25, 37200.4270833}) EXPECT_EQ(FieldValue(value).AsDateTime(), value);
    EXPECT_EQ(FieldValue(36526).AsDateTime(), 36526.0);
    EXPECT_EQ(ErrorOf([] { FieldValue(kNaN).AsDateTime(); }), "Typen unverträglich: nan ist kein Datumswert");
    EXPECT_EQ(ErrorOf([] { FieldValue(-kInf).AsDateTime(); }), "Typen unverträglich: -inf ist kein Datumswert");
}

TEST(FieldValueTest, DateTimeReadsIsoDates) {
    const struct {
        const char* text;
        const char* shown;  // dd.mm.yyyy hh:nn:ss
        int millisecond;
    } cases[] = {{"2000-01-01", "01.01.2000 00:00:00", 0},
                 {"2001-11-05 10:15", "05.11.2001 10:15:00", 0},
                 {"2001-11-05T10:15:30", "05.11.2001 10:15:30", 0},
                 {"2001-11-05 10:15:30.250", "05.11.2001 10:15:30", 250},
                 {"2001-11-05 10:15:30.5", "05.11.2001 10:15:30", 500},
                 {"2001-11-05 10:15:30.1234567891", "05.11.2001 10:15:30", 123},
                 {"1899-12-29 06:00", "29.12.1899 06:00:00", 0},
                 {"2000-02-29 23:59:59", "29.02.2000 23:59:59", 0}};
    for (const auto& c : cases) {
        const DateTime value = FieldValue(c.text).AsDateTime();
        EXPECT_EQ(dt::Format(value, "dd.mm.yyyy hh:nn:ss", DefaultLocale()), c.shown) << c.text;
        EXPECT_EQ(dt::TimeOf(value).millisecond, c.millisecond) << c.text;
    }
    // Exact for whole days and before day zero.
    EXPECT_EQ(FieldValue("2000-01-01").AsDateTime(), 36526.0);
    EXPECT_EQ(FieldValue("1899-12-29 06:00").AsDateTime(), -1.25);
    EXPECT_EQ(FieldValue("1899-12-30 18:00:00").AsDateTime(), 0.75);
    for (const char* text : {"", "05.11.2001", "2001-02-29", "2001-13-01", "2001-11-05 24:00", "2001-11-05 10:60",
                             "2001-11-05 10:15:60", "2001-11-05 10", "2001-11-05Z", "2001-11-05 10:15:30.",
                             "2001-11-05 10:15Z", "01-11-05", "2001-1-5", "0099-12-31", "36526", " 2001-11-05"}) {
        EXPECT_EQ(ErrorOf([&] { FieldValue(text).AsDateTime(); }),
                  std::string("Typen unverträglich: \"") + text + "\" ist kein Datum");
    }
}

}  // namespace
}  // namespace agendor
