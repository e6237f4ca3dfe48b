// A minimal host of the Agendor calendar control: it opens a SQLite file
// (a new one gets two tables and a few persons), places the control in its
// window, names the tables and fields, and stores the appointments that
// the user adds, moves and deletes.
//   minimal-host FILE.sqlite [--screenshot FILE.png]
#include <QApplication>
#include <QDateTime>
#include <QMessageBox>
#include <QVBoxLayout>
#include <QVariant>
#include <QWidget>

#include <sqlite3.h>

#include <cstdio>
#include <initializer_list>
#include <memory>
#include <string>

#include <agendor/control/agendor.h>
#include <agendor/platform/qt/agendor_widget.h>
#include <agendor/platform/qt/qt_date_time.h>
#include <agendor/platform/sqlite/sqlite_database.h>

namespace {

using Connection = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;

// Runs one statement with its ? parameters bound in order; false when
// SQLite refuses it.
bool Execute(sqlite3* db, const char* sql, std::initializer_list<QVariant> values = {}) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) return false;
    int index = 0;
    for (const QVariant& value : values) {
        ++index;
        if (value.typeId() == QMetaType::Double) {
            sqlite3_bind_double(statement, index, value.toDouble());
        } else if (value.typeId() == QMetaType::Int) {
            sqlite3_bind_int(statement, index, value.toInt());
        } else {
            const QByteArray text = value.toString().toUtf8();
            sqlite3_bind_text(statement, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
    }
    const int result = sqlite3_step(statement);
    sqlite3_finalize(statement);
    return result == SQLITE_DONE || result == SQLITE_ROW;
}

// The control asks for the appointments of a week or a month by their date
// and for the persons by name: both indexes hold what the queries read.
bool CreateTables(sqlite3* db) {
    return Execute(db,
                   "CREATE TABLE IF NOT EXISTS Personen (PersonID INTEGER PRIMARY KEY, Name TEXT NOT NULL)") &&
           Execute(db, "CREATE INDEX IF NOT EXISTS Personen_Name ON Personen (Name)") &&
           Execute(db,
                   "CREATE TABLE IF NOT EXISTS Termine (TerminID INTEGER PRIMARY KEY, Datum REAL NOT NULL,"
                   " PersonID INTEGER NOT NULL REFERENCES Personen (PersonID), Name TEXT NOT NULL)") &&
           Execute(db, "CREATE INDEX IF NOT EXISTS Termine_Datum ON Termine (Datum, PersonID, Name)") &&
           Execute(db,
                   "INSERT INTO Personen (PersonID, Name)"
                   " SELECT * FROM (VALUES (1, 'Meier'), (2, 'Schulz'), (3, 'Weber'))"
                   " WHERE NOT EXISTS (SELECT 1 FROM Personen)");
}

// Refuses a change that could not be stored, and says so.
void Refuse(QWidget* window, bool& cancel) {
    cancel = true;
    QMessageBox::warning(window, "Termine", "Die Änderung konnte nicht gespeichert werden.");
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2 && !(args.size() == 4 && args[2] == "--screenshot")) {
        std::fprintf(stderr, "usage: minimal-host FILE.sqlite [--screenshot FILE.png]\n");
        return 2;
    }

    sqlite3* opened = nullptr;
    const int rc = sqlite3_open(args[1].toUtf8().constData(), &opened);
    Connection db(opened, &sqlite3_close);
    if (rc != SQLITE_OK || !CreateTables(db.get())) {
        std::fprintf(stderr, "minimal-host: %s\n", sqlite3_errmsg(db.get()));
        return 1;
    }

    QWidget window;
    window.setWindowTitle("Termine");
    auto* calendar = new agendor::qt::AgendorWidget(&window);
    (new QVBoxLayout(&window))->addWidget(calendar);

    // Where the persons and the appointments are, and their fields.
    calendar->setDataSourcePerson("Personen");
    calendar->setFieldSourcePersonID("PersonID");
    calendar->setFieldSourcePerson("Name");
    calendar->setDataSourceDates("Termine");
    calendar->setFieldDatesDateID("TerminID");
    calendar->setFieldDatesDate("Datum");
    calendar->setFieldDatesPerson("Name");
    // The control reads through the host's own connection, so it sees each
    // change as soon as the host has stored it.
    agendor::Agendor& control = calendar->control();
    control.SetWorkspace(std::make_shared<agendor::sqlite::SqliteWorkspace>());
    control.SetDatabase(agendor::sqlite::SqliteDatabase::Attach(db.get()));

    // The control never writes: the host stores each change or cancels it.
    QObject::connect(calendar, &agendor::qt::AgendorWidget::dateNew,
                     [&](double when, int personId, const QString& person, bool& cancel) {
                         if (!Execute(db.get(), "INSERT INTO Termine (Datum, PersonID, Name) VALUES (?, ?, ?)",
                                      {when, personId, person}))
                             Refuse(&window, cancel);
                     });
    QObject::connect(calendar, &agendor::qt::AgendorWidget::dateChange,
                     [&](int dateId, double, double newWhen, bool& cancel) {
                         if (!Execute(db.get(), "UPDATE Termine SET Datum = ? WHERE TerminID = ?", {newWhen, dateId}))
                             Refuse(&window, cancel);
                     });
    QObject::connect(calendar, &agendor::qt::AgendorWidget::dateDel,
                     [&](int dateId, double, const QString&, bool& cancel) {
                         if (!Execute(db.get(), "DELETE FROM Termine WHERE TerminID = ?", {dateId}))
                             Refuse(&window, cancel);
                     });

    // A new file gets one appointment today at nine, so the sheet shows one.
    const double nine = agendor::qt::FromQDateTime(QDateTime(QDate::currentDate(), QTime(9, 0)));
    Execute(db.get(),
            "INSERT INTO Termine (Datum, PersonID, Name) SELECT ?, 1, 'Meier'"
            " WHERE NOT EXISTS (SELECT 1 FROM Termine)",
            {nine});

    window.resize(900, 680);
    window.show();
    calendar->Refresh();
    if (args.size() == 4) {
        QApplication::processEvents();
        return window.grab().save(args[3]) ? 0 : 1;
    }
    return app.exec();
}
