// The demo's iCalendar export and import on real SQLite files: the export
// read back by libical and compared with the database row by row, the
// import stored through the demo's own change handlers.
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>

#include <libical/ical.h>

#include <filesystem>
#include <fstream>

#include "agendor/control/instance_access.h"
#include "agendor/data/day_grid.h"
#include "demo/tests/qt/demo_desk.h"

namespace agendor::demo {
namespace {

using Rows = std::vector<std::string>;

std::string WallClock(DateTime when) { return dt::Format(when, "dd.mm.yyyy hh:nn", DefaultLocale()); }

class IcsExchange : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // A sample database of six persons (the same in every file) with
    // appointments in 2027, shown on the month of 14 March 2027.
    std::unique_ptr<DemoWindow> Open(const std::string& name, long appointments) {
        const std::string path = File(name);
        sqlite::SampleOptions options;
        options.persons = 6;
        options.appointments = appointments;
        options.fromYear = options.toYear = 2027;
        auto window = std::make_unique<DemoWindow>(path, sqlite::CreateSampleDatabase(path, options));
        Agendor& control = window->calendar().control();
        control.SetDateValue(dt::FromYmd(2027, 3, 14));
        control.SetView(agMonat);
        window->calendar().Refresh();
        return window;
    }

    std::string File(const std::string& name) { return dir.filePath(QString::fromStdString(name)).toStdString(); }
    QString Path(const std::string& name) { return QString::fromStdString(File(name)); }

    // "dd.mm.yyyy hh:nn Name PersonID" of the appointments in [from, to), by time.
    Rows Stored(const std::string& name, DateTime from = dt::FromYmd(100, 1, 1), DateTime to = 3e6) {
        return testing::Stored(File(name), "Name, PersonID",
                               " WHERE Datum >= " + testing::Literal(from) + " AND Datum < " + testing::Literal(to));
    }

    // Each VEVENT as libical reads it: "dd.mm.yyyy hh:nn Summary" in Berlin
    // time, and the UIDs.
    std::pair<Rows, Rows> ReadBack(const std::string& name) {
        std::ifstream file(File(name), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        icalcomponent* calendar = icalparser_parse_string(text.c_str());
        icaltimezone* berlin = icaltimezone_get_builtin_timezone("Europe/Berlin");
        Rows rows, uids;
        for (icalcomponent* e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); e;
             e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
            const icaltimetype t = icaltime_convert_to_zone(icalcomponent_get_dtstart(e), berlin);
            rows.push_back(WallClock(dt::FromYmdHms(t.year, t.month, t.day, t.hour, t.minute, t.second)) + " " +
                           icalcomponent_get_summary(e));
            uids.push_back(icalcomponent_get_uid(e));
        }
        icalcomponent_free(calendar);
        return {rows, uids};
    }

    qt::AgendorWidget::IcsResult Import(DemoWindow& window, const std::string& name, const std::string& text) {
        std::ofstream(File(name), std::ios::binary) << text;
        return window.ImportIcs(Path(name));
    }

    QTemporaryDir dir;
};

// The rows without their person ids, as a calendar file holds them.
Rows WithoutIds(Rows rows) {
    for (std::string& row : rows) row.erase(row.rfind(' '));
    return rows;
}

std::string Calendar(const std::string& events) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//DE\r\n" + events + "END:VCALENDAR\r\n";
}

std::string Event(const std::string& start, const std::string& summary, const std::string& more = "") {
    return "BEGIN:VEVENT\r\nDTSTART" + start + "\r\nSUMMARY:" + summary + "\r\n" + more + "END:VEVENT\r\n";
}

