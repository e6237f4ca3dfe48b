// Two desks on one server, each the control on the real Qt widgets: what
// one desk stores, the other shows after the notification, within a
// second, with its selected day and its open day grid kept, and never
// while its user is typing.
#include <QElapsedTimer>
#include <QLabel>
#include <QStatusBar>

#include "agendor/control/instance_access.h"
#include "agendor/data/day_grid.h"
#include "agendor/platform/memory/clock.h"
#include "agendor/platform/postgres/pg_database.h"
#include "agendor/platform/postgres/pg_sample.h"
#include "demo/live_updates.h"
#include "demo/pg_store.h"
#include "demo/tests/qt/demo_desk.h"
#include "tests/support/pg_test_schema.h"

namespace agendor::demo {
namespace {

const AppointmentTable kTable{"Termine", "TerminID", "Datum", "Name", "PersonID"};
// Today for both desks: Monday 1 March 2027, so neither sheet below
// contains today and the selection is the user's own.
const DateTime kToday = dt::FromYmdHms(2027, 3, 1, 10, 0, 0);

struct Desk {
    Desk(const std::string& conninfo, memory::FixedClock& clock)
        : widget(nullptr, &clock), store(conninfo, kTable) {
        widget.resize(900, 680);
        widget.surface().container.SetAnswerer([this](const Message& m) {
            messages.push_back(m.text);
            return MessageResult::Ok;
        });
        Agendor& c = widget.control();
        for (const auto& p : sample::SampleDataProperties()) SetDataProperty(c, p.name, p.value);
        c.SetWorkspace(std::make_shared<postgres::PgWorkspace>());
        c.SetDatabase(postgres::PgDatabase::Open(conninfo));
        live = std::make_unique<LiveUpdates>(conninfo, store.Channel(), widget, [this] { return store.BackendPid(); });
        widget.show();
        c.SetDateValue(dt::FromYmd(2027, 3, 17));
        c.SetView(agMonat);
    }

    Instance& instance() { return InstanceOf(widget.control()); }
    std::string DayGridText() { return testing::DayGridRows(widget.surface()); }

    qt::AgendorWidget widget;
    PgStore store;
    std::unique_ptr<LiveUpdates> live;
    std::vector<std::string> messages;
};

class LiveUpdatesTest : public ::testing::Test {
protected:
    LiveUpdatesTest() {
        postgres::PgSampleOptions options;
        options.parameters = {6, 300, 2027, 2027, 5};
        postgres::CreateSampleOnServer(schema.Conninfo(), options);
        first = std::make_unique<Desk>(schema.Conninfo(), clock);
        second = std::make_unique<Desk>(schema.Conninfo(), clock);
    }

    agendor::testing::PgTestSchema schema;
    memory::FixedClock clock{kToday};
    std::unique_ptr<Desk> first, second;
};

TEST_F(LiveUpdatesTest, TheOtherDeskShowsAStoredAppointmentWithinASecondKeepingItsDayAndDayGrid) {
    const DateTime day = dt::FromYmd(2027, 3, 17);
    ShowDayOf(second->instance(), day);
    ASSERT_TRUE(second->widget.surface().GridZoom->Visible());
    const std::string before = second->DayGridText();
    const int row = second->widget.surface().Grid->Row();
    const int col = second->widget.surface().Grid->Col();

    // The first desk stores what its user booked, as its DateNew handler does.
    QElapsedTimer elapsed;
    elapsed.start();
    ASSERT_EQ(first->store.Insert(day + (7 * 60 + 5) / 1440.0, 1, "Erster Platz"), std::nullopt);
    ASSERT_TRUE(QTest::qWaitFor([&] { return second->DayGridText().find("07:05 Erster Platz") != std::string::npos; }, 1000))
        << second->DayGridText();
    EXPECT_LT(elapsed.elapsed(), 1000);
    EXPECT_EQ(second->DayGridText(), "07:05 Erster Platz\n" + before);
    EXPECT_TRUE(second->widget.surface().GridZoom->Visible());
    EXPECT_EQ(second->widget.control().DateValue(), day);
    EXPECT_EQ(second->widget.surface().Grid->Row(), row);
    EXPECT_EQ(second->widget.surface().Grid->Col(), col);
    EXPECT_EQ(second->widget.surface().txtToolbarTag->Text(), "Mi, 17.03.27");
    // The sheet cell shows it too, and the storing desk did not reload
    // for its own change.
    EXPECT_NE(second->widget.surface().Grid->TextMatrix(row, col).find("07:05 Erste"), std::string::npos);
    EXPECT_EQ(first->live->Reloads(), 0);
    EXPECT_TRUE(second->messages.empty());
}

TEST_F(LiveUpdatesTest, AChangeOutsideTheShownSheetLoadsNothing) {
    ASSERT_EQ(first->store.Insert(dt::FromYmdHms(2027, 5, 3, 9, 0, 0), 1, "Mai"), std::nullopt);
    // The notification arrives; it concerns May, not the March sheet.
    QTest::qWait(300);
    EXPECT_EQ(second->live->Reloads(), 0);
}

TEST_F(LiveUpdatesTest, WhileTheUserIsTypingTheReloadWaits) {
    const DateTime day = dt::FromYmd(2027, 3, 17);
    ShowDayOf(second->instance(), day);
    // The user has added a row and is typing its time.
    second->instance().state.NewPending = true;
    second->instance().ui.txtClock->SetVisible(true);
    ASSERT_EQ(first->store.Insert(day + 0.75, 2, "Später"), std::nullopt);
    QTest::qWait(500);
    EXPECT_EQ(second->live->Reloads(), 0);
    EXPECT_TRUE(second->instance().state.NewPending);
    // Done typing: the reload follows.
    second->instance().state.NewPending = false;
    second->instance().ui.txtClock->SetVisible(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return second->live->Reloads() == 1; }, 1000));
    EXPECT_NE(second->DayGridText().find("18:00 Später"), std::string::npos);
}

