#include "demo/live_updates.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cstdio>
#include <optional>

#include "agendor/control/agendor.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/postgres/pg_error.h"
#include "agendor/platform/postgres/pg_session.h"
#include "agendor/platform/qt/agendor_widget.h"
#include "demo/change_payload.h"
#include "demo/pg_store.h"

namespace agendor::demo {

namespace {

constexpr int kFirstRetryMilliseconds = 1000;
constexpr int kLastRetryMilliseconds = 30000;
constexpr int kTypingPollMilliseconds = 250;
// Notifications this close together make one reload.
constexpr int kBurstMilliseconds = 150;
constexpr qint64 kReloadIntervalMilliseconds = 1000;

} // namespace

LiveUpdates::LiveUpdates(const std::string& conninfo, const std::string& channel, qt::AgendorWidget& calendar,
                         std::function<int()> ownBackendPid, QObject* parent, const postgres::PgOptions& options)
    : QObject(parent),
      calendar_(calendar),
      conninfo_(conninfo),
      channel_(channel),
      ownBackendPid_(std::move(ownBackendPid)),
      options_(options) {
    // The first connection is made before the window shows, bounded by the
    // connect timeout; later ones in the background.
    try {
        connection_ = postgres::Connect(conninfo, options_);
    } catch (const postgres::PgError& error) {
        throw Error(error.Description());
    }
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, &LiveUpdates::StartConnecting);
    connectDeadline_.setSingleShot(true);
    connect(&connectDeadline_, &QTimer::timeout, this, [this] {
        Lost("Der Datenbankserver antwortete nicht innerhalb von " +
             postgres::GermanSeconds(std::max(options_.connectTimeoutSeconds, 2) * 1000) + ".");
    });
    burst_.setSingleShot(true);
    connect(&burst_, &QTimer::timeout, this, [this] { ReloadSoon(burstDay_); });
    waitForTyping_.setInterval(kTypingPollMilliseconds);
    connect(&waitForTyping_, &QTimer::timeout, this, [this] { ReloadWhenIdle(waitingDay_); });
    ContinueConnecting();
}

LiveUpdates::~LiveUpdates() { StopWatching(); }

int LiveUpdates::BackendPid() const { return listening_ ? PQbackendPID(connection_.get()) : 0; }

void LiveUpdates::StartConnecting() {
    connection_ = postgres::StartConnect(conninfo_, options_);
    if (!connection_ || PQstatus(connection_.get()) == CONNECTION_BAD) {
        Lost("Keine Verbindung zum Datenbankserver: " +
             (connection_ ? postgres::MessageOf(connection_.get()) : std::string("nicht genug Speicher")));
        return;
    }
    connectDeadline_.start(std::max(options_.connectTimeoutSeconds, 2) * 1000);
    WatchSocket(true, &LiveUpdates::ContinueConnecting);
}

// One step of connecting (PQconnectPoll) each time the socket is ready for
// it; once connected, LISTEN is sent and its answer read like any input.
void LiveUpdates::ContinueConnecting() {
    StopWatching();
    const PostgresPollingStatusType status =
        PQstatus(connection_.get()) == CONNECTION_OK ? PGRES_POLLING_OK : PQconnectPoll(connection_.get());
    if (status == PGRES_POLLING_FAILED) {
        Lost("Keine Verbindung zum Datenbankserver: " + postgres::MessageOf(connection_.get()));
        return;
    }
    if (status != PGRES_POLLING_OK) {
        WatchSocket(status == PGRES_POLLING_WRITING, &LiveUpdates::ContinueConnecting);
        return;
    }
    connectDeadline_.stop();
    if (!PQsendQuery(connection_.get(), ("LISTEN " + postgres::QuotedName(channel_)).c_str())) {
        Lost(postgres::MessageOf(connection_.get()));
        return;
    }
    awaitingListen_ = true;
    WatchSocket(false, &LiveUpdates::ReadInput);
}

void LiveUpdates::WatchSocket(bool forWriting, void (LiveUpdates::*handler)()) {
    notifier_ = std::make_unique<QSocketNotifier>(PQsocket(connection_.get()),
                                                  forWriting ? QSocketNotifier::Write : QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, handler);
}

// The notifier may be the one whose signal is running: it goes once the
// event loop is back.
void LiveUpdates::StopWatching() {
    if (!notifier_) return;
    notifier_->setEnabled(false);
    notifier_.release()->deleteLater();
}

void LiveUpdates::Lost(const std::string& reason) {
    StopWatching();
    connectDeadline_.stop();
    connection_.reset();
    listening_ = false;
    awaitingListen_ = false;
    if (!interrupted_) {
        interrupted_ = true;
        emit interrupted(QString::fromStdString(reason));
    }
    // 1 s, 2 s, 4 s ... up to half a minute between tries.
    retryMilliseconds_ = retryMilliseconds_ == 0 ? kFirstRetryMilliseconds
                                                 : std::min(retryMilliseconds_ * 2, kLastRetryMilliseconds);
    retry_.start(retryMilliseconds_);
}

void LiveUpdates::ReadInput() {
    PGconn* connection = connection_.get();
    if (!PQconsumeInput(connection) || PQstatus(connection) != CONNECTION_OK) {
        Lost("Die Verbindung zum Datenbankserver ist abgebrochen: " + postgres::MessageOf(connection));
        return;
    }
    while (!PQisBusy(connection)) {
        const postgres::Result result(PQgetResult(connection));
        if (!result) break;
        if (postgres::Failed(result.get())) {
            Lost("Der Server nimmt LISTEN nicht an: " + postgres::MessageOf(result.get()));
            return;
        }
        if (!awaitingListen_) continue;
        awaitingListen_ = false;
        listening_ = true;
        retryMilliseconds_ = 0;
        if (interrupted_) {
            interrupted_ = false;
            emit resumed();
            ReloadWhenIdle(0);
        }
    }
    const int own = ownBackendPid_ ? ownBackendPid_() : 0;
    while (PGnotify* notification = PQnotifies(connection)) {
        const bool foreign = notification->be_pid != own && channel_ == notification->relname;
        const std::optional<DateTime> day = ParseChangedDay(notification->extra);
        PQfreemem(notification);
        if (foreign && day && OnShownSheet(*day)) {
            burstDay_ = *day;
            if (!burst_.isActive()) burst_.start(kBurstMilliseconds);
        }
    }
}

// A burst is over: reload, but not sooner than a second after the last
// reload.
void LiveUpdates::ReloadSoon(double day) {
    if (lastReload_.isValid() && lastReload_.elapsed() < kReloadIntervalMilliseconds) {
        burst_.start(static_cast<int>(kReloadIntervalMilliseconds - lastReload_.elapsed()));
        return;
    }
    ReloadWhenIdle(day);
}

void LiveUpdates::Reload() { ReloadWhenIdle(0); }

void LiveUpdates::ReloadWhenIdle(double day) {
    if (UserIsTyping()) {
        waitingDay_ = day;
        if (!waitForTyping_.isActive()) waitForTyping_.start();
        return;
    }
    waitForTyping_.stop();
    calendar_.control().ReloadKeepingView();
    lastReload_.start();
    ++reloads_;
    emit reloaded(day);
}

// The days whose appointments the sheet loaded (as the range query of the
// shown week or month selects them), and the day of an open day grid.
bool LiveUpdates::OnShownSheet(DateTime day) const { return calendar_.control().ShowsDay(day); }

// What the user has begun in the day grid: a new row not yet stored, the
// time editor or the person box open. A reload would throw it away.
bool LiveUpdates::UserIsTyping() const { return calendar_.control().Editing(); }

} // namespace agendor::demo
