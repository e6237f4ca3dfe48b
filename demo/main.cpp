// agendor-demo: a host application for the calendar control.
//   agendor-demo [--db FILE | --pg CONNINFO]
//   agendor-demo --screenshot FILE.png [--view week|month] [--date DD.MM.YYYY] [--size WxH] [--db FILE]
#include <QApplication>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

#include "agendor/control/agendor.h"
#include "demo/demo_window.h"
#include "agendor/platform/date_time.h"
#include "agendor/platform/qt/agendor_widget.h"

namespace {

struct Options {
    std::string db;
    std::string pg;  // a PostgreSQL connection string: the calendar shared with other desks
    std::string screenshot;
    std::optional<int> view;
    std::optional<double> date;
    int width = 900, height = 680;
};

[[noreturn]] void Usage(const std::string& error) {
    if (!error.empty()) std::cerr << "agendor-demo: " << error << "\n";
    std::cerr << "usage: agendor-demo [--db FILE | --pg CONNINFO] [--screenshot FILE.png] [--view week|month]"
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
        if (arg == "--db") o.db = value();
        else if (arg == "--pg") o.pg = value();
        else if (arg == "--screenshot") o.screenshot = value();
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
    if (!o.db.empty() && !o.pg.empty()) Usage("--db and --pg exclude each other");
    return o;
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
    try {
        const std::string path = options.db.empty() ? agendor::demo::DefaultDatabasePath() : options.db;
        agendor::demo::DemoWindow window =
            options.pg.empty()
                ? agendor::demo::DemoWindow(path, agendor::demo::PrepareDatabase(path))
                : agendor::demo::DemoWindow(agendor::demo::DemoWindow::Server{options.pg},
                                            agendor::demo::PrepareServer(options.pg));
        agendor::Agendor& control = window.calendar().control();
        if (options.date) control.SetDateValue(*options.date);
        window.resize(options.width, options.height);
        window.show();
        QApplication::processEvents();
        // Assigning the view presses its toolbar button and builds the sheet.
        control.SetView(options.view.value_or(agendor::agMonat));
        if (!options.screenshot.empty()) {
            QApplication::processEvents();
            if (!window.grab().save(QString::fromStdString(options.screenshot))) {
                std::cerr << "agendor-demo: cannot write " << options.screenshot << "\n";
                return 1;
            }
            return 0;
        }
        return QApplication::exec();
    } catch (const std::exception& e) {
        std::cerr << "agendor-demo: " << e.what() << "\n";
        return 1;
    }
}