TEST_F(IcsExchange, MonthExportedReadBackAndImportedIntoAnEmptyDatabase) {
    auto source = Open("praxis.sqlite", 400);
    const Rows march = Stored("praxis.sqlite", dt::FromYmd(2027, 3, 1), dt::FromYmd(2027, 4, 1));
    ASSERT_GT(march.size(), 10u);

    const auto first = source->ExportShownSheetIcs(Path("maerz.ics"));
    EXPECT_TRUE(first.ok);
    EXPECT_EQ(first.message.toStdString(),
              std::to_string(march.size()) + " Termine in „" + File("maerz.ics") + "“ geschrieben.");
    const auto [rows, uids] = ReadBack("maerz.ics");
    EXPECT_EQ(rows, WithoutIds(march));
    ASSERT_TRUE(source->ExportShownSheetIcs(Path("nochmal.ics")).ok);
    EXPECT_EQ(ReadBack("nochmal.ics").second, uids) << "a second export updates instead of duplicating";

    // The week of 14 March: Monday 8 to Sunday 14.
    source->calendar().control().SetView(agWoche);
    ASSERT_TRUE(source->ExportShownSheetIcs(Path("woche.ics")).ok);
    EXPECT_EQ(ReadBack("woche.ics").first,
              WithoutIds(Stored("praxis.sqlite", dt::FromYmd(2027, 3, 8), dt::FromYmd(2027, 3, 15))));

    // The second appointment of a day, chosen with the right mouse button
    // on its row of the day grid.
    std::size_t second = 1;
    while (second < march.size() && march[second].substr(0, 10) != march[second - 1].substr(0, 10)) ++second;
    ASSERT_LT(second, march.size());
    ShowDayOf(InstanceOf(source->calendar().control()), *dt::ParseDayMonthYear(march[second].substr(0, 10)));
    qt::QtFlexGrid& dayGrid = *source->calendar().surface().GridZoom;
    dayGrid.SetRow(1);
    QTimer::singleShot(0, [] {
        if (QWidget* menu = QApplication::activePopupWidget()) menu->close();
    });
    emit dayGrid.customContextMenuRequested(dayGrid.CellRect(2, 1).center());
    EXPECT_EQ(dayGrid.Row(), 2);
    ASSERT_TRUE(source->ExportDayGridRowIcs(Path("termin.ics")).ok);
    EXPECT_EQ(ReadBack("termin.ics"), std::pair(WithoutIds({march[second]}), Rows{uids[second]}));

    auto empty = Open("leer.sqlite", 0);
    const auto imported = empty->ImportIcs(Path("maerz.ics"));
    EXPECT_TRUE(imported.ok);
    EXPECT_EQ(imported.message.toStdString(),
              "Übernommen: " + std::to_string(march.size()) + ", abgelehnt: 0, übersprungen: 0.");
    EXPECT_EQ(Stored("leer.sqlite"), march) << "times, persons and their ids";
    EXPECT_NE(empty->calendar().surface().Grid->TextMatrix(3, 0).find('\r'), std::string::npos)
        << "the sheet was reloaded and shows the imported appointments";
}

TEST_F(IcsExchange, ImportSkipsWithReasonsAndStoresTheRest) {
    auto window = Open("leer.sqlite", 0);
    QStringList menu, dayGrid;
    for (const QAction* a : window->menuBar()->actions().front()->menu()->actions()) menu << a->text().remove('&');
    for (const QAction* a : window->calendar().surface().GridZoom->actions()) dayGrid << a->text();
    EXPECT_TRUE(menu.contains("Als iCalendar exportieren …") && menu.contains("iCalendar importieren …")) << menu.join('|').toStdString();
    EXPECT_EQ(dayGrid, QStringList{"Termin als iCalendar …"});
    const std::string known = window->calendar().surface().cboPerson->List(0);
    const std::string knownId = std::to_string(InstanceOf(window->calendar().control()).state.PersonIds[0]);
    const auto result = Import(*window, "gemischt.ics",
                               Calendar(Event(":20270315T090000Z", "Unbekannt, Uwe") +
                                        Event(":20270315T080000Z", "Serie", "RRULE:FREQ=WEEKLY\r\n") +
                                        Event(";VALUE=DATE:20270316", "Urlaub") +
                                        Event(":00500101T090000", "Antike") +
                                        Event(":99991231T233000Z", "Zukunft") +
                                        Event(";TZID=Europe/Berlin:20270315T083000", known)));
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.appointments, 2);
    EXPECT_EQ(result.message.toStdString(),
              "Übernommen: 2, abgelehnt: 0, übersprungen: 4.\n"
              "Termin 2 „Serie“: wiederkehrender Termin\n"
              "Termin 3 „Urlaub“: ganztägiger Termin\n"
              "Termin 4 „Antike“: liegt außerhalb von 1.1.100 bis 31.12.9999\n"
              "Termin 5 „Zukunft“: liegt außerhalb von 1.1.100 bis 31.12.9999");
    EXPECT_EQ(Stored("leer.sqlite"), (Rows{"15.03.2027 08:30 " + known + " " + knownId, "15.03.2027 10:00 Unbekannt, Uwe NULL"}))
        << "in start order; the person matched by name, no person id when none matches";
}

