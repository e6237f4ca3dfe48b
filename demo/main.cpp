// agendor-demo: a host application for the calendar control.
//   agendor-demo [--db FILE | --pg CONNINFO]
//   agendor-demo --screenshot FILE.png [--view week|month] [--date DD.MM.YYYY] [--size WxH] [--db FILE]
//   agendor-demo --print FILE.pdf [--view week|month] [--date DD.MM.YYYY] [--db FILE]
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <iostream>
#include <optional>
#include <string>

#include "agendor/control/agendor.h"
#include "demo/demo_window.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/qt/agendor_widget.h"
#include "agendor/platform/qt/qt_host.h"

namespace {

struct Options {
    std::string db;
    bool dbGiven = false;
    std::string pg;  // a PostgreSQL connection string: the calendar shared with other desks
    std::string screenshot;
    std::string print;
    std::optional<int> view;
    std::optional<double> date;
    int width = 900, height = 680;
};

[[noreturn]] void Usage(const std::string& error) {
    if (!error.empty()) std::cerr << "agendor-demo: " << error << "\n";
    std::cerr << "usage: agendor-demo [--db FILE | --pg CONNINFO] [--screenshot FILE.png | --print FILE.pdf]"
                 " [--view week|month]"
                 " [--date DD.MM.YYYY] [--size WxH]\n";
    std::exit(error.empty() ? 0 : 2);
}

Options Parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) Usage(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--db") {
            o.db = value();
            o.dbGiven = true;
        }
        else if (arg == "--pg") o.pg = value();
        else if (arg == "--screenshot") o.screenshot = value();
        else if (arg == "--print") {
            o.print = value();
            if (o.print.empty()) Usage("--print needs a file name");
        }
        else if (arg == "--view") {
            const std::string v = value();
            if (v == "week") o.view = agendor::agWoche;
            else if (v == "month") o.view = agendor::agMonat;
            else Usage("--view takes week or month, not \"" + v + "\"");
        } else if (arg == "--date") {
            const std::string v = value();
            o.date = agendor::dt::ParseDayMonthYear(v);
            if (!o.date) Usage("--date: \"" + v + "\" is no date DD.MM.YYYY");
        } else if (arg == "--size") {
            const std::string v = value();
            if (std::sscanf(v.c_str(), "%dx%d", &o.width, &o.height) != 2 || o.width < 200 || o.height < 150 ||
                o.width > 10000 || o.height > 10000)
                Usage("--size takes WxH in pixels, e.g. 900x680");
        } else if (arg == "--help" || arg == "-h") Usage("");
        else Usage("unknown argument \"" + arg + "\"");
    }
    if (o.dbGiven && !o.pg.empty()) Usage("--db and --pg exclude each other");
    return o;
}

// A failure that ends the demo: on standard error and, when a person can
// see it, in a box; the exit code is 1.
int Fail(const std::string& message) {
    std::cerr << "agendor-demo: " << message << std::endl;
    if (!agendor::qt::Headless()) {
        agendor::qt::ShowMessage(nullptr, {message, "Agendor", agendor::MessageIcon::Critical, agendor::MessageButtons::Ok});
    }
    return 1;
}

std::string AppointmentsTable(const agendor::sqlite::DataProperties& properties) {
    for (const auto& p : properties)
        if (p.name == "DataSourceDates") return p.value;
    return "Termine";
}

} // namespace

int main(int argc, char** argv) {
    const Options options = Parse(argc, argv);
    // Without a display (a server, CI) the window is drawn off screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName("agendor-demo");
    // Qt's own dialogs (the file dialog, the buttons of a box) in German,
    // as the rest of the program.
    QTranslator qtGerman;
    if (qtGerman.load(QLocale(QLocale::German, QLocale::Germany), "qtbase", "_",
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtGerman);
    try {
        std::unique_ptr<agendor::demo::DemoWindow> shown;
        if (!options.pg.empty()) {
            shown = std::make_unique<agendor::demo::DemoWindow>(agendor::demo::DemoWindow::Server{options.pg},
                                                                agendor::demo::PrepareServer(options.pg));
        } else {
            const std::string path = options.dbGiven ? options.db : agendor::demo::DefaultDatabasePath();
            if (const auto problem = agendor::demo::PathProblem(path)) return Fail(*problem);
            agendor::sqlite::DataProperties properties;
            try {
                properties = agendor::demo::PrepareDatabase(path);
            } catch (const std::exception& e) {
                return Fail("Die Datenbank „" + path + "“ kann nicht angelegt werden: " + e.what());
            }
            if (const auto problem = agendor::demo::DatabaseProblem(path, AppointmentsTable(properties)))
                return Fail(*problem);
            shown = std::make_unique<agendor::demo::DemoWindow>(path, properties);
        }
        agendor::demo::DemoWindow& window = *shown;
        agendor::Agendor& control = window.calendar().control();
        if (options.date) control.SetDateValue(*options.date);
        window.resize(options.width, options.height);
        window.show();
        QApplication::processEvents();
        // Assigning the view presses its toolbar button and builds the sheet.
        control.SetView(options.view.value_or(agendor::agMonat));
        if (!options.print.empty()) {
            // Headless: nobody could close a box, so what it says goes to
            // standard error.
            bool failed = false;
            window.calendar().container().SetAnswerer([&failed](const agendor::Message& m) {
                QString text = QString::fromStdString(m.text);
                text.replace("\r\n", ": ");
                std::cerr << "agendor-demo: " << text.toStdString() << "\n";
                failed = true;
                return agendor::MessageResult::Ok;
            });
            const bool printed = window.calendar().PrintSheetToPdf(QString::fromStdString(options.print));
            return printed && !failed ? 0 : 1;
        }
        if (!options.screenshot.empty()) {
            QApplication::processEvents();
            if (!window.grab().save(QString::fromStdString(options.screenshot))) {
                std::cerr << "agendor-demo: cannot write " << options.screenshot << "\n";
                return 1;
            }
            // An error box nobody saw still makes the run fail.
            return agendor::qt::CriticalBoxesShown() > 0 ? 1 : 0;
        }
        return QApplication::exec();
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
}
