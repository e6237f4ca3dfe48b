#include "demo/demo_window.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QDateEdit>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>

#include <sqlite3.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "agendor/control/agendor.h"
#include "agendor/core/date_time.h"
#include "agendor/core/locale.h"
#include "agendor/platform/qt/agendor_widget.h"
#include "agendor/platform/qt/qt_host.h"
#include "agendor/platform/postgres/pg_database.h"
#include "agendor/platform/postgres/pg_error.h"
#include "agendor/platform/postgres/pg_sample.h"
#include "agendor/platform/sqlite/sqlite_database.h"
#include "demo/live_updates.h"
#include "demo/pg_store.h"

namespace agendor::demo {

namespace {

std::string PropertyValue(const sqlite::DataProperties& properties, const std::string& name) {
    for (const auto& p : properties)
        if (p.name == name) return p.value;
    return {};
}

QString Text(const std::string& s) { return QString::fromStdString(s); }

std::string Quoted(const std::string& s) { return "„" + s + "“"; }

bool Writable(const std::filesystem::path& path) { return ::access(path.c_str(), W_OK) == 0; }

// How often the demo looks whether another desk changed its SQLite file:
// a change shows within a second, and a look is one read of the file header.
constexpr int kFilePollMilliseconds = 500;

} // namespace

std::optional<std::string> PathProblem(const std::string& path) {
    namespace fs = std::filesystem;
    if (path.empty()) return std::string("Es wurde kein Pfad zur Datenbank angegeben (--db \"\").");
    std::error_code error;
    const fs::path file(path);
    if (fs::is_directory(file, error))
        return Quoted(path) + " ist ein Ordner. Bitte den Pfad einer Datenbankdatei angeben.";
    if (fs::exists(file, error)) {
        if (!Writable(file)) return "Die Datenbank " + Quoted(path) + " ist schreibgeschützt; Termine könnten nicht gespeichert werden.";
        return std::nullopt;
    }
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, error))
        return "Die Datenbank " + Quoted(path) + " gibt es nicht, und der Ordner " + Quoted(folder.string()) +
               " existiert nicht.";
    if (!Writable(folder))
        return "Die Datenbank " + Quoted(path) + " gibt es nicht und kann im Ordner " + Quoted(folder.string()) +
               " nicht angelegt werden (keine Schreibrechte).";
    return std::nullopt;
}

std::optional<std::string> DatabaseProblem(const std::string& path, const std::string& appointmentsTable) {
    // Every SQLite database starts with this header; an empty file is an
    // empty database.
    static const char kHeader[] = "SQLite format 3";
    char header[sizeof kHeader] = {};
    std::ifstream file(path, std::ios::binary);
    file.read(header, sizeof header);
    if (file.gcount() > 0 && (file.gcount() < static_cast<std::streamsize>(sizeof header) ||
                              std::memcmp(header, kHeader, sizeof header) != 0))
        return Quoted(path) + " ist keine SQLite-Datenbank.";
    sqlite3* db = nullptr;
    bool found = false;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        const char* sql = "SELECT 1 FROM sqlite_master WHERE type IN ('table', 'view') AND name = ?1 COLLATE NOCASE";
        if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK) {
            sqlite3_bind_text(statement, 1, appointmentsTable.c_str(), -1, SQLITE_TRANSIENT);
            found = sqlite3_step(statement) == SQLITE_ROW;
        } else {
            sqlite3_close(db);
            return Quoted(path) + " ist keine SQLite-Datenbank.";
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    if (!found) return "Die Datenbank " + Quoted(path) + " enthält keine Tabelle " + Quoted(appointmentsTable) + ".";
    return std::nullopt;
}

std::string DefaultDatabasePath() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dir);
    return (dir + "/agendor-demo.sqlite").toStdString();
}

sqlite::DataProperties PrepareDatabase(const std::string& path) {
    const std::string propertiesPath = path + ".properties";
    if (!std::filesystem::exists(path)) {
        sqlite::SampleOptions options;
        const int year = dt::Year(SystemClock().Today());
        options.fromYear = year - 1;
        options.toYear = year + 1;
        options.persons = 60;
        options.appointments = 3000;
        sqlite::DataProperties properties = sqlite::CreateSampleDatabase(path, options);
        std::ofstream(propertiesPath) << sqlite::FormatDataProperties(properties);
        return properties;
    }
    std::ifstream file(propertiesPath);
    if (file) return sqlite::ReadDataProperties(file);
    return sqlite::SampleDataProperties();
}

