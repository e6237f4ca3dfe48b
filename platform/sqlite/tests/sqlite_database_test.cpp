#include "agendor/platform/sqlite/sqlite_database.h"

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>

#include <gtest/gtest.h>

#include "agendor/core/date_time.h"
#include "agendor/platform/sqlite/sqlite_dialect.h"
#include "agendor/platform/sqlite/sqlite_error.h"
#include "agendor/platform/sqlite/sqlite_handles.h"
#include "test_files.h"
#include "tests/support/calendar_moments.h"
#include "tests/support/error_of.h"

namespace agendor::sqlite {
namespace {

using testing::HostConnection;
using testing::TempFolder;

// The texts as the control builds them.
std::string RangeText(const std::string& t, const std::string& f, const std::string& start, const std::string& end) {
    return "SELECT * " + std::string(" From ") + t + " WHERE (((" + t + "." + f + ")>=#" + start + "# And (" + t +
           "." + f + ")<#" + end + "#))" + " ORDER BY " + t + "." + f;
}
std::string DayText(const std::string& t, const std::string& f, const std::string& day) {
    return "SELECT * " + std::string(" From ") + t + " WHERE (((DateValue([" + f + "]))=#" + day + "#))" +
           " ORDER BY " + t + "." + f;
}

std::vector<double> ReadDates(Recordset& records) {
    std::vector<double> dates;
    for (; !records.IsEOF(); records.MoveNext()) dates.push_back(records.Field("Datum").AsDateTime());
    return dates;
}

std::vector<std::string> ReadNames(Recordset& records) {
    std::vector<std::string> names;
    for (; !records.IsEOF(); records.MoveNext()) names.push_back(records.Field("Name").AsText());
    return names;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int StatementsOn(sqlite3* db) {
    int count = 0;
    for (sqlite3_stmt* s = sqlite3_next_stmt(db, nullptr); s != nullptr; s = sqlite3_next_stmt(db, s)) ++count;
    return count;
}

const double kMarch5 = dt::FromYmd(2001, 3, 5);
const std::string kWeek = RangeText("Termine", "Datum", "3/5/2001", "3/12/2001");
const std::string kDay = DayText("Termine", "Datum", "3/5/2001");
const std::vector<double> kIsoDates = {dt::FromYmdHms(2001, 3, 5, 9, 0, 0), dt::FromYmdHms(2001, 3, 6, 10, 0, 0)};
const char* const kIsoTable = "CREATE TABLE Text (ID INTEGER PRIMARY KEY, Datum TEXT, Name TEXT);";

class SqliteDatabaseTest : public ::testing::Test {
protected:
    SqliteDatabaseTest() {
        host.Execute("CREATE TABLE Termine (TerminID INTEGER PRIMARY KEY, Datum REAL, Name TEXT);"
                     "CREATE INDEX Termine_Datum ON Termine (Datum);");
    }

    std::unique_ptr<SqliteDatabase> Open(SqliteOptions options = {}) { return SqliteDatabase::Open(path, options); }

    TempFolder folder;
    std::string path = folder.File("termine.sqlite");
    HostConnection host{path};
};

// Ascending order and literals before 1900 are checked on every engine
// (tests/engines); descending must run the calendar backwards too, where
// the fraction of a day counts backwards: -1.25 is 29 Dec 06:00, -1.75 is
// 18:00; on day 0, -0.5 is 12:00.
TEST_F(SqliteDatabaseTest, DescendingOrderRunsTheCalendarBackwardsAcrossTheEpoch) {
    for (const double value : {-2.5, -1.75, -1.25, -1.0, -0.5, 0.0, 0.25, 0.999, -2.0, 1.0, 1.5})
        host.InsertDate("Termine", value, "x");
    EXPECT_EQ(ReadDates(*Open()->OpenRecordset("SELECT * From Termine WHERE Termine.Datum < #12/31/1899# ORDER BY "
                                               "Termine.Datum DESC")),
              (std::vector<double>{0.999, -0.5, 0.25, 0.0, -1.75, -1.25, -1.0, -2.5, -2.0}));
}

TEST_F(SqliteDatabaseTest, RangeAndOneDayQueriesUseTheIndexAndTheLiteralOneScans) {
    auto plan = [&](const std::string& text, const TranslateOptions& options) {
        const std::string sql = "EXPLAIN QUERY PLAN " + TranslateQuery(text, options).sql;
        sqlite3_stmt* statement = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(host.Handle(), sql.c_str(), -1, &statement, nullptr), SQLITE_OK);
        std::string details;
        while (sqlite3_step(statement) == SQLITE_ROW)
            details += reinterpret_cast<const char*>(sqlite3_column_text(statement, 3)) + std::string(";");
        sqlite3_finalize(statement);
        return details;
    };
    const std::string index = "USING INDEX Termine_Datum (Datum>? AND Datum<?)";
    EXPECT_NE(plan(RangeText("Termine", "Datum", "3/01/2001", "4/01/2001"), {}).find(index), std::string::npos);
    EXPECT_NE(plan(kDay, {}).find(index), std::string::npos);
    EXPECT_NE(plan(kDay, {.rewriteDateValue = false}).find("SCAN"), std::string::npos);
}

TEST_F(SqliteDatabaseTest, AnEmptyResultIsAtEofAndHasNoCurrentRecord) {
    auto records = Open()->OpenRecordset(kWeek);
    EXPECT_TRUE(records->IsEOF());
    EXPECT_EQ(records->RecordCount(), 0);
    EXPECT_EQ(ErrorOf([&] { records->MoveNext(); }),
              "Kein aktueller Datensatz: das Ende der Datensätze ist schon erreicht.");
    EXPECT_EQ(ErrorOf([&] { records->MoveLast(); }), "Kein aktueller Datensatz: die Abfrage lieferte keine Zeilen.");
    EXPECT_EQ(ErrorOf([&] { records->MoveFirst(); }), "Kein aktueller Datensatz: die Abfrage lieferte keine Zeilen.");
    EXPECT_EQ(ErrorOf([&] { records->Field("Datum"); }), "Kein aktueller Datensatz.");
}

// Nulls in general are checked on every engine (tests/engines); SQLite
// alone turns a NaN it is given into a NULL.
TEST_F(SqliteDatabaseTest, ANaNStoredIsReadAsNull) {
    host.InsertDate("Termine", std::numeric_limits<double>::quiet_NaN(), "NaN");
    auto records = Open()->OpenRecordset("SELECT * From Termine WHERE Termine.Datum Is Null");
    EXPECT_TRUE(records->Field("Datum").IsNull());
    EXPECT_EQ(records->Field("Name").AsText(), "NaN");
}

TEST_F(SqliteDatabaseTest, ValuesThatAreNoDateTimeFailWhenReadAndRowsBeforeThemStayReadable) {
    host.Execute("CREATE TABLE Roh (ID INTEGER PRIMARY KEY, Datum);"
                 "INSERT INTO Roh (Datum) VALUES (36955.5), ('gestern'), (5), (9e999), (1e10)");
    auto records = Open()->OpenRecordset("SELECT * From Roh WHERE Roh.Datum <> #1/1/2500# ORDER BY Roh.ID");
    EXPECT_EQ(records->Field("Datum").AsDateTime(), 36955.5);
    const std::vector<std::string> expected = {
        "Das Datumsfeld Datum enthält den Text 'gestern' statt eines Datumswerts (Tage seit dem 30.12.1899 als "
        "REAL).",
        "Das Datumsfeld Datum enthält die Ganzzahl 5 statt eines Datumswerts (Tage seit dem 30.12.1899 als REAL).",
        "Das Datumsfeld Datum enthält inf, keinen Datumswert zwischen dem 1.1.100 und dem 31.12.9999.",
        "Das Datumsfeld Datum enthält 1e+10, keinen Datumswert zwischen dem 1.1.100 und dem 31.12.9999."};
    for (const std::string& message : expected) {
        records->MoveNext();
        ASSERT_FALSE(records->IsEOF());
        EXPECT_EQ(ErrorOf([&] { records->Field("Datum"); }), message);
        EXPECT_EQ(records->Field("ID").AsInt32(), static_cast<int>(&message - expected.data()) + 2);
    }
}

TEST_F(SqliteDatabaseTest, ColumnsDeclaredAsDateTimeReadWholeDaysStoredAsIntegers) {
    // NUMERIC affinity keeps 36955.0 as the integer 36955.
    host.Execute("CREATE TABLE Kalender (ID INTEGER PRIMARY KEY, Beginn DATETIME);"
                 "INSERT INTO Kalender (Beginn) VALUES (36955.0), (36955.5)");
    auto records = Open()->OpenRecordset("SELECT * From Kalender ORDER BY Kalender.Beginn");
    EXPECT_EQ(std::get<double>(records->Field("Beginn").Raw()), 36955.0);
    records->MoveNext();
    EXPECT_EQ(std::get<double>(records->Field("Beginn").Raw()), 36955.5);
}

TEST_F(SqliteDatabaseTest, IsoTextDatesAreComparedAsTextAndReadAsDateTimeValues) {
    // Datum has no declared type, so a number inserted stays a number.
    host.Execute("CREATE TABLE Text (ID INTEGER PRIMARY KEY, Datum, Name TEXT);"
                 "CREATE INDEX Text_Datum ON Text (Datum);"
                 "INSERT INTO Text (Datum, Name) VALUES ('2001-03-04 23:59:00', 'a'), ('2001-03-05 00:00:00', 'b'),"
                 "('2001-03-05', 'c'), ('2001-03-05T14:30:00', 'd'), ('2001-03-11 23:59:59', 'e'),"
                 "('2001-03-12 00:00:00', 'f'), (36955.5, 'Zahl'), ('5.3.2001', 'deutsch')");
    auto db = Open({.dateStorage = DateStorage::IsoText});

    EXPECT_EQ(ReadNames(*db->OpenRecordset(RangeText("Text", "Datum", "3/5/2001", "3/12/2001"))),
              (std::vector<std::string>{"c", "b", "d", "e"}));
    EXPECT_EQ(ReadDates(*db->OpenRecordset(DayText("Text", "Datum", "3/5/2001"))),
              (std::vector<double>{kMarch5, kMarch5, dt::FromYmdHms(2001, 3, 5, 14, 30, 0)}));

    auto faulty = db->OpenRecordset("SELECT * From Text WHERE DateValue(Text.Datum) Is Null Or Text.ID >= 7 ORDER BY Text.ID");
    EXPECT_EQ(ErrorOf([&] { faulty->Field("Datum"); }),
              "Das Datumsfeld Datum enthält eine Zahl statt eines Datums der Form JJJJ-MM-TT hh:mm:ss.");
    faulty->MoveNext();
    EXPECT_EQ(ErrorOf([&] { faulty->Field("Datum"); }),
              "Das Datumsfeld Datum enthält '5.3.2001', kein Datum der Form JJJJ-MM-TT hh:mm:ss.");
    // Neither compared with a date literal nor passed to DateValue, the field
    // is read as it is stored.
    auto plain = db->OpenRecordset("SELECT * From Text WHERE Text.ID >= 7 ORDER BY Text.ID");
    EXPECT_EQ(plain->Field("Datum").AsText(), "36955.5");
}

TEST_F(SqliteDatabaseTest, IsoTextInEveryFormTheReaderTakesIsOrderedAndBoundedByItsTime) {
    host.Execute(kIsoTable + std::string("INSERT INTO Text (Datum, Name) VALUES ('2001-03-05T09:00:00', '09:00'),"
                                         "('2001-03-05 08:00', '08:00'), ('2001-03-05T08:45', '08:45'),"
                                         "('2001-03-05 08:30:00', '08:30'), ('2001-03-05 10:15:30.5', '10:15'),"
                                         "('2001-03-05 00:00:00', 'Mitternacht')"));
    auto db = Open({.dateStorage = DateStorage::IsoText});
    const auto names = [&](const std::string& text) { return ReadNames(*db->OpenRecordset(text)); };
    EXPECT_EQ(names(DayText("Text", "Datum", "3/5/2001")),
              (std::vector<std::string>{"Mitternacht", "08:00", "08:30", "08:45", "09:00", "10:15"}));
    EXPECT_EQ(names("SELECT * From Text WHERE Text.Datum >= #3/5/2001 8:40# And Text.Datum < #3/5/2001 10:00# "
                    "ORDER BY Text.Datum"),
              (std::vector<std::string>{"08:45", "09:00"}));
    // After midnight of the 5th: not at midnight, however it is written.
    EXPECT_EQ(names("SELECT * From Text WHERE Text.Datum > #3/5/2001# And Text.Datum <= #3/5/2001 8:30# ORDER BY "
                    "Text.Datum"),
              (std::vector<std::string>{"08:00", "08:30"}));
}

// SQLite prepares a cached statement anew inside its first step when the
// host has changed the table since; the rows then have the new layout.
TEST_F(SqliteDatabaseTest, ACachedQueryReadsTheLayoutTheTableHasNow) {
    host.InsertDate("Termine", kMarch5 + 0.5, "Koch");
    auto db = Open();
    EXPECT_EQ(db->OpenRecordset(kWeek)->Field("Name").AsText(), "Koch");
    host.Execute("ALTER TABLE Termine ADD COLUMN Ort TEXT; UPDATE Termine SET Ort = 'Bonn';"
                 "ALTER TABLE Termine DROP COLUMN Name");
    auto records = db->OpenRecordset(kWeek);
    EXPECT_EQ(ErrorOf([&] { records->Field("Name").AsText(); }), "Das Feld Name gibt es in der Abfrage nicht.");
    EXPECT_EQ(records->Field("Ort").AsText(), "Bonn");
    EXPECT_EQ(records->Field("Datum").AsDateTime(), kMarch5 + 0.5);
}

// Opened with the wrong storage, every bound would miss every value and the
// sheet would stay empty without a word.
TEST_F(SqliteDatabaseTest, TheDateFieldsStorageIsFoundOnFirstUse) {
    host.Execute(kIsoTable + std::string("INSERT INTO Text (Datum, Name) VALUES ('2001-03-06T10:00', 'b'),"
                                         "('2001-03-05 09:00:00', 'a'), ('2001-03-12 00:00:00', 'danach')"));
    host.InsertDate("Termine", kMarch5 + 0.5, "Zahl");
    auto numbers = Open();
    EXPECT_EQ(ReadDates(*numbers->OpenRecordset(RangeText("Text", "Datum", "3/5/2001", "3/12/2001"))), kIsoDates);
    EXPECT_EQ(ReadDates(*Open({.dateStorage = DateStorage::IsoText})->OpenRecordset(kDay)),
              std::vector<double>{kMarch5 + 0.5});

    host.Execute("CREATE TABLE Deutsch (ID INTEGER PRIMARY KEY, Datum TEXT, Name TEXT);"
                 "INSERT INTO Deutsch (Datum, Name) VALUES ('5.3.2001', 'a'), ('6.3.2001', 'b')");
    EXPECT_EQ(ErrorOf([&] { numbers->OpenRecordset(RangeText("Deutsch", "Datum", "3/5/2001", "3/12/2001")); }),
              "Das Datumsfeld Deutsch.Datum enthält Texte wie '5.3.2001': weder Datumswerte (Tage seit dem "
              "30.12.1899) noch Datumstexte der Form JJJJ-MM-TT hh:mm:ss.");
}

// A host that starts a new file with ISO texts: while the field held no
// value the storage is decided anew, on the engine's connection and on the
// host's own.
TEST_F(SqliteDatabaseTest, TheStorageOfAnEmptyDateFieldIsDecidedOnceItHoldsValues) {
    host.Execute(kIsoTable);
    const std::string march = RangeText("Text", "Datum", "3/1/2001", "4/1/2001");
    const std::shared_ptr<Database> both[] = {Open(), SqliteDatabase::Attach(host.Handle())};
    for (const auto& db : both) EXPECT_TRUE(db->OpenRecordset(march)->IsEOF());
    host.Execute("INSERT INTO Text (Datum, Name) VALUES ('2001-03-05 09:00:00', 'a'), ('2001-03-06T10:00', 'b')");
    for (const auto& db : both) EXPECT_EQ(ReadDates(*db->OpenRecordset(march)), kIsoDates);
}

TEST_F(SqliteDatabaseTest, EngineErrorsCarrySqlitesMessageAndTheQueryText) {
    auto db = Open();
    const std::string wrongTable = RangeText("Terminee", "Datum", "3/5/2001", "3/12/2001");
    try {
        db->CreateQueryDef("", wrongTable);
        FAIL();
    } catch (const SqliteError& error) {
        EXPECT_EQ(error.Description(), "Die Datenbank weist die Abfrage zurück: no such table: Terminee");
        EXPECT_EQ(error.QueryText(), wrongTable);
        EXPECT_EQ(error.ResultCode(), SQLITE_ERROR);
    }
    EXPECT_EQ(ErrorOf([&] { db->OpenRecordset(RangeText("Termine", "Datumm", "3/5/2001", "3/12/2001")); }),
              "Die Datenbank weist die Abfrage zurück: no such column: Termine.Datumm");
    EXPECT_EQ(ErrorOf([&] { db->OpenRecordset(DayText("Termine", "Datumm", "3/5/2001")); }),
              "Die Datenbank weist die Abfrage zurück: no such column: Datumm");
}

// A host connection keeps SQLite's defaults, where a double-quoted unknown
// name becomes a string; the translator's brackets never do.
TEST_F(SqliteDatabaseTest, MisspelledNamesAreErrorsOnAHostsConnectionToo) {
    host.InsertDate("Termine", kMarch5, "x");
    auto db = SqliteDatabase::Attach(host.Handle());
    EXPECT_EQ(ErrorOf([&] { db->OpenRecordset("SELECT * From Termine WHERE Termine.Nam = 'x'"); }),
              "Die Datenbank weist die Abfrage zurück: no such column: Termine.Nam");
}

TEST_F(SqliteDatabaseTest, WritingStatementsAndSecondStatementsAreRefusedBeforeTheyRun) {
    host.InsertDate("Termine", kMarch5, "bleibt");
    const std::string write = "DELETE FROM Termine";
    EXPECT_EQ(ErrorOf([&] { PrepareReadOnly(host.Handle(), write, write, false); }),
              "Die Abfrage würde die Datenbank ändern; der Kalender liest nur.");
    const std::string two = "SELECT 1; DELETE FROM Termine";
    EXPECT_EQ(ErrorOf([&] { PrepareReadOnly(host.Handle(), two, two, false); }),
              "Die Abfrage enthält mehr als eine Anweisung.");
    EXPECT_EQ(ErrorOf([&] { Open()->OpenRecordset("SELECT * From Termine; DELETE From Termine"); }),
              "Die Abfrage enthält mehr als eine Anweisung.");
    EXPECT_EQ(ReadDates(*Open()->OpenRecordset("SELECT * From Termine WHERE Termine.Datum >= #1/1/2000#")).size(), 1u);
}

TEST_F(SqliteDatabaseTest, OpeningReportsMissingAndForeignFilesAndCreatesNothing) {
    const std::string missing = folder.File("fehlt.sqlite");
    EXPECT_EQ(ErrorOf([&] { SqliteDatabase::Open(missing); }),
              "Die Datenbank " + missing + " lässt sich nicht öffnen: unable to open database file");
    EXPECT_FALSE(std::filesystem::exists(missing));

    const std::string text = folder.File("notiz.txt");
    std::ofstream(text) << "Dies ist keine Datenbank, sondern ein Text mit mehr als hundert Zeichen, damit SQLite "
                           "ihn als Datei und nicht als leer ansieht.";
    EXPECT_EQ(ErrorOf([&] { SqliteDatabase::Open(text); }),
              "Die Datenbank " + text + " lässt sich nicht lesen: file is not a database");
    EXPECT_EQ(ErrorOf([&] { SqliteDatabase::Open(""); }),
              "Die Datenbank lässt sich nicht öffnen: kein Dateiname angegeben.");
    EXPECT_EQ(ErrorOf([&] { SqliteDatabase::Attach(nullptr); }),
              "Die Datenbank lässt sich nicht öffnen: keine Verbindung übergeben.");
}

TEST_F(SqliteDatabaseTest, AReadOnlyFileIsReadAndLeftAsItWas) {
    host.InsertDate("Termine", kMarch5, "x");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    const std::string before = ReadFile(path);
    {
        auto db = Open();
        EXPECT_EQ(db->Name(), path);
        EXPECT_EQ(ReadDates(*db->OpenRecordset(kDay)).size(), 1u);
    }
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
    ::chmod(path.c_str(), 0644);
}

TEST_F(SqliteDatabaseTest, AFileLockedByAWriterFailsAfterTheBusyTimeoutAndWorksOnceItIsFree) {
    host.InsertDate("Termine", kMarch5, "alt");
    const SqliteOptions impatient{.busyTimeoutMs = 50};
    auto db = Open(impatient);
    db->Prepare(kDay);

    host.Execute("BEGIN EXCLUSIVE");
    host.InsertDate("Termine", kMarch5 + 0.5, "neu");
    EXPECT_EQ(ErrorOf([&] { Open(impatient); }),
              "Die Datenbank " + path + " lässt sich nicht lesen: database is locked");
    try {
        db->OpenRecordset(kDay);
        FAIL();
    } catch (const SqliteError& error) {
        EXPECT_EQ(error.Description(), "Die Abfrage ließ sich nicht ausführen: database is locked");
        EXPECT_EQ(error.ResultCode() & 0xFF, SQLITE_BUSY);
    }
    host.Execute("COMMIT");
    EXPECT_EQ(ReadDates(*db->OpenRecordset(kDay)).size(), 2u);
}

TEST_F(SqliteDatabaseTest, ASecondConnectionWritesWhileTheControlReadsASnapshot) {
    host.Execute("PRAGMA journal_mode = WAL");
    host.InsertDate("Termine", kMarch5 + 0.25, "eins");
    host.InsertDate("Termine", kMarch5 + 0.5, "zwei");
    auto db = Open();
    auto before = db->OpenRecordset(kDay);
    host.Execute("BEGIN");
    host.InsertDate("Termine", kMarch5 + 0.75, "drei");
    // The writer's open transaction neither blocks the read nor shows in it.
    EXPECT_EQ(ReadDates(*db->OpenRecordset(kDay)).size(), 2u);
    host.Execute("COMMIT");
    auto after = db->OpenRecordset(kDay);
    host.Execute("DELETE FROM Termine");
    EXPECT_EQ(ReadDates(*before).size(), 2u);
    EXPECT_EQ(ReadDates(*after), (std::vector<double>{kMarch5 + 0.25, kMarch5 + 0.5, kMarch5 + 0.75}));
    EXPECT_TRUE(db->OpenRecordset(kDay)->IsEOF());
}

TEST_F(SqliteDatabaseTest, AHostsConnectionIsReadAndLeftOpenWithoutOurStatements) {
    {
        auto db = SqliteDatabase::Attach(host.Handle());
        EXPECT_EQ(db->Name(), path);
        host.InsertDate("Termine", kMarch5, "vom Gastgeber");
        EXPECT_EQ(db->OpenRecordset(kDay)->Field("Name").AsText(), "vom Gastgeber");
        EXPECT_EQ(StatementsOn(host.Handle()), 1);
    }
    EXPECT_EQ(StatementsOn(host.Handle()), 0);
    host.InsertDate("Termine", kMarch5, "danach");

    sqlite3* memory = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &memory), SQLITE_OK);
    EXPECT_EQ(SqliteDatabase::Attach(memory)->Name(), ":memory:");
    sqlite3_close(memory);
}

