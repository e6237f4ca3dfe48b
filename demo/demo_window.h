#pragma once
// The demo's main window: the control on a SQLite database, a menu for the
// sheet commands and a status bar that tells what happened.
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "demo/appointment_store.h"
#include "demo/change_handlers.h"
#include "agendor/platform/qt/agendor_widget.h"
#include "agendor/platform/sqlite/sample_database.h"

namespace agendor::qt {
class AgendorWidget;
}

namespace agendor::demo {

class LiveUpdates;

class DemoWindow : public QMainWindow {
    Q_OBJECT

public:
    // Opens the database at path for the control (read-only) and for the
    // change handlers (read-write); raises agendor::Error when it cannot.
    DemoWindow(const std::string& path, const sqlite::DataProperties& properties, QWidget* parent = nullptr);
    // The control on a PostgreSQL server that several desks share: it reads
    // through a read-only session, the handlers write through a connection
    // of their own and announce each changed day, and the calendar reloads
    // when another desk changed a day it shows. Raises agendor::Error when
    // the server cannot be reached.
    struct Server {
        std::string conninfo;
    };
    DemoWindow(const Server& server, const sqlite::DataProperties& properties, QWidget* parent = nullptr);
    ~DemoWindow() override;

    qt::AgendorWidget& calendar() { return *calendar_; }
    // The listening for other desks' changes; nullptr on a SQLite file.
    LiveUpdates* liveUpdates() { return liveUpdates_; }

    // iCalendar (demo_ics.cpp): what the menu entries do once the person has
    // chosen a file. Refusals of the change handlers during an import are
    // gathered into the one report instead of a box each.
    qt::AgendorWidget::IcsResult ExportShownSheetIcs(const QString& path);
    qt::AgendorWidget::IcsResult ExportDayGridRowIcs(const QString& path);
    qt::AgendorWidget::IcsResult ImportIcs(const QString& path);

    // On a SQLite file: whether the window looks for other desks' changes
    // (on by default; a test holds it still to see a stale row).
    void WatchFile(bool on);

private:
    void ConnectHandlers(const std::string& source);
    // Runs a menu command or a slot; an error it raises is shown in a box
    // and the window keeps running.
    void Run(const std::function<void()>& command);
    void ShowSelectedDay(double day);
    void AddIcsActions(QMenu* file);
    // A SQLite file shared with other desks: its data version, looked at on
    // a timer, tells that another desk committed; the calendar then reloads
    // as the live updates of a server do, once the user is not typing.
    void PollFile();
    void ReloadWhenIdle();

    qt::AgendorWidget* calendar_ = nullptr;
    LiveUpdates* liveUpdates_ = nullptr;
    QLabel* selectedDay_ = nullptr;
    std::unique_ptr<Store> store_;
    std::unique_ptr<ChangeHandlers> handlers_;
    // Reloads after a refused change, which another desk may have caused.
    std::function<void()> reloadAfterRefusal_;
    AppointmentStore* fileStore_ = nullptr;  // store_ on a SQLite file
    QTimer* filePoll_ = nullptr;
    std::optional<std::int64_t> fileVersion_;
    bool reloadPending_ = false;
    bool changedElsewhere_ = false;
};

// Creates the sample tables on the server unless they are there; returns
// the data properties of the sample.
sqlite::DataProperties PrepareServer(const std::string& conninfo);

// Where the demo keeps its database when none is named: the user's data
// directory, created with sample appointments around today on first start.
std::string DefaultDatabasePath();
// Creates the sample at path unless a file is there; returns its properties
// (read from path + ".properties" for a database of the host's own).
sqlite::DataProperties PrepareDatabase(const std::string& path);

// What is wrong with the database path a user gave, in German, before
// anything is created there: empty, a folder, in a folder that does not
// exist, a file or folder that may not be written. nullopt when the demo can
// use or create it.
std::optional<std::string> PathProblem(const std::string& path);
// What is wrong with the database file at path, once it exists: not an
// SQLite file, or without the appointments table. nullopt when it is fine.
std::optional<std::string> DatabaseProblem(const std::string& path, const std::string& appointmentsTable);

} // namespace agendor::demo