DemoWindow::DemoWindow(const std::string& path, const sqlite::DataProperties& properties, QWidget* parent)
    : QMainWindow(parent) {
    setWindowTitle("Agendor – " + QFileInfo(Text(path)).fileName());
    calendar_ = new qt::AgendorWidget(this);
    setCentralWidget(calendar_);
    Agendor& control = calendar_->control();
    for (const auto& p : properties) SetDataProperty(control, p.name, p.value);
    control.SetWorkspace(std::make_shared<sqlite::SqliteWorkspace>());
    control.SetDatabase(sqlite::SqliteDatabase::Open(path));

    AppointmentTable table{PropertyValue(properties, "DataSourceDates"), PropertyValue(properties, "FieldDatesDateID"),
                           PropertyValue(properties, "FieldDatesDate"), PropertyValue(properties, "FieldDatesPerson"),
                           PropertyValue(properties, "FieldSourcePersonID")};
    auto store = std::make_unique<AppointmentStore>(path, table);
    fileStore_ = store.get();
    store_ = std::move(store);
    fileVersion_ = fileStore_->DataVersion();
    filePoll_ = new QTimer(this);
    filePoll_->setInterval(kFilePollMilliseconds);
    connect(filePoll_, &QTimer::timeout, this, &DemoWindow::PollFile);
    filePoll_->start();
    reloadAfterRefusal_ = [this] {
        reloadPending_ = true;
        ReloadWhenIdle();
    };
    ConnectHandlers(path);
}

void DemoWindow::WatchFile(bool on) {
    if (!filePoll_) return;
    if (on) filePoll_->start();
    else filePoll_->stop();
}

void DemoWindow::PollFile() {
    // A commit of this window's own store does not change the version its
    // connection sees; the control reloads after its own changes anyway.
    const std::optional<std::int64_t> version = fileStore_->DataVersion();
    if (version && fileVersion_ && *version != *fileVersion_) {
        reloadPending_ = true;
        changedElsewhere_ = true;
    }
    if (version) fileVersion_ = version;
    ReloadWhenIdle();
}

// What the user has begun (a new row, the time editor, the person box) or a
// box waiting for an answer is not disturbed: the next tick tries again.
void DemoWindow::ReloadWhenIdle() {
    if (!reloadPending_) return;
    if (calendar_->control().Editing() || QApplication::activeModalWidget() != nullptr) return;
    reloadPending_ = false;
    calendar_->control().ReloadKeepingView();
    if (changedElsewhere_)
        statusBar()->showMessage("Geändert an einem anderen Platz: der Kalender ist neu geladen.", 5000);
    changedElsewhere_ = false;
}