// Another role sends twenty notifications of days on the shown sheet at
// once: the desk reloads once.
TEST_F(LiveUpdatesTest, ABurstOfNotificationsCausesOneReload) {
    for (int day = 1; day <= 20; ++day)
        schema.Execute("SELECT pg_notify('" + second->store.Channel() + "', '2027-03-" + (day < 10 ? "0" : "") +
                       std::to_string(day) + "')");
    ASSERT_TRUE(QTest::qWaitFor([&] { return second->live->Reloads() == 1; }, 1000));
    QTest::qWait(1500);
    EXPECT_EQ(second->live->Reloads(), 1);
}

// The first desk's store loses its connection and makes a new one, in a
// new server process: its own changes still cause no reload on its desk.
TEST_F(LiveUpdatesTest, TheDesksOwnChangesStayItsOwnAfterItsStoreReconnected) {
    const int before = first->store.BackendPid();
    schema.Value("SELECT pg_terminate_backend(" + std::to_string(before) + ")");
    const DateTime when = dt::FromYmdHms(2027, 3, 17, 7, 5, 0);
    // The write that meets the ended connection fails; the next ones connect again.
    EXPECT_NE(first->store.Insert(when, 1, "Erster Versuch"), std::nullopt);
    std::optional<std::string> refused = std::string("(not tried)");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !(refused = first->store.Insert(when, 1, "Neu verbunden")); }, 3000))
        << *refused;
    EXPECT_NE(first->store.BackendPid(), before);
    ASSERT_TRUE(QTest::qWaitFor([&] { return second->live->Reloads() == 1; }, 1000));
    QTest::qWait(500);
    EXPECT_EQ(first->live->Reloads(), 0);
}

// The demo window on the server, its listening connection ended by the
// server: the status bar says so while it is down, the listening comes
// back by itself, and the calendar then shows what another desk stored
// meanwhile, with one reload.
TEST(LiveUpdatesWindow, AnEndedListeningConnectionIsShownAndResumesWithOneReload) {
    agendor::testing::PgTestSchema schema;
    postgres::PgSampleOptions options;
    options.parameters = {6, 300, 2027, 2027, 5};
    postgres::CreateSampleOnServer(schema.Conninfo(), options);
    DemoWindow window(DemoWindow::Server{schema.Conninfo()}, sample::SampleDataProperties());
    Agendor& control = window.calendar().control();
    window.show();
    control.SetDateValue(dt::FromYmd(2027, 3, 17));
    control.SetView(agMonat);
    LiveUpdates& live = *window.liveUpdates();
    auto* state = window.findChild<QLabel*>("liveUpdateState");
    ASSERT_NE(state, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return live.Listening(); }, 2000));
    EXPECT_FALSE(state->isVisible());

    schema.Value("SELECT pg_terminate_backend(" + std::to_string(live.BackendPid()) + ")");
    ASSERT_TRUE(QTest::qWaitFor([&] { return state->isVisible(); }, 2000));
    EXPECT_EQ(state->text().toStdString(), "Live-Aktualisierung unterbrochen");
    PgStore other(schema.Conninfo(), kTable);
    ASSERT_EQ(other.Insert(dt::FromYmdHms(2027, 3, 17, 7, 5, 0), 1, "Verpasst"), std::nullopt);
    ASSERT_FALSE(live.Listening());

    ASSERT_TRUE(QTest::qWaitFor([&] { return live.Listening(); }, 5000));
    EXPECT_FALSE(state->isVisible());
    EXPECT_EQ(window.statusBar()->currentMessage().toStdString(), "Live-Aktualisierung wieder verbunden");
    const SheetCell cell = MonthCellOf(dt::FromYmd(2027, 3, 17));
    ASSERT_TRUE(QTest::qWaitFor([&] { return live.Reloads() == 1; }, 1000));
    EXPECT_NE(window.calendar().surface().Grid->TextMatrix(cell.row, cell.col).find("07:05 Verp"),
              std::string::npos);
    QTest::qWait(300);
    EXPECT_EQ(live.Reloads(), 1);
}

} // namespace
} // namespace agendor::demo
