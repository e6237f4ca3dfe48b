// The control's session on servers configured as offices configure them and
// under a careless or hostile role: a server that reads backslashes in
// texts, functions planted on the search path, a table another session has
// locked, a server in another time zone, numbers a double cannot hold.
#include <chrono>
#include <fstream>
#include <future>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "agendor/control/agendor.h"
#include "agendor/control/instance_access.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/memory/surface.h"
#include "agendor/platform/postgres/pg_database.h"
#include "agendor/platform/postgres/pg_error.h"
#include "agendor/sheet/sheet_model.h"
#include "tests/support/error_of.h"
#include "tests/support/pg_test_schema.h"
#include "tests/support/test_control.h"

namespace agendor::postgres {
namespace {

using agendor::testing::PgTestSchema;

const char* const kTables =
    "CREATE TABLE \"Personen\" (\"PersonID\" serial PRIMARY KEY, \"Name\" text);"
    "INSERT INTO \"Personen\" (\"Name\") SELECT 'P' || i FROM generate_series(1, 200) i;"
    "CREATE TABLE \"Termine\" (\"TerminID\" integer, \"Datum\" timestamp, \"Person\" text);"
    "INSERT INTO \"Termine\" VALUES (1, '2001-11-20 09:30', 'P1')";

// The control on the memory widgets over a database on the server, showing
// November 2001.
struct Desk {
    explicit Desk(std::shared_ptr<Database> database) {
        agendor::testing::SetUpTestControl(control);
        control.SetWorkspace(std::make_shared<Workspace>());
        control.SetDatabase(std::move(database));
        InstanceOf(control).state.View = agMonat;
        control.SetDateValue(dt::FromYmd(2001, 11, 14));
    }
    // The boxes one Refresh showed, and the error it passed to the host.
    std::vector<std::string> Refresh() {
        const std::size_t before = surface.container.Messages().size();
        const std::string raised = ErrorOf([&] {
            control.Refresh();
            surface.ProcessEvents();
        });
        std::vector<std::string> shown;
        for (std::size_t k = before; k < surface.container.Messages().size(); ++k)
            shown.push_back(surface.container.Messages()[k].text);
        if (raised != "(no error)") shown.push_back("raised: " + raised);
        return shown;
    }
    memory::MemorySurface surface;
    Agendor control{surface.surface()};
};

// Each property is a field and two texts in the dialect. A session that
// took \' for a quote would end the first text early and run the second as
// SQL: the dates' query switching the session's read-only default off, the
// persons' query setting the host's sequence back.
TEST(PgSession, HostilePropertiesOnAServerWithBackslashEscapesChangeNothing) {
    PgTestSchema schema;
    schema.Execute(kTables);
    Desk desk(PgDatabase::Open(schema.Conninfo("-c standard_conforming_strings=off "
                                               "-c default_transaction_isolation=serializable "
                                               "-c default_transaction_deferrable=on")));
    desk.control.SetFieldDatesDate(
        "Datum & '\\' & ')))) IS NULL OR pg_catalog.set_config($$default_transaction_read_only$$, $$off$$, false) "
        "IS NOT NULL --'");
    desk.control.SetFieldSourcePerson(
        "Name & '\\' & ')) || pg_catalog.setval($$\"Personen_PersonID_seq\"$$, 1)::text AS \"Name\", 1 AS "
        "\"PersonID\" FROM \"Personen\" --'");
    const std::vector<std::string> boxes = desk.Refresh();
    EXPECT_EQ(schema.Value("SELECT last_value FROM \"Personen_PersonID_seq\""), "200");
    EXPECT_EQ(schema.Value("SELECT count(*) FROM \"Personen\""), "200");
    // The texts are only texts: the server refuses to compare one with a
    // date, and the persons' field is not a field of the query.
    EXPECT_EQ(boxes, (std::vector<std::string>{
                         "Agendor-Fehlercode 4\r\nDie Abfrage ließ sich nicht ausführen: operator does not exist: "
                         "text >= integer",
                         "raised: Das Feld " + desk.control.FieldSourcePerson() + " gibt es in der Abfrage nicht."}));
    // Nor does a serializable, deferrable default make a load wait for a
    // safe snapshot.
    auto isolation = desk.control.Database()->OpenRecordset(
        "SELECT setting From pg_settings WHERE name = 'transaction_isolation'");
    EXPECT_EQ(isolation->Field("setting").AsText(), "read committed");
}

// Every statement the session sent, from the server's log: the log lines
// of the given server processes that carry a statement.
std::vector<std::string> LoggedStatements(const std::set<int>& pids) {
    const std::string conninfo = AGENDOR_PG_TEST_CONNINFO;
    const std::string dir = conninfo.substr(5, conninfo.find(' ') - 5);
    std::ifstream log(dir + "/server.log");
    std::vector<std::string> statements;
    const std::regex line(R"(\[(\d+)\].*?LOG:  (?:statement|execute [^:]+): (.*))");
    for (std::string text; std::getline(log, text);) {
        std::smatch match;
        if (std::regex_search(text, match, line) && pids.count(std::stoi(match[1])) > 0)
            statements.push_back(match[2]);
    }
    return statements;
}

// The names a statement calls as functions without naming their schema,
// texts and quoted names left out.
std::vector<std::string> UnqualifiedCalls(const std::string& statement) {
    const std::string bare = std::regex_replace(statement, std::regex(R"('([^']|'')*'|\$\$.*?\$\$|"[^"]*")"), "x");
    static const std::set<std::string> kKeywords = {"select", "in", "exists", "and", "or", "not", "where", "on",
                                                    "from", "as", "any", "cast", "values", "by", "then", "else"};
    std::vector<std::string> calls;
    const std::regex call(R"(([A-Za-z_][A-Za-z_0-9.]*)\s*\()");
    for (auto it = std::sregex_iterator(bare.begin(), bare.end(), call); it != std::sregex_iterator(); ++it) {
        std::string name = (*it)[1];
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (!name.starts_with("pg_catalog.") && kKeywords.count(name) == 0) calls.push_back(name);
    }
    return calls;
}

// Functions of the catalog's names planted in a schema on the search path,
// before pg_catalog, by a role that may create there: each would take an
// advisory lock and switch the read-only default off. None runs, and no
// statement the session sends calls a function outside pg_catalog.
TEST(PgSession, FunctionsPlantedOnTheSearchPathNeverRun) {
    PgTestSchema schema;
    schema.Execute(kTables);
    schema.Execute(
        "CREATE FUNCTION translate(name, text, text) RETURNS text LANGUAGE plpgsql AS $$BEGIN "
        "PERFORM pg_catalog.pg_advisory_lock(4711); "
        "PERFORM pg_catalog.set_config('default_transaction_read_only', 'off', false); "
        "RETURN pg_catalog.translate($1::text, $2, $3); END$$;"
        "CREATE FUNCTION format_type(oid, integer) RETURNS text LANGUAGE plpgsql AS $$BEGIN "
        "PERFORM pg_catalog.pg_advisory_lock(4712); "
        "PERFORM pg_catalog.set_config('default_transaction_read_only', 'off', false); "
        "RETURN pg_catalog.format_type($1, $2); END$$;"
        "CREATE FUNCTION date_trunc(text, timestamp) RETURNS timestamp LANGUAGE plpgsql AS $$BEGIN "
        "PERFORM pg_catalog.pg_advisory_lock(4713); RETURN pg_catalog.date_trunc($1, $2); END$$");
    Desk desk(PgDatabase::Open(
        schema.Conninfo("-c search_path=" + schema.Name() + ",pg_catalog -c log_statement=all")));
    auto& db = static_cast<PgDatabase&>(*desk.control.Database());
    EXPECT_EQ(desk.Refresh(), std::vector<std::string>{});
    // The day grid's query, and a literal translation of it.
    db.OpenRecordset("SELECT * From Termine WHERE (((DateValue([Datum]))=#11/20/2001#)) ORDER BY Termine.Datum");
    db.OpenRecordset("SELECT DateValue(Datum) AS Tag From Termine");
    EXPECT_EQ(ErrorOf([&] { db.OpenRecordset("SELECT * From [Termine Alt]"); }),
              "Die Abfrage ließ sich nicht ausführen: relation \"Termine Alt\" does not exist");
    const std::string pid = std::to_string(db.BackendPid());
    EXPECT_EQ(schema.Value("SELECT string_agg(objid::text, ',') FROM pg_locks WHERE locktype = 'advisory' AND pid = " +
                           pid),
              "");
    EXPECT_EQ(schema.Value("SELECT setting FROM pg_settings WHERE name = 'default_transaction_read_only'"), "off");
    auto setting = db.OpenRecordset("SELECT setting From pg_settings WHERE name = 'default_transaction_read_only'");
    EXPECT_EQ(setting->Field("setting").AsText(), "on");

    const std::vector<std::string> statements = LoggedStatements({db.BackendPid()});
    EXPECT_GE(statements.size(), 8u);
    for (const std::string& statement : statements)
        EXPECT_EQ(UnqualifiedCalls(statement), std::vector<std::string>{}) << statement;
}

TEST(PgSession, ALockedTableEndsTheRefreshInTheBoxWithinTheLockTimeoutAndTheNextRefreshLoads) {
    PgTestSchema schema;
    schema.Execute(kTables);
    PgOptions options;
    options.lockTimeoutMs = 500;
    Desk desk(PgDatabase::Open(schema.Conninfo(), options));
    // Another session holds the lock until the load is over, or five seconds
    // at most, so that a load that waits without bound fails instead of hanging.
    PQclear(PQexec(schema.Handle(), "BEGIN; LOCK TABLE \"Termine\" IN ACCESS EXCLUSIVE MODE"));
    std::promise<void> loaded;
    std::thread holder([&schema, over = loaded.get_future()] {
        over.wait_for(std::chrono::seconds(5));
        PQclear(PQexec(schema.Handle(), "ROLLBACK"));
    });
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::string> boxes = desk.Refresh();
    const auto waited = std::chrono::steady_clock::now() - start;
    loaded.set_value();
    holder.join();
    EXPECT_LT(waited, std::chrono::seconds(2));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0],
              "Agendor-Fehlercode 4\r\nDie Tabelle Termine ist von einer anderen Sitzung gesperrt; das Laden hat "
              "0,5 Sekunden gewartet und wurde abgebrochen. Bitte später noch einmal laden.");

    EXPECT_EQ(desk.Refresh(), std::vector<std::string>{});
    const SheetCell cell = MonthCellOf(dt::FromYmd(2001, 11, 20));
    EXPECT_EQ(desk.surface.Grid.CellLines(cell.row, cell.col).back(), "09:30 P1");
}

TEST(PgSession, AStatementThatRunsTooLongEndsWithAClearError) {
    PgTestSchema schema;
    schema.Execute(kTables);
    schema.Execute("CREATE VIEW \"Langsam\" AS SELECT 1 AS \"Schlaf\" FROM pg_sleep(1)");
    PgOptions options;
    options.statementTimeoutMs = 300;
    auto db = PgDatabase::Open(schema.Conninfo(), options);
    EXPECT_EQ(ErrorOf([&] { db->OpenRecordset("SELECT * From Langsam"); }),
              "Die Abfrage lief länger als 0,3 Sekunden und wurde abgebrochen. Bitte später noch einmal laden.");
    // The connection string's own value wins over the option.
    auto patient = PgDatabase::Open(schema.Conninfo("-c statement_timeout=5000"), options);
    EXPECT_EQ(ErrorOf([&] { patient->OpenRecordset("SELECT * From Langsam"); }), "(no error)");
}

// A server that takes the connection and never answers (a socket that
// listens and never reads): the connect gives up after the timeout. The
// socket is closed after five seconds, so that a connect without a bound
// fails the test instead of hanging it.
TEST(PgSession, AServerThatNeverAnswersEndsTheConnectAfterTheTimeout) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    std::promise<void> done;
    std::thread closer([listener, finished = done.get_future()] {
        finished.wait_for(std::chrono::seconds(5));
        ::shutdown(listener, SHUT_RDWR);
    });
    PgOptions options;
    options.connectTimeoutSeconds = 2;
    const auto start = std::chrono::steady_clock::now();
    const std::string error = ErrorOf([&] {
        PgDatabase::Open("host=127.0.0.1 port=" + std::to_string(ntohs(address.sin_port)) + " dbname=agendor",
                         options);
    });
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    EXPECT_EQ(error, "Keine Verbindung zum Datenbankserver: er hat nicht innerhalb von 2 Sekunden geantwortet.");
    done.set_value();
    closer.join();
    ::close(listener);
}

// A server whose TimeZone is UTC, a desk in Berlin (the tests' TZ): each
// appointment shows at the wall-clock time it was booked at, in winter and
// in summer, one just after midnight on its own day, and the two hours of
// the switches: 02:30 on 31 Oct 2027 happens twice, 02:30 on 28 Mar 2027
// never (the instant after 01:59 CET is 03:00 CEST).
TEST(PgSession, TimestampsWithTimeZoneShowTheDesksWallClock) {
    PgTestSchema schema;
    schema.Execute(
        "CREATE TABLE \"Termine\" (\"TerminID\" integer, \"Datum\" timestamptz, \"Person\" text);"
        "INSERT INTO \"Termine\" VALUES (1, '2027-01-14 09:00 Europe/Berlin', 'Winter'),"
        "(2, '2027-07-14 09:00 Europe/Berlin', 'Sommer'), (3, '2027-01-15 00:30 Europe/Berlin', 'Nacht'),"
        "(4, '2027-10-31 00:30 UTC', 'Sommerzeit'), (5, '2027-10-31 01:30 UTC', 'Winterzeit'),"
        "(6, '2027-03-28 01:30 UTC', 'Sprung'), (7, '2027-03-27 23:30 UTC', 'Vorher')");
    auto rows = [](PgDatabase& db, const std::string& day) {
        std::string shown;
        auto records = db.OpenRecordset("SELECT * From Termine WHERE (((DateValue([Datum]))=#" + day +
                                        "#)) ORDER BY Termine.Datum");
        for (; !records->IsEOF(); records->MoveNext())
            shown += dt::Format(records->Field("Datum").AsDateTime(), "dd.mm.yyyy hh:mm", DefaultLocale()) + " " +
                     records->Field("Person").AsText() + "\n";
        return shown;
    };
    auto utcServer = PgDatabase::Open(schema.Conninfo("-c TimeZone=UTC"));
    EXPECT_EQ(rows(*utcServer, "1/14/2027"), "14.01.2027 09:00 Winter\n");
    EXPECT_EQ(rows(*utcServer, "7/14/2027"), "14.07.2027 09:00 Sommer\n");
    EXPECT_EQ(rows(*utcServer, "1/15/2027"), "15.01.2027 00:30 Nacht\n");
    EXPECT_EQ(rows(*utcServer, "10/31/2027"), "31.10.2027 02:30 Sommerzeit\n31.10.2027 02:30 Winterzeit\n");
    EXPECT_EQ(rows(*utcServer, "3/28/2027"), "28.03.2027 00:30 Vorher\n28.03.2027 03:30 Sprung\n");
    // A host that names another zone sees that zone's wall clock.
    const PgOptions newYork{.timeZone = "America/New_York"};
    EXPECT_EQ(rows(*PgDatabase::Open(schema.Conninfo("-c TimeZone=UTC"), newYork), "1/14/2027"),
              "14.01.2027 03:00 Winter\n14.01.2027 18:30 Nacht\n");
}

// Numbers a double holds only rounded are refused when read, naming the
// field, as numbers beyond 32 bits are refused where the control needs an
// id; the integer types come exactly.
TEST(PgSession, NumbersBeyondTwoToThe53AreRefusedNamingTheField) {
    PgTestSchema schema;
    schema.Execute(
        "CREATE TABLE \"Termine\" (\"Nr\" integer, \"TerminID\" numeric, \"Zahl\" double precision, \"Gross\" bigint);"
        "INSERT INTO \"Termine\" VALUES (1, 9007199254740991, 9007199254740991, 9007199254740993),"
        "(2, 9007199254740993, 1e20, 1), (3, -9007199254740993.5, -9007199254740992, 1)");
    auto db = PgDatabase::Open(schema.Conninfo());
    auto records = db->OpenRecordset("SELECT * From Termine ORDER BY Nr");
    EXPECT_EQ(records->Field("TerminID").AsText(), "9007199254740991");
    EXPECT_EQ(records->Field("Zahl").AsText(), "9007199254740991");
    EXPECT_EQ(records->Field("Gross").AsText(), "9007199254740993");
    const auto refused = [](const std::string& field, const std::string& number) {
        return "Das Feld " + field + " enthält die Zahl " + number +
               "; Zahlen ab 2^53 (9007199254740992) lassen sich nicht genau lesen.";
    };
    records->MoveNext();
    EXPECT_EQ(ErrorOf([&] { records->Field("TerminID"); }), refused("TerminID", "9007199254740993"));
    EXPECT_EQ(ErrorOf([&] { records->Field("Zahl"); }), refused("Zahl", "1e+20"));
    records->MoveNext();
    EXPECT_EQ(ErrorOf([&] { records->Field("TerminID"); }), refused("TerminID", "-9007199254740993.5"));
    // In the binary form, too.
    auto binary = db->OpenRecordset("SELECT Zahl From Termine WHERE Nr = 3");
    EXPECT_EQ(ErrorOf([&] { binary->Field("Zahl"); }), refused("Zahl", "-9007199254740992"));
}

} // namespace
} // namespace agendor::postgres