TEST_F(IcsExchange, BadFilesAreRefusedAndNothingIsStored) {
    auto window = Open("leer.sqlite", 0);
    std::string many;
    for (int i = 0; i < 100'000; ++i) many += "BEGIN:VEVENT\r\nDTSTART:20270115T080000Z\r\nEND:VEVENT\r\n";
    const std::string good = Calendar(Event(":20270315T090000Z", "A") + Event(":20270316T090000Z", "B"));
    const struct {
        std::string name, text, message;
    } rows[] = {
        {"text.ics", "Termine: Mo 9 Uhr Müller\n", "ist keine iCalendar-Datei."},
        {"abgeschnitten.ics", good.substr(0, good.size() - 40),
         "ist unvollständig: der Kalender endet nicht mit END:VCALENDAR."},
        {"viele.ics", Calendar(many), "enthält mehr als 10.000 Termine; so viele werden nicht auf einmal importiert."},
    };
    for (const auto& row : rows) {
        const auto result = Import(*window, row.name, row.text);
        EXPECT_FALSE(result.ok) << row.name;
        EXPECT_EQ(result.message.toStdString(),
                  "Die Datei „" + File(row.name) + "“ " + row.message + " Es wurde nichts importiert.");
    }
    const auto mars = Import(*window, "mars.ics",
                             Calendar(Event(":20270315T090000Z", "A") +
                                      Event(";TZID=Mars/Olympus:20270316T090000", "Rover")));
    EXPECT_EQ(mars.message.toStdString(), "Der Termin 2 „Rover“ in „" + File("mars.ics") +
                                              "“ liegt in der unbekannten Zeitzone „Mars/Olympus“. Es wurde nichts importiert.");
    std::ofstream(File("gross.ics")) << good;
    std::filesystem::resize_file(File("gross.ics"), 100u * 1024 * 1024);
    EXPECT_EQ(window->ImportIcs(Path("gross.ics")).message.toStdString(),
              "Die Datei „" + File("gross.ics") + "“ ist größer als 16 MB. Es wurde nichts importiert.");
    EXPECT_EQ(Stored("leer.sqlite"), Rows{});
}

TEST_F(IcsExchange, LongRunsShowProgressAndStopCleanly) {
    auto window = Open("leer.sqlite", 0);
    std::string events;
    for (int i = 0; i < 400; ++i) events += Event(":20270315T" + std::to_string(100000 + i % 60 * 100) + "Z", "P");
    // The person presses Abbrechen once 150 appointments are stored.
    int raised = 0;
    QObject::connect(&window->calendar(), &qt::AgendorWidget::dateNew, [&](double, std::int32_t, const QString&, bool&) {
        if (++raised != 150) return;
        if (auto* dialog = window->calendar().findChild<QProgressDialog*>()) {
            QDir().mkpath(QStringLiteral(AGENDOR_DEMO_TEST_OUTPUT));
            dialog->grab().save(QStringLiteral(AGENDOR_DEMO_TEST_OUTPUT "/ics-import-progress.png"));
            dialog->cancel();
        }
    });
    const auto result = Import(*window, "viele.ics", Calendar(events));
    EXPECT_EQ(result.message.toStdString(),
              "Der Import wurde nach 150 von 400 Terminen abgebrochen.\nÜbernommen: 150, abgelehnt: 0, übersprungen: 0.");
    EXPECT_EQ(Stored("leer.sqlite").size(), 150u);

    // An export stopped at once leaves no file behind.
    window->calendar().control().SetView(agMonat);
    QTimer::singleShot(0, [&] {
        if (auto* dialog = window->calendar().findChild<QProgressDialog*>()) dialog->cancel();
    });
    window->calendar().icsOptions().progressAbove = 100;
    const auto stopped = window->ExportShownSheetIcs(Path("abbruch.ics"));
    EXPECT_FALSE(stopped.ok);
    EXPECT_EQ(stopped.message.toStdString(), "Der Export wurde abgebrochen; „" + File("abbruch.ics") + "“ ist unverändert.");
    EXPECT_FALSE(std::filesystem::exists(File("abbruch.ics")));
}

} // namespace
} // namespace agendor::demo
