// The connection to the server cut after the nth byte of its replies over
// one month Refresh (every n up to 64, then sampled across the whole
// reply): each cut either comes after the control had all it needed (the
// sheet is right) or ends the Refresh with the one error of a dropped
// connection, and the next Refresh connects again and is right.
#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "agendor/control/agendor.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/memory/surface.h"
#include "agendor/platform/postgres/pg_database.h"
#include "agendor/platform/postgres/pg_sample.h"
#include "tests/hardening/cut_proxy.h"
#include "tests/support/pg_test_schema.h"

namespace agendor {
namespace {

// The sheet's cells and the person box's entries.
std::vector<std::string> Shown(const memory::MemorySurface& surface) {
    std::vector<std::string> texts;
    for (int row = 0; row < surface.Grid.Rows(); ++row)
        for (int col = 0; col < surface.Grid.Cols(); ++col) texts.push_back(surface.Grid.TextMatrix(row, col));
    for (int k = 0; k < surface.cboPerson.ListCount(); ++k) texts.push_back(surface.cboPerson.List(k));
    return texts;
}

constexpr const char* kDropped =
    "Die Verbindung zum Datenbankserver ist abgebrochen; sie wird beim nächsten Laden neu aufgebaut (";

TEST(PostgresCutConnection, EveryCutEndsInTheDroppedConnectionErrorAndTheNextLoadWorks) {
    testing::PgTestSchema schema;
    postgres::PgSampleOptions sample;
    sample.parameters.persons = 25;
    sample.parameters.appointments = 1500;
    sample.parameters.fromYear = sample.parameters.toYear = 2027;
    const auto properties = postgres::CreateSampleOnServer(schema.Conninfo(), sample);
    testing::CutProxy proxy(testing::CutProxy::ServerSocket(AGENDOR_PG_TEST_CONNINFO));
    const std::string conninfo = "host=127.0.0.1 port=" + std::to_string(proxy.Port()) +
                                 " user=postgres dbname=agendor sslmode=disable options='-c search_path=" +
                                 schema.Name() + "'";

    memory::MemorySurface surface;
    Agendor control(surface.surface());
    control.InitProperties();
    control.Resize(8175, 7185);
    for (const auto& property : properties) SetDataProperty(control, property.name, property.value);
    control.SetWorkspace(std::make_shared<postgres::PgWorkspace>());
    control.SetDateValue(dt::FromYmd(2027, 3, 10));
    postgres::PgOptions options;
    options.reuseUnchangedResults = false;
    control.SetDatabase(postgres::PgDatabase::Open(conninfo, options));

    proxy.Arm(0);
    control.Refresh();
    const long total = proxy.Passed();
    const std::vector<std::string> clean = Shown(surface);
    ASSERT_GT(total, 1000);

    std::vector<long> cuts;
    for (long n = 1; n <= 64; ++n) cuts.push_back(n);
    for (long k = 1; k <= 120; ++k) cuts.push_back(64 + (total - 64) * k / 120);
    int dropped = 0;
    for (const long n : cuts) {
        const std::string at = "cut after byte " + std::to_string(n) + " of " + std::to_string(total);
        proxy.Arm(n);
        surface.container.ClearRecords();
        // The error reaches the host from Refresh, or the box of the
        // appointments' load shows it.
        std::vector<std::string> errors;
        try {
            control.Refresh();
        } catch (const Error& e) {
            errors.push_back(e.what());
        }
        for (const Message& m : surface.container.Messages()) {
            EXPECT_EQ(m.text.rfind("Agendor-Fehlercode 4\r\n", 0), 0u) << at << ": " << m.text;
            errors.push_back(m.text.substr(m.text.find('\n') + 1));
        }
        for (const std::string& error : errors) {
            EXPECT_TRUE(proxy.Cut()) << at << ": " << error;
            EXPECT_EQ(error.rfind(kDropped, 0), 0u) << at << ": " << error;
        }
        if (errors.empty()) {
            EXPECT_EQ(Shown(surface), clean) << at;
        } else {
            ++dropped;
        }
        proxy.Arm(0);
        surface.container.ClearRecords();
        try {
            control.Refresh();
        } catch (const Error& e) {
            ADD_FAILURE() << at << ", the next Refresh: " << e.what();
        }
        EXPECT_EQ(Shown(surface), clean) << at;
        EXPECT_TRUE(surface.container.Messages().empty()) << at;
        if (::testing::Test::HasFailure()) break;
    }
    std::cout << cuts.size() << " cuts of " << total << " reply bytes, " << dropped
              << " ended the Refresh with the dropped-connection error, the rest came after the last byte needed\n";
}

} // namespace
} // namespace agendor
