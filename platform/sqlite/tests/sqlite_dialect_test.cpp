#include "agendor/platform/sqlite/sqlite_dialect.h"

#include <gtest/gtest.h>

namespace agendor::sqlite {
namespace {

TEST(TranslateQuery, ToSqlite) {
    using enum DateStorage;
    const struct {
        const char* text;
        DateStorage storage;
        const char* expected;
    } cases[] = {
        // The texts the control builds, character for character (two blanks
        // before From in the range and one-day texts, none after the comma in
        // the persons text), and the worked examples of their dates.
        {"SELECT *  From T WHERE (((T.F)>=#3/5/2001# And (T.F)<#3/12/2001#)) ORDER BY T.F", Real,
         "SELECT * FROM [T] WHERE (([T].[F] >= 36955) AND ([T].[F] < 36962)) ORDER BY [T].[F]"},
        {"SELECT *  From Termine WHERE (((Termine.Datum)>=#12/31/2001# And (Termine.Datum)<#1/7/2002#)) ORDER BY "
         "Termine.Datum", Real,
         "SELECT * FROM [Termine] WHERE (([Termine].[Datum] >= 37256) AND ([Termine].[Datum] < 37263)) ORDER BY "
         "[Termine].[Datum]"},
        {"SELECT *  From T WHERE (((T.F)>=#12/01/2001# And (T.F)<#1/01/2002#)) ORDER BY T.F", Real,
         "SELECT * FROM [T] WHERE (([T].[F] >= 37226) AND ([T].[F] < 37257)) ORDER BY [T].[F]"},
        {"SELECT *  From T WHERE (((T.F)>=#12/01/2001# And (T.F)<#1/01/2002#)) ORDER BY T.F", IsoText,
         "SELECT * FROM [T] WHERE (([T].[F] >= '2001-12-01') AND ([T].[F] < '2002-01-01')) ORDER BY "
         "strftime('%Y-%m-%d %H:%M:%f', [T].[F])"},
        {"SELECT P.N,P.I From P ORDER BY P.N", Real,
         "SELECT [P].[N] AS [N], [P].[I] AS [I] FROM [P] ORDER BY [P].[N] COLLATE agendor_de"},
        // A constant sorts nothing, and the engines would take a number
        // there for a column's position: it is left out.
        {"SELECT P.N,P.I From P ORDER BY #1/1/100#, -2, 'x', P.N", Real,
         "SELECT [P].[N] AS [N], [P].[I] AS [I] FROM [P] ORDER BY [P].[N] COLLATE agendor_de"},
        {"SELECT P.N From P ORDER BY 1 DESC", Real, "SELECT [P].[N] AS [N] FROM [P]"},
        {"SELECT *  From T WHERE (((DateValue([F]))=#3/5/2001#)) ORDER BY T.F", Real,
         "SELECT * FROM [T] WHERE ([F] >= 36955 AND [F] < 36956) ORDER BY [T].[F]"},
        {"SELECT *  From T WHERE (((DateValue([F]))=#3/5/2001#)) ORDER BY T.F", IsoText,
         "SELECT * FROM [T] WHERE ([F] >= '2001-03-05' AND [F] < '2001-03-06') ORDER BY strftime('%Y-%m-%d "
         "%H:%M:%f', [T].[F])"},
        {"SELECT *  From T WHERE (((DateValue([F]))=#12/31/9999#)) ORDER BY T.F", IsoText,
         "SELECT * FROM [T] WHERE ([F] >= '9999-12-31' AND [F] < '9999-12-32') ORDER BY strftime('%Y-%m-%d "
         "%H:%M:%f', [T].[F])"},
        // Days before 30 Dec 1899 count their fraction backwards: day -1
        // holds the values (-2, -1], day 0 the values (-1, 1).
        {"SELECT * From T WHERE DateValue([F]) = #12/28/1899#", Real,
         "SELECT * FROM [T] WHERE ([F] > -3 AND [F] <= -2)"},
        {"SELECT * From T WHERE DateValue([F]) = #12/29/1899#", Real,
         "SELECT * FROM [T] WHERE ([F] > -2 AND [F] <= -1)"},
        {"SELECT * From T WHERE DateValue([F]) = #12/30/1899#", Real,
         "SELECT * FROM [T] WHERE ([F] > -1 AND [F] < 1)"},
        {"SELECT * From T WHERE DateValue([F]) = #12/31/1899#", Real,
         "SELECT * FROM [T] WHERE ([F] >= 1 AND [F] < 2)"},
        {"SELECT * From T WHERE T.F >= #12/29/1899# And T.F < #1/1/1900#", Real,
         "SELECT * FROM [T] WHERE (([T].[F] > -2) AND ([T].[F] < 2))"},
        {"SELECT * From T WHERE T.F < #12/30/1899#", Real, "SELECT * FROM [T] WHERE ([T].[F] <= -1)"},
        {"SELECT * From T WHERE T.F > #12/29/1899#", Real, "SELECT * FROM [T] WHERE ([T].[F] > -2 AND [T].[F] <> -1)"},
        {"SELECT * From T WHERE T.F <= #12/29/1899#", Real, "SELECT * FROM [T] WHERE ([T].[F] <= -2 OR [T].[F] = -1)"},
        {"select * from t where t.f >= #3/5/2001# and not t.g is null order by t.f desc", Real,
         "SELECT * FROM [t] WHERE (([t].[f] >= 36955) AND (NOT ([t].[g] IS NULL))) ORDER BY [t].[f] DESC"},
        {"SELECT * From T WHERE #3/5/2001# <= T.F", Real, "SELECT * FROM [T] WHERE ([T].[F] >= 36955)"},
        {"SELECT * From T WHERE #3/5/2001# = DateValue(T.F)", Real,
         "SELECT * FROM [T] WHERE ([T].[F] >= 36955 AND [T].[F] < 36956)"},
        {"SELECT * From T WHERE DateValue(T.F) > #3/5/2001#", Real, "SELECT * FROM [T] WHERE ([T].[F] >= 36956)"},
        {"SELECT * From T WHERE DateValue(T.F) <> #3/5/2001#", Real,
         "SELECT * FROM [T] WHERE ([T].[F] < 36955 OR [T].[F] >= 36956)"},
        {"SELECT * From T WHERE T.F >= #3/5/2001 14:30:00#", Real,
         "SELECT * FROM [T] WHERE ([T].[F] >= 36955.604166666664)"},
        {"SELECT * From T WHERE T.F < #1/1/2001# ORDER BY T.F", Real,
         "SELECT * FROM [T] WHERE ([T].[F] < 36892) ORDER BY (CASE WHEN [T].[F] < 0 THEN 2 * CAST([T].[F] AS "
         "INTEGER) - [T].[F] ELSE [T].[F] END)"},
        {"SELECT * From T WHERE T.F >= #12/29/1899 6:00#", Real,
         "SELECT * FROM [T] WHERE ((CASE WHEN [T].[F] < 0 THEN 2 * CAST([T].[F] AS INTEGER) - [T].[F] ELSE [T].[F] "
         "END) >= -0.75)"},
        {"SELECT * From T WHERE T.F < #3/5/2001 9:05#", IsoText,
         "SELECT * FROM [T] WHERE (strftime('%Y-%m-%d %H:%M:%f', [T].[F]) < '2001-03-05 09:05:00.000')"},
        {"SELECT * From T WHERE DateValue(T.F) = #3/5/2001 10:00:00#", Real,
         "SELECT * FROM [T] WHERE (CAST([T].[F] AS INTEGER) = 36955.416666666664)"},
        {"SELECT * From T WHERE DateValue(T.F + 1) = #3/5/2001#", IsoText,
         "SELECT * FROM [T] WHERE (date(([T].[F] + 1)) = '2001-03-05')"},
        {"SELECT * From T WHERE T.Name = 'Zimmer #3/5/2001#' Or T.Name = 'O''Brien'", Real,
         "SELECT * FROM [T] WHERE (([T].[Name] = 'Zimmer #3/5/2001#') OR ([T].[Name] = 'O''Brien'))"},
        {"SELECT *  From [Meine Termine] WHERE ((([Meine Termine].[Beginn am])>=#3/5/2001#)) ORDER BY [Meine "
         "Termine].[Beginn am]", Real,
         "SELECT * FROM [Meine Termine] WHERE ([Meine Termine].[Beginn am] >= 36955) ORDER BY [Meine "
         "Termine].[Beginn am]"},
        {"SELECT *  From T WHERE (((DateValue([[Beginn am]]))=#3/5/2001#)) ORDER BY T.[Beginn am]", Real,
         "SELECT * FROM [T] WHERE ([Beginn am] >= 36955 AND [Beginn am] < 36956) ORDER BY [T].[Beginn am]"},
        {"SELECT Straße, T.Gebühr AS Betrag From T", Real, "SELECT [Straße], [T].[Gebühr] AS [Betrag] FROM [T]"},
        {"SELECT T.A / 2 - -T.B, T.N & ' ' & T.V From T;", Real,
         "SELECT ((CAST([T].[A] AS REAL) / 2) - (- [T].[B])), (([T].[N] || ' ') || [T].[V]) FROM [T]"},
        {"SELECT T.* From T", Real, "SELECT [T].* FROM [T]"},
    };
    for (const auto& c : cases) {
        TranslateOptions options;
        options.storage = c.storage;
        EXPECT_EQ(TranslateQuery(c.text, options).sql, c.expected) << c.text;
    }
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

} // namespace
} // namespace agendor::sqlite
