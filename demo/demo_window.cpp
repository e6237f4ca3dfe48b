#include "demo/demo_window.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>

#include <filesystem>
#include <fstream>

#include "agendor/control/agendor.h"
#include "agendor/platform/date_time.h"
#include "agendor/platform/qt/agendor_widget.h"
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

} // namespace

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
    store_ = std::make_unique<AppointmentStore>(path, table);
    ConnectHandlers(path);
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
    auto* live = new LiveUpdates(server.conninfo, store->Channel(), *calendar_, store->BackendPid(), this);
    connect(live, &LiveUpdates::reloaded, this, [this](double day) {
        if (day != 0)
            statusBar()->showMessage("Geändert an einem anderen Platz: " +
                                         Text(dt::Format(day, "dd.mm.yyyy", DefaultLocale())),
                                     5000);
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
            return QMessageBox::question(this, "Agendor", Text(question)) == QMessageBox::Yes;
        },
        [this](const std::string& reason) {
            QMessageBox::warning(this, "Agendor", Text(reason));
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
    connect(calendar_, &qt::AgendorWidget::clicked, this, [this](double day) {
        statusBar()->showMessage("Gewählter Tag: " + Text(dt::Format(day, "dddd, dd.mm.yyyy", DefaultLocale())));
    });
    connect(calendar_, &qt::AgendorWidget::doubleClicked, this, [this](double day) {
        statusBar()->showMessage("Termine am " + Text(dt::Format(day, "dd.mm.yyyy", DefaultLocale())));
    });

    QMenu* file = menuBar()->addMenu("&Datei");
    file->addAction("Als &PDF drucken …", this, [this] {
        const QString target = QFileDialog::getSaveFileName(this, "Kalenderblatt als PDF", "kalender.pdf", "PDF (*.pdf)");
        if (target.isEmpty()) return;
        calendar_->SetPrintFile(target);
        calendar_->PrintSheet();
        calendar_->SetPrintFile(QString());
    });
    file->addSeparator();
    file->addAction("&Beenden", QKeySequence::Quit, this, &QWidget::close);

    QMenu* view = menuBar()->addMenu("&Ansicht");
    view->addAction("&Woche", this, [this] { calendar_->control().SetView(agWoche); });
    view->addAction("&Monat", this, [this] { calendar_->control().SetView(agMonat); });
    view->addAction("&Heute", this, [this] {
        calendar_->control().SetDateValue(SystemClock().Today());
        calendar_->Refresh();
    });
    view->addAction("&Aktualisieren", QKeySequence::Refresh, this, [this] { calendar_->Refresh(); });

    statusBar()->showMessage("Datenbank: " + Text(source));
    resize(900, 680);
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
