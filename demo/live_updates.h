#pragma once
// Live updates between desks: every demo on a shared server listens on the
// channel its stores send their NOTIFY on (PgStore), with the connection's
// socket watched by a QSocketNotifier, and reloads its calendar when a
// changed day lies on its shown sheet. The reload keeps what the user sees
// and does: the selected day, an open day grid, and anything being typed
// (a pending new row, an open time editor), for which it waits.
#include <QObject>
#include <QTimer>

#include <memory>
#include <string>

#include "agendor/control/instance.h"
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
    // Notifications sent by the server process ownBackendPid (the desk's own
    // store) are left out: the control reloads after its own changes. Raises
    // agendor::Error when no connection comes about.
    LiveUpdates(const std::string& conninfo, const std::string& channel, qt::AgendorWidget& calendar,
                int ownBackendPid, QObject* parent = nullptr);
    ~LiveUpdates() override;

    // Reloads now, or as soon as the user has finished typing.
    void Reload();
    // Reloads that ran so far (for tests and the status bar).
    int Reloads() const { return reloads_; }

signals:
    // A reload ran; day is the changed day that caused it (0 after a
    // reconnect or a reload asked for directly).
    void reloaded(double day);

private:
    void Listen();
    void ReadNotifications();
    void TryReconnect();
    void ReloadWhenIdle(double day);
    bool OnShownSheet(DateTime day) const;
    bool UserIsTyping() const;

    qt::AgendorWidget& calendar_;
    std::string channel_;
    int ownBackendPid_;
    postgres::ConnectionHandle connection_;
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer reconnect_;
    QTimer waitForTyping_;
    double waitingDay_ = 0;
    int reloads_ = 0;
};

// Runs Refresh and then puts back the selected day and the open day grid
// (Refresh selects today's cell when today is on the sheet). An error is
// shown as the control's box and goes no further.
void ReloadKeepingView(Instance& instance);

} // namespace agendor::demo
