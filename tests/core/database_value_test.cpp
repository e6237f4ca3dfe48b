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

const char* const kNullMessage = "Ungültige Verwendung von Null";

TEST(FieldValueTest, NullRaisesOnEveryConversion) {
    const FieldValue null;
    EXPECT_TRUE(null.IsNull());
    EXPECT_TRUE(FieldValue(FieldValue::Null{}).IsNull());
    EXPECT_FALSE(FieldValue("").IsNull());
    EXPECT_EQ(ErrorOf([&] { null.AsText(); }), kNullMessage);
    EXPECT_EQ(ErrorOf([&] { null.AsInt32(); }), kNullMessage);
    EXPECT_EQ(ErrorOf([&] { null.AsDateTime(); }), kNullMessage);
}

TEST(FieldValueTest, TextOfIntegersAndTexts) {
    EXPECT_EQ(FieldValue(42).AsText(), "42");
    EXPECT_EQ(FieldValue(-7).AsText(), "-7");
    EXPECT_EQ(FieldValue(std::numeric_limits<std::int64_t>::min()).AsText(), "-9223372036854775808");
    EXPECT_EQ(FieldValue("Müller").AsText(), "Müller");
    EXPECT_EQ(FieldValue("").AsText(), "");
}

TEST(FieldValueTest, TextOfRealsIsTheShortestThatReadsBack) {
    EXPECT_EQ(FieldValue(0.1).AsText(), "0.1");
    EXPECT_EQ(FieldValue(3.0).AsText(), "3");
    EXPECT_EQ(FieldValue(-0.5).AsText(), "-0.5");
    EXPECT_EQ(FieldValue(36526.5).AsText(), "36526.5");
    EXPECT_EQ(FieldValue(1.0 / 3.0).AsText(), "0.3333333333333333");
    EXPECT_EQ(FieldValue(1e21).AsText(), "1e+21");

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

TEST(FieldValueTest, Int32FromNumbers) {
    EXPECT_EQ(FieldValue(42).AsInt32(), 42);
    EXPECT_EQ(FieldValue(std::int64_t{2147483647}).AsInt32(), 2147483647);
    EXPECT_EQ(FieldValue(std::int64_t{-2147483648}).AsInt32(), -2147483647 - 1);
    EXPECT_EQ(ErrorOf([] { FieldValue(std::int64_t{2147483648}).AsInt32(); }),
              "Überlauf: 2147483648 liegt außerhalb des Bereichs einer 32-Bit-Ganzzahl");
    EXPECT_EQ(ErrorOf([] { FieldValue(std::int64_t{-2147483649}).AsInt32(); }),
              "Überlauf: -2147483649 liegt außerhalb des Bereichs einer 32-Bit-Ganzzahl");

    // Reals round to the nearest whole number, halves to the even one.
    EXPECT_EQ(FieldValue(2.5).AsInt32(), 2);
    EXPECT_EQ(FieldValue(3.5).AsInt32(), 4);
    EXPECT_EQ(FieldValue(-2.5).AsInt32(), -2);
    EXPECT_EQ(FieldValue(4.6).AsInt32(), 5);
    EXPECT_EQ(FieldValue(2147483647.4).AsInt32(), 2147483647);
    EXPECT_EQ(ErrorOf([] { FieldValue(2147483647.5).AsInt32(); }),
              "Überlauf: 2147483647.5 liegt außerhalb des Bereichs einer 32-Bit-Ganzzahl");
    EXPECT_EQ(ErrorOf([] { FieldValue(std::numeric_limits<double>::infinity()).AsInt32(); }),
              "Überlauf: inf liegt außerhalb des Bereichs einer 32-Bit-Ganzzahl");
    EXPECT_EQ(ErrorOf([] { FieldValue(std::numeric_limits<double>::quiet_NaN()).AsInt32(); }),
              "Typen unverträglich: NaN ist keine Zahl");
}

TEST(FieldValueTest, Int32ReadsNumbersWrittenAsText) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"42", 42}, {"-42", -42}, {"+42", 42}, {"  42\t", 42}, {"4.6", 5},
        {"2.5", 2}, {"1e3", 1000}, {"1e-400", 0}, {"2147483647", 2147483647}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(FieldValue(text).AsInt32(), expected) << text;
}

TEST(FieldValueTest, Int32RaisesOnTextThatIsNoNumber) {
    for (const char* text : {"abc", "", "  ", "12abc", "1.2.3", "inf", "nan", "0x10", "+-1", "-", "."}) {
        EXPECT_EQ(ErrorOf([&] { FieldValue(text).AsInt32(); }),
                  std::string("Typen unverträglich: \"") + text + "\" ist keine Zahl");
    }
    EXPECT_EQ(ErrorOf([] { FieldValue("2147483648").AsInt32(); }),
              "Überlauf: 2147483648 liegt außerhalb des Bereichs einer 32-Bit-Ganzzahl");
    EXPECT_EQ(ErrorOf([] { FieldValue("99999999999999999999").AsInt32(); }),
              "Überlauf: 99999999999999999999 liegt außerhalb des Bereichs einer 32-Bit-Ganzzahl");
    EXPECT_EQ(ErrorOf([] { FieldValue("1e400").AsInt32(); }),
              "Überlauf: 1e400 liegt außerhalb des Bereichs einer 32-Bit-Ganzzahl");
}

TEST(FieldValueTest, DateTimeFromNumbers) {
    EXPECT_EQ(FieldValue(36526).AsDateTime(), 36526.0);
    EXPECT_EQ(FieldValue(-1.25).AsDateTime(), -1.25);
    EXPECT_EQ(FieldValue(37200.4270833).AsDateTime(), 37200.4270833);
    EXPECT_EQ(ErrorOf([] { FieldValue(std::numeric_limits<double>::quiet_NaN()).AsDateTime(); }),
              "Typen unverträglich: nan ist kein Datumswert");
    EXPECT_EQ(ErrorOf([] { FieldValue(-std::numeric_limits<double>::infinity()).AsDateTime(); }),
              "Typen unverträglich: -inf ist kein Datumswert");
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
}

TEST(FieldValueTest, DateTimeRaisesOnOtherTexts) {
    for (const char* text : {"", "05.11.2001", "2001-02-29", "2001-13-01", "2001-11-05 24:00", "2001-11-05 10:60",
                             "2001-11-05 10:15:60", "2001-11-05 10", "2001-11-05Z", "2001-11-05 10:15:30.",
                             "2001-11-05 10:15Z", "01-11-05", "2001-1-5", "0099-12-31", "36526", " 2001-11-05"}) {
        EXPECT_EQ(ErrorOf([&] { FieldValue(text).AsDateTime(); }),
                  std::string("Typen unverträglich: \"") + text + "\" ist kein Datum");
    }
}

}  // namespace
}  // namespace agendor
