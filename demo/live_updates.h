#pragma once
// Live updates between desks: every demo on a shared server listens on the
// channel its stores send their NOTIFY on (PgStore), with the connection's
// socket watched by a QSocketNotifier, and reloads its calendar when a
// changed day lies on its shown sheet. The reload keeps what the user sees
// and does: the selected day, an open day grid, and anything being typed
// (a pending new row, an open time editor), for which it waits.
//
// Notifications that come in a burst cause one reload, and reloads follow
// each other at most once a second, however many notifications any role
// sends. When the listening connection drops (the server restarted, the
// session was ended, TCP keepalive found the server gone) the desk is told
// (interrupted), and the connection is made again in the background, without
// the window waiting for it, at growing intervals; once it listens again
// (resumed) the calendar reloads once, since changes made meanwhile were not
// announced here.
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

#include "agendor/platform/types.h"
#include "agendor/platform/postgres/pg_database.h"
#include "agendor/platform/postgres/pg_handles.h"

class QSocketNotifier;

namespace agendor::qt {
class AgendorWidget;
}

namespace agendor::demo {

class LiveUpdates : public QObject {
    Q_OBJECT

public:
    // Listens on channel (PgStore::Channel) through a connection of its own.
    // Notifications sent by the server process ownBackendPid() names (the
    // desk's own store, asked each time: its connection may have been made
    // again) are left out: the control reloads after its own changes.
    // Raises agendor::Error when the first connection does not come about.
    LiveUpdates(const std::string& conninfo, const std::string& channel, qt::AgendorWidget& calendar,
                std::function<int()> ownBackendPid, QObject* parent = nullptr,
                const postgres::PgOptions& options = {});
    ~LiveUpdates() override;

    // Reloads now, or as soon as the user has finished typing.
    void Reload();
    // Reloads that ran so far (for tests and the status bar).
    int Reloads() const { return reloads_; }
    // Whether the connection is up and listening.
    bool Listening() const { return listening_; }
    // The server process that listens; 0 while there is none.
    int BackendPid() const;

signals:
    // A reload ran; day is a changed day that caused it (0 after a
    // reconnect or a reload asked for directly).
    void reloaded(double day);
    // The listening stopped; reason in German, for a tool tip.
    void interrupted(const QString& reason);
    // Listening again after an interruption.
    void resumed();

private:
    void StartConnecting();
    void ContinueConnecting();
    void WatchSocket(bool forWriting, void (LiveUpdates::*handler)());
    void StopWatching();
    void ReadInput();
    void Lost(const std::string& reason);
    void ReloadSoon(double day);
    void ReloadWhenIdle(double day);
    bool OnShownSheet(DateTime day) const;
    bool UserIsTyping() const;

    qt::AgendorWidget& calendar_;
    std::string conninfo_;
    std::string channel_;
    std::function<int()> ownBackendPid_;
    postgres::PgOptions options_;
    postgres::ConnectionHandle connection_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool listening_ = false;
    bool awaitingListen_ = false;  // LISTEN sent, its answer not read yet
    bool interrupted_ = false;     // interrupted() sent, resumed() not yet
    int retryMilliseconds_ = 0;
    QTimer retry_;
    QTimer connectDeadline_;
    QTimer burst_;             // gathers the notifications of one burst
    QElapsedTimer lastReload_;
    double burstDay_ = 0;
    QTimer waitForTyping_;
    double waitingDay_ = 0;
    int reloads_ = 0;
};

} // namespace agendor::demo