TEST_F(SqliteDatabaseTest, TheStatementCacheKeepsTheMostRecentlyUsedTexts) {
    auto db = SqliteDatabase::Attach(host.Handle(), {.statementCacheSize = 2});
    db->Prepare(kDay);
    db->Prepare(kDay);
    EXPECT_EQ(StatementsOn(host.Handle()), 1);
    db->OpenRecordset(DayText("Termine", "Datum", "3/6/2001"));
    db->OpenRecordset(DayText("Termine", "Datum", "3/7/2001"));
    EXPECT_EQ(StatementsOn(host.Handle()), 2);
    host.InsertDate("Termine", kMarch5, "x");
    EXPECT_EQ(ReadDates(*db->OpenRecordset(kDay)).size(), 1u);
    EXPECT_EQ(StatementsOn(host.Handle()), 2);
}

TEST_F(SqliteDatabaseTest, QueryDefinitionsAreTemporaryAndOutliveTheirDatabaseObject) {
    host.InsertDate("Termine", kMarch5, "x");
    auto db = Open();
    EXPECT_EQ(ErrorOf([&] { db->CreateQueryDef("Woche", kWeek); }),
              "Die Abfrage Woche lässt sich nicht speichern: der Kalender liest nur und legt nur Abfragen ohne "
              "Namen an.");
    EXPECT_EQ(ErrorOf([&] { db->CreateQueryDef("", "SELECT * From Termine WHERE Termine.Datum = #2/30/2001#"); }),
              "Ungültiges Datumsliteral #2/30/2001#: diesen Tag oder diese Uhrzeit gibt es nicht.");
    auto query = db->CreateQueryDef("", kWeek);
    db.reset();
    EXPECT_EQ(query->SQL(), kWeek);
    EXPECT_EQ(ReadDates(*query->OpenRecordset()).size(), 1u);
}

