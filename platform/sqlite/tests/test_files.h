#pragma once
// Real database files for the tests: a fresh folder per test, removed
// afterwards, and a writing connection that plays the host.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

namespace agendor::sqlite::testing {

class TempFolder {
public:
    TempFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "-" + info->name();
        for (char& c : name)
            if (c == '/') c = '-';
        path_ = std::filesystem::temp_directory_path() /
                ("agendor-sqlite-" + std::to_string(::getpid()) + "-" + name);
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// A read-write connection of the host's, closed at the end.
class HostConnection {
public:
    explicit HostConnection(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
            ADD_FAILURE() << "cannot open " << path;
    }
    ~HostConnection() { sqlite3_close_v2(db_); }
    HostConnection(const HostConnection&) = delete;
    HostConnection& operator=(const HostConnection&) = delete;

    sqlite3* Handle() const { return db_; }

    void Execute(const std::string& sql) {
        char* message = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            ADD_FAILURE() << sql << ": " << (message ? message : "?");
            sqlite3_free(message);
        }
    }

    // One row per value; value is bound as is (double, text or NULL).
    void InsertDate(const std::string& table, double value, const std::string& person) {
        sqlite3_stmt* insert = nullptr;
        const std::string sql = "INSERT INTO " + table + " (Datum, Name) VALUES (?, ?)";
        ASSERT_EQ(sqlite3_prepare_v2(db_, sql.c_str(), -1, &insert, nullptr), SQLITE_OK) << sqlite3_errmsg(db_);
        sqlite3_bind_double(insert, 1, value);
        sqlite3_bind_text(insert, 2, person.c_str(), -1, SQLITE_TRANSIENT);
        EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE) << sqlite3_errmsg(db_);
        sqlite3_finalize(insert);
    }

private:
    sqlite3* db_ = nullptr;
};

} // namespace agendor::sqlite::testing