DemoWindow::DemoWindow(const Server& server, const sqlite::DataProperties& properties, QWidget* parent)
    : QMainWindow(parent) {
    setWindowTitle("Agendor – Datenbankserver");
    calendar_ = new qt::AgendorWidget(this);
    setCentralWidget(calendar_);
    Agendor& control = calendar_->control();
    for (const auto& p : properties) SetDataProperty(control, p.name, p.value);
    control.SetWorkspace(std::make_shared<postgres::PgWorkspace>());
    std::string name;
    try {
        std::shared_ptr<postgres::PgDatabase> database = postgres::PgDatabase::Open(server.conninfo);
        name = database->Name();
        control.SetDatabase(database);
    } catch (const postgres::PgError& error) {
        throw Error(error.Description());
    }
    AppointmentTable table{PropertyValue(properties, "DataSourceDates"), PropertyValue(properties, "FieldDatesDateID"),
                           PropertyValue(properties, "FieldDatesDate"), PropertyValue(properties, "FieldDatesPerson"),
                           PropertyValue(properties, "FieldSourcePersonID")};
    auto store = std::make_unique<PgStore>(server.conninfo, table);
    auto* live = new LiveUpdates(server.conninfo, store->Channel(), *calendar_,
                                 [ownStore = store.get()] { return ownStore->BackendPid(); }, this);
    liveUpdates_ = live;
    connect(live, &LiveUpdates::reloaded, this, [this](double day) {
        if (day != 0)
            statusBar()->showMessage("Geändert an einem anderen Platz: " +
                                         Text(dt::Format(day, "dd.mm.yyyy", DefaultLocale())),
                                     5000);
    });
    // While the listening is down the desk may show what is no longer so:
    // the status bar says it for as long as that lasts.
    auto* liveState = new QLabel("Live-Aktualisierung unterbrochen", this);
    liveState->setObjectName("liveUpdateState");
    liveState->setStyleSheet("color: #b00000");
    liveState->hide();
    statusBar()->addPermanentWidget(liveState);
    connect(live, &LiveUpdates::interrupted, this, [liveState](const QString& reason) {
        liveState->setToolTip(reason);
        liveState->show();
    });
    connect(live, &LiveUpdates::resumed, this, [this, liveState] {
        liveState->hide();
        statusBar()->showMessage("Live-Aktualisierung wieder verbunden", 5000);
    });
    reloadAfterRefusal_ = [live] { live->Reload(); };
    store_ = std::move(store);
    // The connection string may hold a password: the status bar names the
    // database only.
    ConnectHandlers(name + " auf dem Datenbankserver");
}