// Rows read before are handed out again only while the file is unchanged.
// Through a host's own connection the host's writes leave the change
// counter as it is, so there every load reads.
TEST_F(SqliteDatabaseTest, RowsAreReadAgainOnlyWhenTheFileChanged) {
    host.InsertDate("Termine", kMarch5, "a");
    auto db = Open();
    const std::string text = "SELECT * From Termine";
    db->OpenRecordset(text);
    EXPECT_EQ(ReadDates(*db->OpenRecordset(text)).size(), 1u);
    EXPECT_EQ(db->QueriesRun(), 1u);
    host.InsertDate("Termine", kMarch5, "b");
    EXPECT_EQ(ReadDates(*db->OpenRecordset(text)).size(), 2u);
    EXPECT_EQ(db->QueriesRun(), 2u);

    // A view may give other rows without any commit (here it reads
    // random()); so may a table the host swaps for a view.
    host.Execute("CREATE VIEW Zufall AS SELECT abs(random()) AS Nummer");
    for (const std::string& view : {std::string("SELECT * From Zufall"), text}) {
        if (view == text) host.Execute("ALTER TABLE Termine RENAME TO Alt; CREATE VIEW Termine AS SELECT * FROM Alt");
        const std::size_t before = db->QueriesRun();
        db->OpenRecordset(view);
        db->OpenRecordset(view);
        EXPECT_EQ(db->QueriesRun(), before + 2) << view;
    }

    auto attached = SqliteDatabase::Attach(host.Handle());
    attached->OpenRecordset(text);
    host.InsertDate("Alt", kMarch5, "c");
    EXPECT_EQ(ReadDates(*attached->OpenRecordset(text)).size(), 3u);
}

