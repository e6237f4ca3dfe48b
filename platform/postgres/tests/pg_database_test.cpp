// The PostgreSQL engine on the tests' server: name resolution, the read-only
// session on one connection with its prepared statements, reading the
// server's types, the plans of the translated texts, and a connection that
// drops when the server restarts (the control meeting a cut connection is
// checked in tests/hardening).
#include "agendor/platform/postgres/pg_database.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "agendor/core/date_time.h"
#include "agendor/platform/postgres/pg_error.h"
#include "agendor/platform/postgres/pg_handles.h"
#include "agendor/platform/postgres/pg_sample.h"
#include "tests/support/pg_test_schema.h"
#include "tests/support/error_of.h"

namespace agendor::postgres {
namespace {

using agendor::testing::PgTestSchema;

const std::string kRange =
    "SELECT *  From Termine WHERE (((Termine.Datum)>=#3/5/2001# And (Termine.Datum)<#3/12/2001#)) ORDER BY "
    "Termine.Datum";
const std::string kDay = "SELECT *  From Termine WHERE (((DateValue([Datum]))=#3/6/2001#)) ORDER BY Termine.Datum";

std::vector<std::string> Column(Recordset& records, const std::string& field) {
    std::vector<std::string> values;
    for (; !records.IsEOF(); records.MoveNext()) values.push_back(records.Field(field).AsText());
    return values;
}

const std::string kTermine = "CREATE TABLE \"Termine\" (\"TerminID\" integer, \"Datum\" timestamp, \"Person\" text)";
const std::string kMeier = kTermine + ";INSERT INTO \"Termine\" VALUES (1, '2001-03-06 09:00', 'Meier')";

// The SQLSTATE of the error loading text raises, or "(no error)".
std::string SqlStateOf(PgDatabase& db, const std::string& text = kDay) {
    try {
        db.OpenRecordset(text);
    } catch (const PgError& error) {
        return error.SqlState();
    }
    return "(no error)";
}

TEST(PgDatabase, NamesAreFoundWithoutRegardToCaseWhetherFoldedOrQuoted) {
    PgTestSchema schema;
    // A host that created its tables without quotes has lower-case names;
    // one that quoted them keeps its capitals.
    schema.Execute(
        "CREATE TABLE termine (terminid integer, datum timestamp, person text);"
        "CREATE TABLE \"PersonenListe\" (\"PersonID\" integer, \"Name\" text);"
        "INSERT INTO termine VALUES (1, '2001-03-06 09:00', 'Meier'), (2, '2001-03-12 00:00', 'Später');"
        "INSERT INTO \"PersonenListe\" VALUES (1, 'Meier');");
    auto db = PgDatabase::Open(schema.Conninfo());
    auto range = db->CreateQueryDef("", kRange)->OpenRecordset();
    EXPECT_EQ(Column(*range, "Person"), std::vector<std::string>{"Meier"});
    EXPECT_EQ(Column(*db->OpenRecordset(kDay), "PERSON"), std::vector<std::string>{"Meier"});
    auto persons = db->OpenRecordset("SELECT personenliste.name,PERSONENLISTE.personid From personenliste ORDER BY "
                                     "personenliste.name");
    EXPECT_EQ(Column(*persons, "Name"), std::vector<std::string>{"Meier"});
}

TEST(PgDatabase, OneReadOnlyConnectionPreparesEachTextOnce) {
    PgTestSchema schema;
    schema.Execute(kTermine);
    auto db = PgDatabase::Open(schema.Conninfo());
    const int backend = db->BackendPid();
    ASSERT_NE(backend, 0);
    for (int i = 0; i < 3; ++i) {
        db->CreateQueryDef("", kRange)->OpenRecordset();
        db->OpenRecordset(kDay);
    }
    EXPECT_EQ(db->BackendPid(), backend);
    EXPECT_EQ(schema.Value("SELECT count(*) FROM pg_stat_activity WHERE pid = " + std::to_string(backend)), "1");
    // The session's own statements: the two texts, this one and the one
    // asking for the server's snapshot.
    auto prepared = db->OpenRecordset("SELECT pg_prepared_statements.name From pg_prepared_statements");
    prepared->MoveLast();
    EXPECT_EQ(prepared->RecordCount(), 4);

    auto setting = db->OpenRecordset("SELECT setting From pg_settings WHERE name = 'default_transaction_read_only'");
    EXPECT_EQ(setting->Field("setting").AsText(), "on");
    EXPECT_EQ(ErrorOf([&] { db->OpenRecordset("DELETE From Termine"); }).rfind("Nur Abfragen mit SELECT", 0), 0u);
    EXPECT_EQ(ErrorOf([&] { db->OpenRecordset("SELECT * From Termine; DELETE From Termine"); }),
              "Die Abfrage enthält mehr als eine Anweisung.");
    EXPECT_EQ(ErrorOf([&] { db->CreateQueryDef("Gespeichert", kRange); }).rfind("Die Abfrage Gespeichert", 0), 0u);
}

TEST(PgDatabase, TheServersTypesAreReadAsNumbersDateTimesAndText) {
    PgTestSchema schema;
    schema.Execute(
        "CREATE TABLE \"Werte\" (\"Nr\" integer, \"Zeit\" timestamp, \"ZeitZone\" timestamptz, \"Tag\" date, "
        "\"Zahl\" double precision, \"Betrag\" numeric, \"Gross\" bigint, \"Ja\" boolean, \"Text\" varchar(20));"
        "INSERT INTO \"Werte\" VALUES (1, '1899-12-29 06:00', '2001-03-05 09:30+01', '2001-03-05', -1.25, 2.5, "
        "5000000000, true, 'Müller'),"
        "(2, '10000-01-01 00:00', NULL, NULL, 'NaN', NULL, NULL, false, NULL)");
    // The timestamp with time zone in the desk's zone (the tests' TZ).
    auto db = PgDatabase::Open(schema.Conninfo());
    auto records = db->OpenRecordset("SELECT * From Werte ORDER BY Werte.Nr");
    EXPECT_EQ(records->Field("Zeit").AsDateTime(), -1.25);
    EXPECT_EQ(records->Field("ZeitZone").AsDateTime(), dt::FromYmdHms(2001, 3, 5, 9, 30, 0));
    EXPECT_EQ(records->Field("Tag").AsDateTime(), dt::FromYmd(2001, 3, 5));
    EXPECT_EQ(records->Field("Zahl").AsDateTime(), -1.25);
    EXPECT_EQ(records->Field("Betrag").AsText(), "2.5");
    EXPECT_EQ(std::get<std::int64_t>(records->Field("Gross").Raw()), 5'000'000'000);
    EXPECT_EQ(records->Field("Ja").AsInt32(), -1);
    EXPECT_EQ(records->Field("Text").AsText(), "Müller");
    records->MoveNext();
    // A value no date-time can hold fails when it is read, not before.
    EXPECT_EQ(ErrorOf([&] { records->Field("Zeit"); }),
              "Das Datumsfeld Zeit enthält '10000-01-01 00:00:00', keinen Tag zwischen dem 1.1.100 und dem 31.12.9999.");
    EXPECT_NE(ErrorOf([&] { records->Field("Zahl").AsDateTime(); }), "(no error)");
    EXPECT_TRUE(records->Field("Text").IsNull());
}

TEST(PgDatabase, TheRangeAndTheDayUseTheIndexAndTheLiteralDayScans) {
    PgTestSchema schema;
    schema.Execute(kTermine +
                   ";INSERT INTO \"Termine\" SELECT i, TIMESTAMP '2000-01-01' + i * INTERVAL '17 minutes', 'P' || i "
                   "FROM generate_series(1, 20000) i;"
                   "CREATE INDEX \"Termine_Datum\" ON \"Termine\" (\"Datum\"); ANALYZE \"Termine\"");
    auto db = PgDatabase::Open(schema.Conninfo());
    PgOptions literal;
    literal.rewriteDateValue = false;
    auto scanning = PgDatabase::Open(schema.Conninfo(), literal);
    schema.Execute("SET search_path = " + schema.Name());
    auto plan = [&](const std::string& sql) { return schema.Lines("EXPLAIN " + sql); };
    // The bounds go into the index; the computed day is a filter on every row.
    EXPECT_NE(plan(db->Translate(kRange)).find("Index Cond"), std::string::npos) << plan(db->Translate(kRange));
    EXPECT_NE(plan(db->Translate(kDay)).find("Index Cond"), std::string::npos) << plan(db->Translate(kDay));
    EXPECT_EQ(plan(scanning->Translate(kDay)).find("Index Cond"), std::string::npos) << plan(scanning->Translate(kDay));
    EXPECT_EQ(Column(*db->OpenRecordset(kDay), "TerminID"), Column(*scanning->OpenRecordset(kDay), "TerminID"));
}

// A server of its own for the tests that restart it or need it quiet,
// stopped at the end.
class RestartedServer {
public:
    explicit RestartedServer(const std::string& name)
        : dir_("/tmp/agendor-pg-" + name + "-" + std::to_string(::getpid())),
          script_(std::string("bash ") + AGENDOR_PG_SERVER_SCRIPT) {
        started_ = std::system((script_ + " start " + dir_ + " agendor >/dev/null").c_str()) == 0;
    }
    ~RestartedServer() { (void)std::system((script_ + " stop " + dir_).c_str()); }
    RestartedServer(const RestartedServer&) = delete;
    RestartedServer& operator=(const RestartedServer&) = delete;

    bool Started() const { return started_; }
    bool Restart() const { return std::system((script_ + " restart " + dir_).c_str()) == 0; }
    std::string Conninfo() const { return "host=" + dir_ + " user=postgres dbname=agendor"; }

private:
    std::string dir_;
    std::string script_;
    bool started_ = false;
};

TEST(PgDatabase, ADroppedConnectionIsOneClearErrorAndTheNextLoadConnectsAgain) {
    RestartedServer server("restart");
    ASSERT_TRUE(server.Started());
    PgTestSchema schema(server.Conninfo());
    schema.Execute(kMeier);
    auto db = PgDatabase::Open(schema.Conninfo());
    EXPECT_EQ(Column(*db->OpenRecordset(kDay), "Person"), std::vector<std::string>{"Meier"});
    const int before = db->BackendPid();

    ASSERT_TRUE(server.Restart());
    const std::string error = ErrorOf([&] { db->OpenRecordset(kDay); });
    EXPECT_TRUE(error.starts_with(
        "Die Verbindung zum Datenbankserver ist abgebrochen; sie wird beim nächsten Laden neu aufgebaut"))
        << error;
    EXPECT_EQ(Column(*db->CreateQueryDef("", kDay)->OpenRecordset(), "Person"), std::vector<std::string>{"Meier"});
    EXPECT_NE(db->BackendPid(), before);
}

// The persons in German order straight from the sample's name index: a
// sort with the ICU collation costs the server several times as much. On a
// server of its own: another session's snapshot would keep the sample's
// VACUUM from marking the pages visible to all, which the plan relies on.
TEST(PgDatabase, TheSamplesPersonsComeFromTheirNameIndexAlone) {
    RestartedServer server("sample");
    ASSERT_TRUE(server.Started());
    PgTestSchema schema(server.Conninfo());
    PgSampleOptions options;
    options.parameters = {1000, 100, 2020, 2020, 6};
    CreateSampleOnServer(schema.Conninfo(), options);
    auto db = PgDatabase::Open(schema.Conninfo());
    schema.Execute("SET search_path = " + schema.Name());
    const std::string plan = schema.Lines(
        "EXPLAIN " + db->Translate("SELECT Personen.Name,Personen.PersonID From Personen ORDER BY Personen.Name"));
    EXPECT_EQ(plan.rfind("Index Only Scan using \"Personen_Name\"", 0), 0u) << plan;
}

// What a private server shows of an unchanged result handed out again: the
// query does not reach the table while no transaction has committed (a
// host's exclusive lock does not hold it up, where the same load without
// reuse waits for the lock and gives up), it does after a commit and always
// for a view (also one put in place of the table), and a new connection
// after a restart keeps nothing from the old one even where the server's
// snapshot reads the same again.
TEST(PgDatabase, AnUnchangedResultIsHandedOutAgainUntilACommitOrAReconnect) {
    RestartedServer server("reuse");
    ASSERT_TRUE(server.Started());
    PgTestSchema schema(server.Conninfo());
    // Nothing but the test may start a transaction on this server.
    schema.Execute("ALTER SYSTEM SET autovacuum = off");
    schema.Execute("SELECT pg_reload_conf()");
    schema.Execute(kMeier + ";CREATE VIEW \"Kommende\" AS SELECT * FROM \"Termine\" "
                            "WHERE \"Datum\" > now() - INTERVAL '100 years'");
    // A load that meets a lock gives up after 0.3 s instead of waiting.
    const std::string conninfo =
        server.Conninfo() + " options='-c search_path=" + schema.Name() + " -c lock_timeout=300'";
    auto reusing = PgDatabase::Open(conninfo);
    PgOptions coldOptions;
    coldOptions.reuseUnchangedResults = false;
    auto cold = PgDatabase::Open(conninfo, coldOptions);
    const std::string view = "SELECT * From Kommende";
    const std::vector<std::string> meier = {"Meier"};
    const std::vector<std::string> both = {"Meier", "Ober"};
    EXPECT_EQ(Column(*reusing->OpenRecordset(kDay), "Person"), meier);
    EXPECT_EQ(Column(*cold->OpenRecordset(kDay), "Person"), meier);
    EXPECT_EQ(Column(*reusing->OpenRecordset(view), "Person"), meier);

    schema.Execute("BEGIN; LOCK TABLE \"Termine\" IN ACCESS EXCLUSIVE MODE");
    EXPECT_EQ(Column(*reusing->CreateQueryDef("", kDay)->OpenRecordset(), "Person"), meier);
    EXPECT_EQ(SqlStateOf(*cold), "55P03");  // lock_not_available
    // A view may read the clock: it runs every time.
    EXPECT_EQ(SqlStateOf(*reusing, view), "55P03");
    schema.Execute("INSERT INTO \"Termine\" VALUES (2, '2001-03-06 10:00', 'Ober')");
    schema.Execute("COMMIT");
    EXPECT_EQ(Column(*reusing->OpenRecordset(kDay), "Person"), both);
    const std::string snapshot = schema.Value("SELECT pg_current_snapshot()");

    ASSERT_TRUE(server.Restart());
    PQreset(schema.Handle());
    schema.Execute("BEGIN; LOCK TABLE \"Termine\" IN ACCESS EXCLUSIVE MODE");
    // The restarted server continues the transaction count where it stopped,
    // so only the reconnect tells the stored result from a current one.
    ASSERT_EQ(schema.Value("SELECT pg_current_snapshot()"), snapshot);
    EXPECT_EQ(SqlStateOf(*reusing), "");  // the lost connection, reported once
    EXPECT_EQ(SqlStateOf(*reusing), "55P03");
    schema.Execute("ROLLBACK");
    EXPECT_EQ(Column(*reusing->OpenRecordset(kDay), "Person"), both);

    // The table renamed and a view put in its place: the prepared text now
    // reads the view, and runs every time.
    schema.Execute(
        "ALTER TABLE \"Termine\" RENAME TO \"TermineAlt\";"
        "CREATE VIEW \"Termine\" AS SELECT * FROM \"TermineAlt\" WHERE \"Datum\" > now() - INTERVAL '100 years'");
    EXPECT_EQ(Column(*reusing->OpenRecordset(kDay), "Person"), both);
    schema.Execute("BEGIN; LOCK TABLE \"TermineAlt\" IN ACCESS EXCLUSIVE MODE");
    EXPECT_EQ(SqlStateOf(*reusing), "55P03");
    schema.Execute("ROLLBACK");
}

// The kept results of a connection share one budget in bytes: a result
// larger than it is never kept, and the one kept longest ago makes room
// first. Which text still has its result kept shows as before: a kept one
// comes back while the host holds an exclusive lock, the others wait and
// give up.
TEST(PgDatabase, KeptResultsShareOneBudgetTheOldestGoingFirst) {
    RestartedServer server("budget");
    ASSERT_TRUE(server.Started());
    PgTestSchema schema(server.Conninfo());
    schema.Execute("ALTER SYSTEM SET autovacuum = off");
    schema.Execute("SELECT pg_reload_conf()");
    schema.Execute(kTermine +
                   " WITH (autovacuum_enabled = off);"
                   "INSERT INTO \"Termine\" SELECT i, TIMESTAMP '2001-03-06 09:00', repeat('x', 100) "
                   "FROM generate_series(1, 200) i");
    auto third = [](int k) {
        return "SELECT * From Termine WHERE Termine.TerminID > " + std::to_string(k * 60) +
               " And Termine.TerminID <= " + std::to_string(k * 60 + 60);
    };
    const std::string all = "SELECT * From Termine";
    const std::string conninfo = schema.Conninfo("-c lock_timeout=300");
    PgOptions options;
    auto db = PgDatabase::Open(conninfo, options);
    // What one third takes, in the form the session reads it in.
    const Result sized(PQexecParams(schema.Handle(), db->Translate(third(0)).c_str(), 0, nullptr, nullptr, nullptr,
                                    nullptr, 1));
    options.keptResultBytes = PQresultMemorySize(sized.get()) * 5 / 2;
    db = PgDatabase::Open(conninfo, options);
    for (const std::string& text : {all, third(0), third(1), third(2)}) db->OpenRecordset(text);

    schema.Execute("BEGIN; LOCK TABLE \"Termine\" IN ACCESS EXCLUSIVE MODE");
    EXPECT_EQ(SqlStateOf(*db, all), "55P03");
    EXPECT_EQ(SqlStateOf(*db, third(0)), "55P03");
    EXPECT_EQ(SqlStateOf(*db, third(1)), "(no error)");
    EXPECT_EQ(SqlStateOf(*db, third(2)), "(no error)");
    schema.Execute("ROLLBACK");
}

} // namespace
} // namespace agendor::postgres
