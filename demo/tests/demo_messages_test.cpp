// agendor-demo as a person starts it without a display: a database path it
// cannot use is named in German and ends the run with an error, and a box
// the control shows goes to standard error instead of waiting for ever.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int exitCode;  // 124: timed out
    std::string output;
};

Outcome RunDemo(const std::string& arguments) {
    const std::string command = "QT_QPA_PLATFORM=offscreen TZ=Europe/Berlin timeout 60 " AGENDOR_DEMO_EXE " " +
                                arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {-1, "popen failed"};
    std::string output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

void CreateDatabase(const fs::path& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

class DemoMessages : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/agendor-demo-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Quoted(const fs::path& p) { return "'" + p.string() + "'"; }
    fs::path dir;
};

TEST_F(DemoMessages, ABadDatabasePathIsNamedAndEndsTheRun) {
    std::ofstream(dir / "notizen.txt") << "Dies ist keine Datenbank, sondern ein Text von mehr als sechzehn Zeichen.";
    CreateDatabase(dir / "fremd.sqlite", "CREATE TABLE Kunden (Id INTEGER);");
    struct Case {
        std::string argument, message;
    };
    const Case cases[] = {
        {Quoted(dir), "„" + dir.string() + "“ ist ein Ordner"},
        {Quoted(dir / "fehlt" / "termine.sqlite"), "der Ordner „" + (dir / "fehlt").string() + "“ existiert nicht"},
        {Quoted(dir / "notizen.txt"), "„" + (dir / "notizen.txt").string() + "“ ist keine SQLite-Datenbank"},
        {Quoted(dir / "fremd.sqlite"), "enthält keine Tabelle „Termine“"},
        {"''", "kein Pfad zur Datenbank angegeben"},
    };
    for (const Case& c : cases) {
        const Outcome run = RunDemo("--db " + c.argument + " --screenshot " + Quoted(dir / "bild.png"));
        EXPECT_EQ(run.exitCode, 1) << c.argument << "\n" << run.output;
        EXPECT_NE(run.output.find(c.message), std::string::npos) << c.argument << "\n" << run.output;
        EXPECT_EQ(run.output.find(".part"), std::string::npos) << run.output;
        EXPECT_FALSE(fs::exists(dir / "bild.png")) << c.argument;
    }
    EXPECT_FALSE(fs::exists(dir / "fehlt"));
    // No write access (root may write everywhere).
    if (geteuid() != 0) {
        fs::copy_file(dir / "fremd.sqlite", dir / "gesperrt.sqlite");
        fs::permissions(dir / "gesperrt.sqlite", fs::perms::owner_read);
        const Outcome run = RunDemo("--db " + Quoted(dir / "gesperrt.sqlite"));
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.output.find("schreibgeschützt"), std::string::npos) << run.output;
    }
}

// The last sheets of the calendar: the month of December 9999 is shown; its
// last week cannot be, which the run says and ends with an error instead
// of waiting behind a box.
TEST_F(DemoMessages, TheLastSheetsOfTheCalendarNeverHang) {
    const std::string db = " --db " + Quoted(dir / "termine.sqlite");
    Outcome run = RunDemo("--screenshot " + Quoted(dir / "monat.png") + " --date 31.12.9999" + db);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output.find("Fehlercode"), std::string::npos) << run.output;
    EXPECT_TRUE(fs::exists(dir / "monat.png"));
    run = RunDemo("--screenshot " + Quoted(dir / "woche.png") + " --view week --date 31.12.9999" + db);
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("Datum außerhalb des gültigen Bereichs"), std::string::npos) << run.output;
}

} // namespace
