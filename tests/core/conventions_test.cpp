#include "agendor/core/conventions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace agendor {
namespace {

// Text cut on whole characters: "ä" is two bytes, "€" three; a stray
// continuation byte at the start belongs to no character before it.
TEST(ConventionsTest, Utf8IsCutOnWholeCharacters) {
    const struct {
        const char* name;
        std::string text;
        std::vector<std::size_t> ends;
        std::size_t at, start;
    } rows[] = {
        {"ascii", "ab", {1, 2}, 1, 1},
        {"two-byte", "a\xC3\xA4z", {1, 3, 4}, 2, 1},
        {"three-byte", "\xE2\x82\xAC!", {3, 4}, 2, 0},
        {"stray continuation", "\x80x", {1, 2}, 0, 0},
        {"empty", "", {}, 0, 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Utf8CharacterEnds(row.text), row.ends) << row.name;
        EXPECT_EQ(Utf8CharacterStart(row.text, row.at), row.start) << row.name;
    }
}

TEST(ConventionsTest, TwipsRoundHalvesToEven) {
    const struct {
        double length;
        Twips twips;
    } rows[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {2.4999, 2}, {-0.5, 0}, {-1.5, -2}, {1439.6, 1440}};
    for (const auto& row : rows) EXPECT_EQ(RoundTwips(row.length), row.twips) << row.length;
}

TEST(ConventionsTest, DateLiteralHasNoLeadingZerosAndNullTextIsEmpty) {
    EXPECT_EQ(DateLiteral(dt::FromYmd(2020, 5, 7)), "5/7/2020");
    EXPECT_EQ(DateLiteral(dt::FromYmd(1999, 12, 31)), "12/31/1999");
    EXPECT_EQ(TextOrEmpty(FieldValue()), "");
    EXPECT_EQ(TextOrEmpty(FieldValue("Meier")), "Meier");
    EXPECT_EQ(TextOrEmpty(FieldValue(42)), "42");
}

} // namespace
} // namespace agendor
