#include "demo/live_updates.h"

#include <QSocketNotifier>

#include <optional>

#include "agendor/control/agendor.h"
#include "agendor/data/day_grid.h"
#include "agendor/platform/date_time.h"
#include "agendor/platform/postgres/pg_error.h"
#include "agendor/platform/qt/agendor_widget.h"
#include "agendor/sheet/sheet_model.h"
#include "demo/change_payload.h"
#include "demo/pg_store.h"

namespace agendor::demo {

namespace {

constexpr int kReconnectMilliseconds = 2000;
constexpr int kTypingPollMilliseconds = 250;

} // namespace

void ReloadKeepingView(Instance& instance) {
    Surface& ui = instance.ui;
    State& s = instance.state;
    const bool dayGridOpen = ui.GridZoom->Visible();
    const std::optional<DateTime> shownDay = s.ShownDay;
    try {
        RefreshControl(instance);
        if (dayGridOpen && shownDay) {
            ShowDayOf(instance, *shownDay);
            return;
        }
        // The user's day, which Refresh left in DateValue; with redraw off
        // the move is the control's own and changes nothing else.
        FlexGrid& grid = *ui.Grid;
        const DateTime day = dt::DateOnly(s.DateValue);
        const SheetCell cell = s.View == agMonat ? MonthCellOf(day) : SheetCell{1, dt::Weekday(day) - 1};
        if (cell.row >= grid.Rows()) return;
        const bool redraw = grid.Redraw();
        grid.SetRedraw(false);
        grid.SetCol(cell.col);
        grid.SetRow(cell.row);
        grid.SetRedraw(redraw);
    } catch (const std::exception& error) {
        ShowErrorBox(instance, 4, error.what());
    }
}

LiveUpdates::LiveUpdates(const std::string& conninfo, const std::string& channel, qt::AgendorWidget& calendar,
                         int ownBackendPid, QObject* parent)
    : QObject(parent), calendar_(calendar), channel_(channel), ownBackendPid_(ownBackendPid) {
    try {
        connection_ = postgres::Connect(conninfo);
    } catch (const postgres::PgError& error) {
        throw Error(error.Description());
    }
    reconnect_.setInterval(kReconnectMilliseconds);
    connect(&reconnect_, &QTimer::timeout, this, &LiveUpdates::TryReconnect);
    waitForTyping_.setInterval(kTypingPollMilliseconds);
    connect(&waitForTyping_, &QTimer::timeout, this, [this] { ReloadWhenIdle(waitingDay_); });
    Listen();
}

LiveUpdates::~LiveUpdates() = default;

void LiveUpdates::Listen() {
    const postgres::Result result(PQexec(connection_.get(), ("LISTEN " + postgres::QuotedName(channel_)).c_str()));
    if (postgres::Failed(result.get())) {
        notifier_.reset();
        reconnect_.start();
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(PQsocket(connection_.get()), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &LiveUpdates::ReadNotifications);
}

void LiveUpdates::ReadNotifications() {
    if (!PQconsumeInput(connection_.get())) {
        // The server went away: listen again once it is back, and reload
        // then, since changes made meanwhile were not announced here.
        notifier_.reset();
        reconnect_.start();
        return;
    }
    std::optional<DateTime> changed;
    while (PGnotify* notification = PQnotifies(connection_.get())) {
        const bool foreign = notification->be_pid != ownBackendPid_ && channel_ == notification->relname;
        const std::optional<DateTime> day = ParseChangedDay(notification->extra);
        PQfreemem(notification);
        if (foreign && day && OnShownSheet(*day)) changed = day;
    }
    if (changed) ReloadWhenIdle(*changed);
}

void LiveUpdates::TryReconnect() {
    PQreset(connection_.get());
    if (PQstatus(connection_.get()) != CONNECTION_OK) return;
    reconnect_.stop();
    Listen();
    if (notifier_) ReloadWhenIdle(0);
}

void LiveUpdates::Reload() { ReloadWhenIdle(0); }

void LiveUpdates::ReloadWhenIdle(double day) {
    if (UserIsTyping()) {
        waitingDay_ = day;
        if (!waitForTyping_.isActive()) waitForTyping_.start();
        return;
    }
    waitForTyping_.stop();
    ReloadKeepingView(calendar_.control().instance());
    ++reloads_;
    emit reloaded(day);
}

// The days whose appointments the sheet loaded (as the range query of the
// shown week or month selects them), and the day of an open day grid.
bool LiveUpdates::OnShownSheet(DateTime day) const {
    const State& s = calendar_.control().instance().state;
    if (s.ShownDay && dt::DateOnly(*s.ShownDay) == day) return true;
    const DateTime shown = dt::DateOnly(s.DateValue);
    DateTime first = 0, end = 0;
    if (s.View == agMonat) {
        first = dt::FromYmd(dt::Year(shown), dt::Month(shown), 1);
        end = dt::AddMonths(first, 1);
    } else {
        first = dt::AddDays(shown, -(dt::Weekday(shown) - 1));
        end = dt::AddDays(first, 7);
    }
    return day >= first && day < end;
}

// What the user has begun in the day grid: a new row not yet stored, the
// time editor or the person box open. A reload would throw it away.
bool LiveUpdates::UserIsTyping() const {
    const Instance& instance = calendar_.control().instance();
    return instance.state.NewPending || instance.ui.txtClock->Visible() || instance.ui.cboPerson->Visible();
}

} // namespace agendor::demo