void DemoWindow::ConnectHandlers(const std::string& source) {
    handlers_ = std::make_unique<ChangeHandlers>(ChangeHandlers{
        *store_,
        [this](const std::string& question) {
            return qt::ShowMessage(this, {question, "Agendor", MessageIcon::Question, MessageButtons::YesNo}) ==
                   MessageResult::Yes;
        },
        [this](const std::string& reason) {
            qt::ShowMessage(this, {reason, "Agendor", MessageIcon::Exclamation, MessageButtons::Ok});
            // What the user saw is no longer what is stored: show what is,
            // once the control has finished its event.
            if (reloadAfterRefusal_) QTimer::singleShot(0, this, reloadAfterRefusal_);
        },
        [this](const std::string& text) { statusBar()->showMessage(Text(text), 5000); }});

    connect(calendar_, &qt::AgendorWidget::dateNew, this,
            [this](double when, std::int32_t personId, const QString& person, bool& cancel) {
                handlers_->DateNew(when, personId, person.toStdString(), cancel);
            });
    connect(calendar_, &qt::AgendorWidget::dateChange, this,
            [this](std::int32_t id, double oldWhen, double newWhen, bool& cancel) {
                handlers_->DateChange(id, oldWhen, newWhen, cancel);
            });
    connect(calendar_, &qt::AgendorWidget::dateDel, this,
            [this](std::int32_t id, double when, const QString& person, bool& cancel) {
                handlers_->DateDel(id, when, person.toStdString(), cancel);
            });
    connect(calendar_, &qt::AgendorWidget::incorrectTime, this,
            [this](const QString& typed) { handlers_->IncorrectTime(typed.toStdString()); });
    // The status bar's fixed part: the selected day and the database; the
    // reports of stored changes come and go beside them.
    selectedDay_ = new QLabel(this);
    statusBar()->addPermanentWidget(selectedDay_);
    // A file is named by its name, so that the reports beside it keep
    // their room; the whole path is the label's tool tip.
    const QFileInfo sourceFile(Text(source));
    auto* database = new QLabel("Datenbank: " + (sourceFile.isFile() ? sourceFile.fileName() : Text(source)), this);
    database->setToolTip(Text(source));
    statusBar()->addPermanentWidget(database);
    ShowSelectedDay(calendar_->control().DateValue());
    connect(calendar_, &qt::AgendorWidget::selectedDayChanged, this, [this](double day) { ShowSelectedDay(day); });
    connect(calendar_, &qt::AgendorWidget::doubleClicked, this, [this](double day) {
        statusBar()->showMessage("Termine am " + Text(dt::Format(day, "dd.mm.yyyy", DefaultLocale())), 5000);
    });

    QMenu* file = menuBar()->addMenu("&Datei");
    // The control shows its own box when a page cannot be printed; the
    // status bar only reports what came out.
    file->addAction("&Drucken …", QKeySequence::Print, this, [this] {
        Run([this] {
            // The print dialog has a tab for the days whose sheets print; as
            // it opens, the shown sheet alone.
            QPrinter printer(QPrinter::HighResolution);
            printer.setPageSize(QPageSize(QPageSize::A4));
            printer.setPageOrientation(QPageLayout::Landscape);
            const double day = calendar_->control().DateValue();
            const QDate shown(dt::Year(day), dt::Month(day), dt::Day(day));
            auto* range = new QWidget;
            range->setWindowTitle("Zeitraum");
            auto* form = new QFormLayout(range);
            auto* from = new QDateEdit(shown);
            auto* to = new QDateEdit(shown);
            for (QDateEdit* edit : {from, to}) {
                edit->setDisplayFormat("dd.MM.yyyy");
                edit->setCalendarPopup(true);
            }
            form->addRow("&Von:", from);
            form->addRow("&Bis:", to);
            QPrintDialog dialog(&printer, this);
            dialog.setWindowTitle("Kalenderblatt drucken");
            dialog.setOptionTabs({range});
            if (dialog.exec() != QDialog::Accepted) return;
            const auto value = [](const QDate& d) { return dt::FromYmd(d.year(), d.month(), d.day()); };
            if (calendar_->PrintSheetsOn(printer, value(from->date()), value(to->date())))
                statusBar()->showMessage("Die Kalenderblätter wurden gedruckt.", 5000);
        });
    });
    file->addAction("Druck&vorschau …", this, [this] { Run([this] { calendar_->PrintPreview(); }); });
    file->addAction("Als &PDF drucken …", this, [this] {
        Run([this] {
            const QString target =
                QFileDialog::getSaveFileName(this, "Kalenderblatt als PDF", "kalender.pdf", "PDF (*.pdf)");
            if (target.isEmpty()) return;
            if (calendar_->PrintSheetToPdf(target))
                statusBar()->showMessage("Das Kalenderblatt steht in " +
                                         QDir::toNativeSeparators(QFileInfo(target).absoluteFilePath()));
        });
    });
    AddIcsActions(file);
    file->addSeparator();
    file->addAction("&Beenden", QKeySequence::Quit, this, &QWidget::close);

    QMenu* view = menuBar()->addMenu("&Ansicht");
    view->addAction("&Woche", this, [this] { Run([this] { calendar_->control().SetView(agWoche); }); });
    view->addAction("&Monat", this, [this] { Run([this] { calendar_->control().SetView(agMonat); }); });
    view->addAction("&Heute", this, [this] {
        Run([this] {
            calendar_->control().SetDateValue(SystemClock().Today());
            calendar_->Refresh();
        });
    });
    view->addAction("&Aktualisieren", QKeySequence::Refresh, this, [this] { Run([this] { calendar_->Refresh(); }); });

    resize(900, 680);
}

void DemoWindow::Run(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& e) {
        qt::ShowMessage(this, {e.what(), "Agendor", MessageIcon::Critical, MessageButtons::Ok});
    }
}

void DemoWindow::ShowSelectedDay(double day) {
    try {
        selectedDay_->setText("Gewählter Tag: " + Text(dt::Format(day, "dddd, dd.mm.yyyy", DefaultLocale())));
    } catch (const std::exception&) {
        selectedDay_->clear();
    }
}

DemoWindow::~DemoWindow() = default;

sqlite::DataProperties PrepareServer(const std::string& conninfo) {
    postgres::PgSampleOptions options;
    const int year = dt::Year(SystemClock().Today());
    options.parameters.fromYear = year - 1;
    options.parameters.toYear = year + 1;
    options.parameters.persons = 60;
    options.parameters.appointments = 3000;
    try {
        return postgres::CreateSampleOnServer(conninfo, options);
    } catch (const postgres::PgError& error) {
        throw Error(error.Description());
    } catch (const Error&) {
        // The tables are there already: the host's own or an earlier sample.
        return sqlite::SampleDataProperties();
    }
}

} // namespace agendor::demo
