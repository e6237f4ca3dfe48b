#include "agendor/platform/sqlite/query_translator.h"

#include <gtest/gtest.h>

#include "agendor/platform/sqlite/sqlite_error.h"

namespace agendor::sqlite {
namespace {

struct TranslationCase {
    const char* name;
    const char* text;
    DateStorage storage;
    const char* expected;
};

std::ostream& operator<<(std::ostream& out, const TranslationCase& c) { return out << c.name; }

class Translates : public ::testing::TestWithParam<TranslationCase> {};

TEST_P(Translates, ToSqlite) {
    const TranslationCase& c = GetParam();
    TranslateOptions options;
    options.storage = c.storage;
    EXPECT_EQ(TranslateQuery(c.text, options).sql, c.expected);
}

// The texts the control builds, character for character (two blanks before
// From in the range and one-day texts, none after the comma in the persons
// text), and the worked examples of their dates.
INSTANTIATE_TEST_SUITE_P(
    ControlTexts, Translates,
    ::testing::Values(
        TranslationCase{"WeekOfMonday5March2001",
                        "SELECT *  From T WHERE (((T.F)>=#3/5/2001# And (T.F)<#3/12/2001#)) ORDER BY T.F",
                        DateStorage::Real,
                        "SELECT * FROM [T] WHERE (([T].[F] >= 36955) AND ([T].[F] < 36962)) ORDER BY [T].[F]"},
        TranslationCase{"WeekAcrossYearEnd",
                        "SELECT *  From Termine WHERE (((Termine.Datum)>=#12/31/2001# And "
                        "(Termine.Datum)<#1/7/2002#)) ORDER BY Termine.Datum",
                        DateStorage::Real,
                        "SELECT * FROM [Termine] WHERE (([Termine].[Datum] >= 37256) AND ([Termine].[Datum] < "
                        "37263)) ORDER BY [Termine].[Datum]"},
        TranslationCase{"MonthDecember2001WithDayWrittenAs01",
                        "SELECT *  From T WHERE (((T.F)>=#12/01/2001# And (T.F)<#1/01/2002#)) ORDER BY T.F",
                        DateStorage::Real,
                        "SELECT * FROM [T] WHERE (([T].[F] >= 37226) AND ([T].[F] < 37257)) ORDER BY [T].[F]"},
        TranslationCase{"MonthAsIsoText",
                        "SELECT *  From T WHERE (((T.F)>=#12/01/2001# And (T.F)<#1/01/2002#)) ORDER BY T.F",
                        DateStorage::IsoText,
                        "SELECT * FROM [T] WHERE (([T].[F] >= '2001-12-01') AND ([T].[F] < '2002-01-01')) ORDER "
                        "BY [T].[F]"},
        TranslationCase{"Persons", "SELECT P.N,P.I From P ORDER BY P.N", DateStorage::Real,
                        "SELECT [P].[N] AS [N], [P].[I] AS [I] FROM [P] ORDER BY [P].[N]"},
        TranslationCase{"OneDayBecomesRange",
                        "SELECT *  From T WHERE (((DateValue([F]))=#3/5/2001#)) ORDER BY T.F", DateStorage::Real,
                        "SELECT * FROM [T] WHERE ([F] >= 36955 AND [F] < 36956) ORDER BY [T].[F]"},
        TranslationCase{"OneDayAsIsoText",
                        "SELECT *  From T WHERE (((DateValue([F]))=#3/5/2001#)) ORDER BY T.F",
                        DateStorage::IsoText,
                        "SELECT * FROM [T] WHERE ([F] >= '2001-03-05' AND [F] < '2001-03-06') ORDER BY [T].[F]"},
        TranslationCase{"OneDayOfTheLastDay",
                        "SELECT *  From T WHERE (((DateValue([F]))=#12/31/9999#)) ORDER BY T.F",
                        DateStorage::IsoText,
                        "SELECT * FROM [T] WHERE ([F] >= '9999-12-31' AND [F] < '9999-12-32') ORDER BY [T].[F]"}),
    [](const auto& info) { return std::string(info.param.name); });

// Days before 30 Dec 1899 count their fraction backwards: day -1 holds the
// values (-2, -1], day 0 the values (-1, 1).
INSTANTIATE_TEST_SUITE_P(
    DaysAroundTheEpoch, Translates,
    ::testing::Values(
        TranslationCase{"OneDay28Dec1899", "SELECT * From T WHERE DateValue([F]) = #12/28/1899#", DateStorage::Real,
                        "SELECT * FROM [T] WHERE ([F] > -3 AND [F] <= -2)"},
        TranslationCase{"OneDay29Dec1899", "SELECT * From T WHERE DateValue([F]) = #12/29/1899#", DateStorage::Real,
                        "SELECT * FROM [T] WHERE ([F] > -2 AND [F] <= -1)"},
        TranslationCase{"OneDay30Dec1899", "SELECT * From T WHERE DateValue([F]) = #12/30/1899#", DateStorage::Real,
                        "SELECT * FROM [T] WHERE ([F] > -1 AND [F] < 1)"},
        TranslationCase{"OneDay31Dec1899", "SELECT * From T WHERE DateValue([F]) = #12/31/1899#", DateStorage::Real,
                        "SELECT * FROM [T] WHERE ([F] >= 1 AND [F] < 2)"},
        TranslationCase{"RangeFrom29Dec1899", "SELECT * From T WHERE T.F >= #12/29/1899# And T.F < #1/1/1900#",
                        DateStorage::Real, "SELECT * FROM [T] WHERE (([T].[F] > -2) AND ([T].[F] < 2))"},
        TranslationCase{"RangeBefore30Dec1899", "SELECT * From T WHERE T.F < #12/30/1899#", DateStorage::Real,
                        "SELECT * FROM [T] WHERE ([T].[F] <= -1)"},
        TranslationCase{"AfterMidnightOf29Dec1899", "SELECT * From T WHERE T.F > #12/29/1899#", DateStorage::Real,
                        "SELECT * FROM [T] WHERE ([T].[F] > -2 AND [T].[F] <> -1)"},
        TranslationCase{"UpToMidnightOf29Dec1899", "SELECT * From T WHERE T.F <= #12/29/1899#", DateStorage::Real,
                        "SELECT * FROM [T] WHERE ([T].[F] <= -2 OR [T].[F] = -1)"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Dialect, Translates,
    ::testing::Values(
        TranslationCase{"KeywordsInAnyCase",
                        "select * from t where t.f >= #3/5/2001# and not t.g is null order by t.f desc",
                        DateStorage::Real,
                        "SELECT * FROM [t] WHERE (([t].[f] >= 36955) AND (NOT ([t].[g] IS NULL))) ORDER BY [t].[f] "
                        "DESC"},
        TranslationCase{"LiteralOnTheLeft", "SELECT * From T WHERE #3/5/2001# <= T.F", DateStorage::Real,
                        "SELECT * FROM [T] WHERE ([T].[F] >= 36955)"},
        TranslationCase{"DayOnTheLeft", "SELECT * From T WHERE #3/5/2001# = DateValue(T.F)", DateStorage::Real,
                        "SELECT * FROM [T] WHERE ([T].[F] >= 36955 AND [T].[F] < 36956)"},
        TranslationCase{"DaysAfter", "SELECT * From T WHERE DateValue(T.F) > #3/5/2001#", DateStorage::Real,
                        "SELECT * FROM [T] WHERE ([T].[F] >= 36956)"},
        TranslationCase{"OtherDays", "SELECT * From T WHERE DateValue(T.F) <> #3/5/2001#", DateStorage::Real,
                        "SELECT * FROM [T] WHERE ([T].[F] < 36955 OR [T].[F] >= 36956)"},
        TranslationCase{"LiteralWithTime", "SELECT * From T WHERE T.F >= #3/5/2001 14:30:00#", DateStorage::Real,
                        "SELECT * FROM [T] WHERE ([T].[F] >= 36955.604166666664)"},
        TranslationCase{"LiteralWithTimeAsIsoText", "SELECT * From T WHERE T.F < #3/5/2001 9:05#",
                        DateStorage::IsoText, "SELECT * FROM [T] WHERE ([T].[F] < '2001-03-05 09:05:00')"},
        TranslationCase{"DayWithTimeKeepsItsMeaning", "SELECT * From T WHERE DateValue(T.F) = #3/5/2001 10:00:00#",
                        DateStorage::Real,
                        "SELECT * FROM [T] WHERE (CAST([T].[F] AS INTEGER) = 36955.416666666664)"},
        TranslationCase{"DayOfAnExpressionKeepsItsMeaning",
                        "SELECT * From T WHERE DateValue(T.F + 1) = #3/5/2001#", DateStorage::IsoText,
                        "SELECT * FROM [T] WHERE (date(([T].[F] + 1)) = '2001-03-05')"},
        TranslationCase{"HashInsideAString", "SELECT * From T WHERE T.Name = 'Zimmer #3/5/2001#' Or T.Name = 'O''Brien'",
                        DateStorage::Real,
                        "SELECT * FROM [T] WHERE (([T].[Name] = 'Zimmer #3/5/2001#') OR ([T].[Name] = "
                        "'O''Brien'))"},
        TranslationCase{"NamesWithBlanksInBrackets",
                        "SELECT *  From [Meine Termine] WHERE ((([Meine Termine].[Beginn am])>=#3/5/2001#)) "
                        "ORDER BY [Meine Termine].[Beginn am]",
                        DateStorage::Real,
                        "SELECT * FROM [Meine Termine] WHERE ([Meine Termine].[Beginn am] >= 36955) ORDER BY "
                        "[Meine Termine].[Beginn am]"},
        TranslationCase{"BracketedNameInTheControlsOwnBrackets",
                        "SELECT *  From T WHERE (((DateValue([[Beginn am]]))=#3/5/2001#)) ORDER BY T.[Beginn am]",
                        DateStorage::Real,
                        "SELECT * FROM [T] WHERE ([Beginn am] >= 36955 AND [Beginn am] < 36956) ORDER BY "
                        "[T].[Beginn am]"},
        TranslationCase{"GermanNamesNeedNoBrackets", "SELECT Straße, T.Gebühr AS Betrag From T", DateStorage::Real,
                        "SELECT [Straße], [T].[Gebühr] AS [Betrag] FROM [T]"},
        TranslationCase{"ArithmeticAndConcatenation", "SELECT T.A / 2 - -T.B, T.N & ' ' & T.V From T;",
                        DateStorage::Real,
                        "SELECT ((CAST([T].[A] AS REAL) / 2) - (- [T].[B])), (([T].[N] || ' ') || [T].[V]) FROM "
                        "[T]"},
        TranslationCase{"TableStar", "SELECT T.* From T", DateStorage::Real, "SELECT [T].* FROM [T]"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TranslateQuery, NamesTheDateFieldsItCompares) {
    EXPECT_EQ(TranslateQuery("SELECT *  From T WHERE (((T.F)>=#3/5/2001# And (T.F)<#3/12/2001#)) ORDER BY T.F")
                  .dateFields,
              std::vector<std::string>{"F"});
    EXPECT_EQ(TranslateQuery("SELECT * From T WHERE DateValue([Beginn am]) = #3/5/2001# And T.Ende > #1/1/2001#")
                  .dateFields,
              (std::vector<std::string>{"Beginn am", "Ende"}));
    EXPECT_TRUE(TranslateQuery("SELECT P.N,P.I From P ORDER BY P.N").dateFields.empty());
}

TEST(TranslateQuery, OptionsForMeasurementKeepTheMeaning) {
    TranslateOptions literal;
    literal.rewriteDateValue = false;
    EXPECT_EQ(TranslateQuery("SELECT *  From T WHERE (((DateValue([F]))=#3/5/2001#)) ORDER BY T.F", literal).sql,
              "SELECT * FROM [T] WHERE (CAST([F] AS INTEGER) = 36955) ORDER BY [T].[F]");
    literal.storage = DateStorage::IsoText;
    EXPECT_EQ(TranslateQuery("SELECT * From T WHERE DateValue([F]) = #3/5/2001#", literal).sql,
              "SELECT * FROM [T] WHERE (date([F]) = '2001-03-05')");

    TranslateOptions scan;
    scan.forceTableScan = true;
    EXPECT_EQ(TranslateQuery("SELECT * From T WHERE T.F >= #3/5/2001#", scan).sql,
              "SELECT * FROM [T] NOT INDEXED WHERE ([T].[F] >= 36955)");
}

struct RefusedCase {
    const char* name;
    const char* text;
    const char* message;
};

std::ostream& operator<<(std::ostream& out, const RefusedCase& c) { return out << c.name; }

class Refuses : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(Refuses, WithAClearMessage) {
    const RefusedCase& c = GetParam();
    try {
        TranslateQuery(c.text);
        FAIL() << "translated: " << c.text;
    } catch (const SqliteError& error) {
        EXPECT_EQ(error.Description(), c.message);
        EXPECT_EQ(error.QueryText(), c.text);
        EXPECT_EQ(error.ResultCode(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    BadTexts, Refuses,
    ::testing::Values(
        RefusedCase{"Empty", "", "Die Abfrage ist leer."},
        RefusedCase{"OnlyBlanks", " \t\r\n", "Die Abfrage ist leer."},
        RefusedCase{"OnlySemicolon", ";", "Die Abfrage ist leer."},
        RefusedCase{"TwoStatements", "SELECT * From T; DELETE From T",
                    "Die Abfrage enthält mehr als eine Anweisung."},
        RefusedCase{"TwoSelects", "SELECT * From T;SELECT * From U", "Die Abfrage enthält mehr als eine Anweisung."},
        RefusedCase{"Delete", "DELETE From T",
                    "Nur Abfragen mit SELECT sind erlaubt: der Kalender liest nur und ändert keine Daten."},
        RefusedCase{"Update", "UPDATE T SET F = 1",
                    "Nur Abfragen mit SELECT sind erlaubt: der Kalender liest nur und ändert keine Daten."},
        RefusedCase{"Drop", "drop table T",
                    "Nur Abfragen mit SELECT sind erlaubt: der Kalender liest nur und ändert keine Daten."},
        RefusedCase{"MakeTable", "SELECT * INTO Kopie From T",
                    "Nur Abfragen mit SELECT sind erlaubt: der Kalender liest nur und ändert keine Daten."},
        RefusedCase{"TheThirtiethOfFebruary", "SELECT * From T WHERE T.F = #2/30/2001#",
                    "Ungültiges Datumsliteral #2/30/2001#: diesen Tag oder diese Uhrzeit gibt es nicht."},
        RefusedCase{"MonthThirteen", "SELECT * From T WHERE T.F = #13/1/2001#",
                    "Ungültiges Datumsliteral #13/1/2001#: diesen Tag oder diese Uhrzeit gibt es nicht."},
        RefusedCase{"TwentyNinthOfFebruaryInACommonYear", "SELECT * From T WHERE T.F = #2/29/1900#",
                    "Ungültiges Datumsliteral #2/29/1900#: diesen Tag oder diese Uhrzeit gibt es nicht."},
        RefusedCase{"DayZero", "SELECT * From T WHERE T.F = #3/0/2001#",
                    "Ungültiges Datumsliteral #3/0/2001#: diesen Tag oder diese Uhrzeit gibt es nicht."},
        RefusedCase{"TwoDigitYear", "SELECT * From T WHERE T.F = #3/5/01#",
                    "Ungültiges Datumsliteral #3/5/01#: diesen Tag oder diese Uhrzeit gibt es nicht."},
        RefusedCase{"Hour24", "SELECT * From T WHERE T.F = #3/5/2001 24:00:00#",
                    "Ungültiges Datumsliteral #3/5/2001 24:00:00#: diesen Tag oder diese Uhrzeit gibt es nicht."},
        RefusedCase{"IsoInsideHashes", "SELECT * From T WHERE T.F = #2001-03-05#",
                    "Ungültiges Datumsliteral #2001-03-05#: erwartet wird #Monat/Tag/Jahr#, etwa #3/5/2001#."},
        RefusedCase{"TrailingText", "SELECT * From T WHERE T.F = #3/5/2001x#",
                    "Ungültiges Datumsliteral #3/5/2001x#: erwartet wird #Monat/Tag/Jahr#, etwa #3/5/2001#."},
        RefusedCase{"UnclosedLiteral", "SELECT * From T WHERE T.F = #3/5/2001",
                    "Datumsliteral ohne schließendes # (Zeichen 29)."},
        RefusedCase{"UnclosedText", "SELECT * From T WHERE T.N = 'abc",
                    "Text ohne schließendes ' (Zeichen 29)."},
        RefusedCase{"UnclosedName", "SELECT * From [T", "Name ohne schließende ] (Zeichen 15)."},
        RefusedCase{"NameWithSemicolon", "SELECT * From [T;DROP TABLE T]",
                    "Ungültiger Name [T;DROP TABLE T]: Namen dürfen weder [ ] \" ' ; -- noch Steuerzeichen "
                    "enthalten."},
        RefusedCase{"NameWithDashes", "SELECT * From [T--]",
                    "Ungültiger Name [T--]: Namen dürfen weder [ ] \" ' ; -- noch Steuerzeichen enthalten."},
        RefusedCase{"NameWithQuote", "SELECT * From [O'Brien]",
                    "Ungültiger Name [O'Brien]: Namen dürfen weder [ ] \" ' ; -- noch Steuerzeichen enthalten."},
        RefusedCase{"NameWithDoubleQuote", "SELECT * From [a\"b]",
                    "Ungültiger Name [a\"b]: Namen dürfen weder [ ] \" ' ; -- noch Steuerzeichen enthalten."},
        RefusedCase{"NameWithClosingBracket", "SELECT * From [a]b]",
                    "Unerwartetes Zeichen ']' in der Abfrage (Zeichen 19)."},
        RefusedCase{"EmptyName", "SELECT * From []", "Leerer Name [] in der Abfrage."},
        RefusedCase{"NameStartingWithABlank", "SELECT * From [ T]",
                    "Ungültiger Name [ T]: ein Name beginnt und endet nicht mit einem Leerzeichen."},
        RefusedCase{"NameWithBlanksWithoutBrackets",
                    "SELECT *  From Meine Termine WHERE (((Meine Termine.Beginn)>=#3/5/2001#))",
                    "Syntaxfehler bei Termine (Zeichen 22): erwartet wird Where, Order By oder das Ende der "
                    "Abfrage."},
        RefusedCase{"DoubleQuotedText", "SELECT * From T WHERE T.F = \"Datum\"",
                    "Doppelte Anführungszeichen sind in Abfragen nicht erlaubt (Zeichen 29): Namen stehen in [ ], "
                    "Texte in ' '."},
        RefusedCase{"LineComment", "SELECT * From T -- WHERE x", "Kommentare sind in Abfragen nicht erlaubt (Zeichen 17)."},
        RefusedCase{"BlockComment", "SELECT * From T /* x */", "Kommentare sind in Abfragen nicht erlaubt (Zeichen 17)."},
        RefusedCase{"UnknownFunction", "SELECT * From T WHERE Now() > T.F",
                    "Unbekannte Funktion Now in der Abfrage (Zeichen 23)."},
        RefusedCase{"DateValueWithTwoArguments", "SELECT * From T WHERE DateValue(T.F, 1) = #3/5/2001#",
                    "DateValue erwartet genau ein Argument (Zeichen 23)."},
        RefusedCase{"MissingFrom", "SELECT T.F", "Syntaxfehler: die Abfrage endet, erwartet wird From."},
        RefusedCase{"ReservedWordAsTable", "SELECT * From Where", "Syntaxfehler bei Where (Zeichen 15): erwartet wird ein Tabellenname."},
        RefusedCase{"OpenParenthesis", "SELECT * From T WHERE ((T.F = 1)",
                    "Syntaxfehler: die Abfrage endet, erwartet wird )."},
        RefusedCase{"ChainedComparison", "SELECT * From T WHERE T.A = T.B = T.C",
                    "Syntaxfehler bei = (Zeichen 33): erwartet wird Order By oder das Ende der Abfrage."},
        RefusedCase{"ForeignCharacter", "SELECT * From T WHERE T.F != 1",
                    "Unerwartetes Zeichen '!' in der Abfrage (Zeichen 27)."}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace agendor::sqlite
