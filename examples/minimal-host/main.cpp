// A minimal host of the Agendor calendar control: it opens a SQLite file
// (a new one gets two tables and a few persons), places the control in its
// window, names the tables and fields, and stores the appointments that
// the user adds, moves and deletes: each change committed or refused with
// its reason, the date in the form the file keeps it in, a change or
// deletion only while the appointment still has the time the user saw.
//   minimal-host FILE.sqlite [--screenshot FILE.png]
#include <QApplication>
#include <QDateTime>
#include <QMessageBox>
#include <QTimer>
#include <QVBoxLayout>
#include <QVariant>
#include <QWidget>

#include <sqlite3.h>

#include <cstdio>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

#include <agendor/control/agendor.h>
#include <agendor/platform/qt/agendor_widget.h>
#include <agendor/platform/qt/qt_date_time.h>
#include <agendor/platform/sqlite/date_storage.h>
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

// Stores one change in a transaction of its own and returns the reason when
// it could not be: then nothing of it is in the file. bind gets the
// statement and the form of the date field (REAL or ISO text); a change or
// deletion (oneRow) must hit exactly one row. Every step is checked: when
// another program holds the file past the busy timeout, COMMIT fails and
// SQLite keeps the transaction open, so it is rolled back here.
std::optional<QString> Store(sqlite3* db, const std::string& sql,
                             const std::function<void(sqlite3_stmt*, const agendor::sqlite::DateForm&)>& bind,
                             bool oneRow) {
    const auto undo = [db](const QString& reason) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return std::optional<QString>(reason);
    };
    const auto failed = [db](int rc) {
        return (rc & 0xff) == SQLITE_BUSY
                   ? QString("Die Datei ist gerade von einem anderen Programm belegt; es wurde nichts gespeichert.")
                   : QString::fromUtf8(sqlite3_errmsg(db));
    };
    if (const int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr); rc != SQLITE_OK)
        return undo(failed(rc));
    agendor::sqlite::DateForm form;
    try {
        form = agendor::sqlite::FindDateForm(db, "Termine", "Datum");
    } catch (const agendor::Error& error) {
        return undo(QString::fromStdString(error.Description()));
    }
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
    if (rc == SQLITE_OK) {
        bind(statement, form);
        rc = sqlite3_step(statement);
    }
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE) return undo(failed(rc));
    if (oneRow && sqlite3_changes(db) != 1)
        return undo("Der Termin wurde inzwischen von einem anderen Benutzer geändert oder gelöscht.");
    if (const int committed = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr); committed != SQLITE_OK)
        return undo(failed(committed));
    return std::nullopt;
}

// Refuses a change that could not be stored and says why; then shows what
// the file holds, once the control has finished its event (the refused
// change may have been another user's doing).
void Refuse(QWidget* window, agendor::qt::AgendorWidget* calendar, const QString& reason, bool& cancel) {
    cancel = true;
    QMessageBox::warning(window, "Termine", "Die Änderung wurde nicht gespeichert:\n" + reason);
    QTimer::singleShot(0, calendar, [calendar] { calendar->Refresh(); });
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
    // A change or deletion goes through only while the appointment still
    // has the time the user saw, compared in whatever form the field keeps.
    using agendor::sqlite::DateForm;
    const std::string stillAt = agendor::sqlite::StillAt("Datum", 3);
    QObject::connect(calendar, &agendor::qt::AgendorWidget::dateNew,
                     [&](double when, int personId, const QString& person, bool& cancel) {
                         const QByteArray name = person.toUtf8();
                         const auto failure = Store(db.get(),
                                                    "INSERT INTO Termine (Datum, PersonID, Name) VALUES (?1, ?2, ?3)",
                                                    [&](sqlite3_stmt* s, const DateForm& form) {
                                                        agendor::sqlite::BindDate(s, 1, when, form);
                                                        sqlite3_bind_int(s, 2, personId);
                                                        sqlite3_bind_text(s, 3, name.constData(), int(name.size()),
                                                                          SQLITE_TRANSIENT);
                                                    }, false);
                         if (failure) Refuse(&window, calendar, *failure, cancel);
                     });
    QObject::connect(calendar, &agendor::qt::AgendorWidget::dateChange,
                     [&](int dateId, double oldWhen, double newWhen, bool& cancel) {
                         const auto failure = Store(db.get(),
                                                    "UPDATE Termine SET Datum = ?1 WHERE TerminID = ?2 AND " + stillAt,
                                                    [&](sqlite3_stmt* s, const DateForm& form) {
                                                        agendor::sqlite::BindDate(s, 1, newWhen, form);
                                                        sqlite3_bind_int(s, 2, dateId);
                                                        agendor::sqlite::BindStillAt(s, 3, oldWhen);
                                                    }, true);
                         if (failure) Refuse(&window, calendar, *failure, cancel);
                     });
    QObject::connect(calendar, &agendor::qt::AgendorWidget::dateDel,
                     [&](int dateId, double when, const QString&, bool& cancel) {
                         const auto failure = Store(db.get(), "DELETE FROM Termine WHERE TerminID = ?2 AND " + stillAt,
                                                    [&](sqlite3_stmt* s, const DateForm&) {
                                                        sqlite3_bind_int(s, 2, dateId);
                                                        agendor::sqlite::BindStillAt(s, 3, when);
                                                    }, true);
                         if (failure) Refuse(&window, calendar, *failure, cancel);
                     });

    // A new file gets one appointment today at nine, so the sheet shows one.
    const double nine = agendor::qt::FromQDateTime(QDateTime(QDate::currentDate(), QTime(9, 0)));
    Store(db.get(),
          "INSERT INTO Termine (Datum, PersonID, Name) SELECT ?1, 1, 'Meier' WHERE NOT EXISTS (SELECT 1 FROM Termine)",
          [&](sqlite3_stmt* s, const agendor::sqlite::DateForm& form) { agendor::sqlite::BindDate(s, 1, nine, form); },
          false);

    window.resize(900, 680);
    window.show();
    calendar->Refresh();
    if (args.size() == 4) {
        QApplication::processEvents();
        return window.grab().save(args[3]) ? 0 : 1;
    }
    return app.exec();
}