// The budget holds the rows kept: the oldest go first, and rows larger than
// it are not kept at all.
TEST_F(SqliteDatabaseTest, KeptRowsStayWithinTheirBudgetInBytes) {
    host.Execute("WITH RECURSIVE k(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM k WHERE n < 200) "
                 "INSERT INTO Termine (Datum, Name) SELECT 36955 + n, printf('%100d', n) FROM k");
    auto db = Open({.keptResultBytes = 40'000});
    const std::string all = "SELECT * From Termine", half = "SELECT * From Termine WHERE Termine.TerminID <= 100",
                      few = "SELECT * From Termine WHERE Termine.TerminID <= 10";
    auto runs = [&](const std::string& text) {
        const std::size_t before = db->QueriesRun();
        db->OpenRecordset(text);
        return db->QueriesRun() - before;
    };
    EXPECT_EQ(runs(all) + runs(all), 2u);  // about 50,000 bytes: never kept
    EXPECT_EQ(runs(few) + runs(half) + runs(few), 2u);
    EXPECT_EQ(runs(half), 0u);
    // Another 25,000 bytes: the few rows kept longest ago make room.
    EXPECT_EQ(runs("SELECT * From Termine WHERE Termine.TerminID > 100"), 1u);
    EXPECT_EQ(runs(few), 1u);
}

TEST_F(SqliteDatabaseTest, RealNumbersBeyondTwoToThe53AreRefusedNamingTheField) {
    host.Execute("CREATE TABLE Ids (Nr INTEGER, TerminID);"
                 "INSERT INTO Ids VALUES (1, 9007199254740991.0), (2, 1e20), (3, 9223372036854775807)");
    auto records = Open()->OpenRecordset("SELECT * From Ids ORDER BY Ids.Nr");
    EXPECT_EQ(records->Field("TerminID").AsText(), "9007199254740991");
    records->MoveNext();
    EXPECT_EQ(ErrorOf([&] { records->Field("TerminID"); }),
              "Das Feld TerminID enthält die Zahl 1e+20; Zahlen ab 2^53 (9007199254740992) lassen sich nicht genau "
              "lesen.");
    records->MoveNext();
    EXPECT_EQ(records->Field("TerminID").AsText(), "9223372036854775807");
}

// Every comparison of a date field and of its date part with a literal, on
// REAL day counts and on ISO texts, with the rewrite to a range and without,
// selects the rows the calendar does, in its order.
TEST_F(SqliteDatabaseTest, EveryComparisonSelectsTheDaysOfTheCalendarInItsOrder) {
    using namespace agendor::testing;
    host.Execute("CREATE TABLE Iso (ID INTEGER PRIMARY KEY, Datum TEXT, Name TEXT)");
    for (int i = 0; i < static_cast<int>(std::size(kMoments)); ++i) {
        const Moment& m = kMoments[i];
        char iso[32];
        std::snprintf(iso, sizeof iso, "%04d-%02d-%02d %02d:%02d:%02d", m.year, m.month, m.day, m.hour, m.minute,
                      m.second);
        host.InsertDate("Termine", m.Value(), std::to_string(i));
        host.Execute("INSERT INTO Iso (Datum, Name) VALUES ('" + std::string(iso) + "', '" + std::to_string(i) + "')");
    }
    // kMoments are listed in calendar order.
    const auto expected = [](const std::string& op, const Moment& literal, bool datePart) {
        std::vector<std::string> names;
        for (int i = 0; i < static_cast<int>(std::size(kMoments)); ++i) {
            const double value = kMoments[i].Value();
            const double left = datePart ? static_cast<double>(dt::DayNumber(value)) : value;
            if (Holds(CalendarKey(left), op, CalendarKey(literal.Value()))) names.push_back(std::to_string(i));
        }
        return names;
    };
    for (const auto& [storage, table] : {std::pair{DateStorage::Real, "Termine"}, {DateStorage::IsoText, "Iso"}}) {
        const std::string field = table + std::string(".Datum");
        for (const bool rewrite : {true, false}) {
            auto db = Open({.dateStorage = storage, .rewriteDateValue = rewrite});
            for (const Moment& literal : kLiterals) {
                for (const std::string op : kComparisons) {
                    for (const bool datePart : {false, true}) {
                        const std::string text = "SELECT * From " + std::string(table) + " WHERE " +
                                                 (datePart ? "DateValue(" + field + ")" : field) + " " + op + " " +
                                                 literal.Literal() + " ORDER BY " + field;
                        EXPECT_EQ(ReadNames(*db->OpenRecordset(text)), expected(op, literal, datePart))
                            << TranslateQuery(text, {storage, rewrite}).sql;
                    }
                }
            }
        }
    }
}

} // namespace
} // namespace agendor::sqlite
