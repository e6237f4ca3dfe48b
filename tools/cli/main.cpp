// agendor-cli: the control without a screen. It lays Agendor out over the
// in-memory widgets with their fixed text metrics and prints what the
// control shows, so a host can check a sheet, a day or the named days of a
// year from a script.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "agendor/control/agendor.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/memory/surface.h"
#include "tools/cli/arguments.h"
#include "tools/cli/output.h"

#ifdef AGENDOR_HAVE_QT
#include <filesystem>

#include "tools/cli/qt/pdf_printer.h"
#endif
#ifdef AGENDOR_HAVE_SQLITE
#include "agendor/platform/sqlite/sample_database.h"
#include "agendor/platform/sqlite/sqlite_database.h"
#endif
#ifdef AGENDOR_HAVE_POSTGRES
#include "agendor/platform/postgres/pg_database.h"
#include "agendor/platform/postgres/pg_sample.h"
#endif
#include "agendor/platform/sample/sample_data.h"
#ifdef AGENDOR_HAVE_ICAL
#include "tools/cli/ics_command.h"
#endif

namespace agendor::cli {

namespace {

constexpr const char* kUsage =
    R"(Usage: agendor-cli COMMAND [OPTIONS]

Prints what the Agendor calendar control shows, laid out headless over the
in-memory widgets. Output is UTF-8 text on stdout.

Commands:
  holidays YEAR
      Every day of YEAR (100 to 9999) that has a name, in date order, one line
      each: dd.mm.yyyy<TAB>name. Before 1583 the days that depend on Easter
      have no name.

  sheet [--view week|month] [--date DD.MM.YYYY] [--today DD.MM.YYYY]
        [--width TWIPS] [--height TWIPS] [--no-holidays] [--colors]
        [--db FILE [--properties FILE] [--date-storage real|iso]]
      Builds the sheet as Refresh does and prints the text of lblMonat, then
      one line per grid row from 0 (the weekday headings) to Rows - 1, the
      cells separated by TAB. Inside a cell a CR (the start of an appointment
      line) is written as the two characters \n and a TAB as \t.
      With --colors each cell's text is followed by
      " {back=RRGGBB fore=RRGGBB}" (hex, red first).
      With --db the appointments of the sheet are loaded from the SQLite file
      and shown in their cells, and one line per marker of a full cell
      follows the grid: marker<TAB>row<TAB>col<TAB>tag.

  day --db FILE [--date DD.MM.YYYY] [--today DD.MM.YYYY] [--view week|month]
      [--width TWIPS] [--height TWIPS] [--properties FILE]
      [--date-storage real|iso]
      Refreshes the sheet, then opens the day grid for the date as ShowDay
      fills it: the title line, then one line per day-grid row (row 0 the
      headings), every column (time, person, date-time, id) separated by TAB.

  print --pdf FILE|--printer NAME [--view week|month] [--date DD.MM.YYYY]
        [--from DD.MM.YYYY --to DD.MM.YYYY] [--today DD.MM.YYYY]
        [--no-holidays] [--footnote TEXT]
        [--db FILE [--properties FILE] [--date-storage real|iso]]
      Prints the sheet as PrintSheet prints it, one A4 landscape page, into
      the PDF file FILE (replaced when it exists) and prints the file's full
      path, or sends it to the print queue NAME and prints NAME. With --from
      and --to it prints every week or month sheet the days from ... to
      touch, one page each, as one document. With --db the appointments of
      the sheet stand in their cells. Texts are measured in the fonts that
      are installed, not by the fixed rule below.

  persons --db FILE [--properties FILE] [--date-storage real|iso]
      Refreshes the control and prints the person list as it loaded it, in
      its order, one line per entry: id<TAB>name (the id empty when
      FieldSourcePersonID is not set).

  export --ics FILE [--date DD.MM.YYYY [--view week|month] |
         --from DD.MM.YYYY --to DD.MM.YYYY] [--duration MINUTES] [--zone NAME]
         (--db FILE [--properties FILE] [--date-storage real|iso] | --pg CONNINFO)
      Writes the appointments of the day --date (default today), of its week
      or month with --view, or of the days --from to --to into the iCalendar
      file FILE (replaced as a whole when it exists) and prints the file's
      full path: one VEVENT each, its UID the same for the same appointment
      and database, DTSTART in the zone NAME (default Europe/Berlin) with its
      VTIMEZONE, DURATION MINUTES long (default 15), SUMMARY the person. Over
      300 appointments a progress line on stderr counts up.

  import --ics FILE [--zone NAME]
      Reads FILE as the control's import reads it and prints the appointments
      it would hand to the host, in start order, converted to the zone NAME
      (default Europe/Berlin): dd.mm.yyyy hh:nn<TAB>person. The events it
      leaves out (recurring, all-day, outside 1.1.100 to 31.12.9999) are
      listed on stderr with their reason. agendor-cli writes to no database.

  sheet, day, persons, export: --pg CONNINFO instead of --db FILE reads a
      PostgreSQL database (CONNINFO as libpq takes it, "host=/run/pg
      dbname=termine" or a postgresql:// URI); the date storage is read from
      the server.

  sample --db FILE [--persons N] [--appointments N] [--from YYYY] [--to YYYY]
         [--seed S] [--date-storage real|iso] [--replace]
      Creates a sample SQLite database (persons with German names,
      appointments in working hours) and prints the seven data properties a
      host sets for it, one line each: Property=Value. An existing FILE is
      refused unless --replace is given.

  sample --pg CONNINFO [--persons N] [--appointments N] [--from YYYY]
         [--to YYYY] [--seed S] [--date-storage timestamp|real] [--replace]
      The same sample (the same seed gives the same rows) in the tables
      "Personen" and "Termine" of a PostgreSQL database, with the dates as
      timestamp (default) or as days since 30 Dec 1899 (real). Existing
      tables are refused unless --replace is given.

  help, --help, -h
      This text.

Options:
  --view week|month   the sheet to build (default month)
  --date DD.MM.YYYY   DateValue, the day whose week or month is shown
                      (default today)
  --today DD.MM.YYYY  the clock's today: past days, today's cell, the default
                      --date (default the system's local date)
  --width, --height   the control's inner size in twips, 1/1440 inch, 0 to
                      1000000 (default 8175 x 7185); the resize layout fixes
                      the column width from it
  --no-holidays       PublicHoliday off: no named days behind the day numbers
  --properties FILE   the data properties as Property=Value lines, as sample
                      prints them (default: those of the sample database)
  --date-storage      how the database stores date-time fields: real (days
                      since 30 Dec 1899, default) or iso (text
                      "YYYY-MM-DD HH:MM:SS")

Text metrics. Texts are measured by a fixed rule, the same on every machine:
a text is 90 twips wide per character (Unicode code point) of its longest
line and 195 twips high per line, both scaled by font size / 8.25 points and
rounded to the nearest twip (halves to even); a screen pixel is 15 twips.
The control's font is Arial 8.25 points, so with the default size a sheet
column is 1168 twips wide and a cell holds texts narrower than
1168 - 10 pixels = 1018 twips, that is 11 characters. A named day that does
not fit is cut after the day number, which always stays.

Exit status: 0 on success; 2 on a wrong argument (an unknown option, a date
that does not exist such as 31.02.2027, a year outside 100 to 9999) or any
other failure, with a one-line message on stderr.
)";

constexpr Twips kDefaultWidth = 8175;
constexpr Twips kDefaultHeight = 7185;
constexpr long kMaxTwips = 1'000'000;

// A description on one line: the control's message boxes break lines with
// CR LF.
std::string OneLine(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += ": ";
        } else {
            out += c;
        }
    }
    return out;
}

std::int16_t ParseView(const Options& options) {
    const std::optional<std::string> view = options.Value("--view");
    if (!view || *view == "month") return agMonat;
    if (*view == "week") return agWoche;
    throw UsageError("--view: \"" + *view + "\" is neither week nor month");
}

// What the sheet and day commands share: the size, the clock, the day and
// the view, and where the appointments come from.
struct SheetSettings {
    DateTime now = 0;
    DateTime date = 0;
    std::int16_t view = agMonat;
    Twips width = kDefaultWidth;
    Twips height = kDefaultHeight;
    bool holidays = true;
    std::optional<std::string> databasePath;
    std::optional<std::string> conninfo;  // --pg
    std::optional<std::string> propertiesPath;
    std::string dateStorage = "real";
};

const std::set<std::string> kSheetValued = {"--view",  "--date", "--today",      "--width",
                                            "--height", "--db",  "--properties", "--date-storage", "--pg"};

SheetSettings ReadSheetSettings(const Options& options) {
    SheetSettings settings;
    if (const auto today = options.Value("--today")) {
        // Noon, so that no reading of the clock can fall on another day.
        settings.now = ParseDateArgument("--today", *today) + 0.5;
    } else {
        settings.now = SystemClock().Now();
    }
    settings.date = dt::DateOnly(settings.now);
    if (const auto date = options.Value("--date")) settings.date = ParseDateArgument("--date", *date);
    settings.view = ParseView(options);
    if (const auto width = options.Value("--width"))
        settings.width = static_cast<Twips>(ParseIntegerArgument("--width", *width, 0, kMaxTwips));
    if (const auto height = options.Value("--height"))
        settings.height = static_cast<Twips>(ParseIntegerArgument("--height", *height, 0, kMaxTwips));
    settings.holidays = !options.Flag("--no-holidays");
    settings.databasePath = options.Value("--db");
    settings.conninfo = options.Value("--pg");
    if (settings.databasePath && settings.conninfo) throw UsageError("--db and --pg exclude each other");
    if (settings.conninfo && options.Has("--date-storage"))
        throw UsageError("--date-storage: the server's column types tell how dates are stored");
    settings.propertiesPath = options.Value("--properties");
    if (const auto storage = options.Value("--date-storage")) {
        if (*storage != "real" && *storage != "iso")
            throw UsageError("--date-storage: \"" + *storage + "\" is neither real nor iso");
        settings.dateStorage = *storage;
    }
    if (!settings.databasePath && !settings.conninfo && (settings.propertiesPath || options.Has("--date-storage")))
        throw UsageError("--properties and --date-storage need --db FILE");
    return settings;
}

void SetDataProperties(Agendor& control, const SheetSettings& settings) {
    if (settings.propertiesPath) {
        std::ifstream file(*settings.propertiesPath);
        if (!file) throw UsageError("--properties: cannot read \"" + *settings.propertiesPath + "\"");
        for (const sample::DataProperty& property : sample::ReadDataProperties(file))
            SetDataProperty(control, property.name, property.value);
    } else {
        for (const sample::DataProperty& property : sample::SampleDataProperties())
            SetDataProperty(control, property.name, property.value);
    }
}

#ifdef AGENDOR_HAVE_POSTGRES
void ConnectServer(Agendor& control, const SheetSettings& settings) {
    SetDataProperties(control, settings);
    control.SetWorkspace(std::make_shared<postgres::PgWorkspace>());
    control.SetDatabase(postgres::PgDatabase::Open(*settings.conninfo));
}
#else
void ConnectServer(Agendor&, const SheetSettings&) {
    throw UsageError("--pg: this agendor-cli was built without PostgreSQL");
}
#endif

#ifdef AGENDOR_HAVE_SQLITE
sqlite::DateStorage StorageOf(const std::string& name) {
    return name == "iso" ? sqlite::DateStorage::IsoText : sqlite::DateStorage::Real;
}

void ConnectDatabase(Agendor& control, const SheetSettings& settings) {
    if (settings.conninfo) return ConnectServer(control, settings);
    SetDataProperties(control, settings);
    sqlite::SqliteOptions options;
    options.dateStorage = StorageOf(settings.dateStorage);
    control.SetWorkspace(std::make_shared<sqlite::SqliteWorkspace>());
    control.SetDatabase(sqlite::SqliteDatabase::Open(*settings.databasePath, options));
}
#else
void ConnectDatabase(Agendor& control, const SheetSettings& settings) {
    if (settings.conninfo) return ConnectServer(control, settings);
    throw UsageError("--db: this agendor-cli was built without SQLite");
}
#endif

// The control as a host sets it up: created over the surface, new-instance
// defaults, sized by its container, then the properties.
class HeadlessControl {
public:
    explicit HeadlessControl(const SheetSettings& settings) : ui_(settings.now), control_(ui_.surface()) {
        control_.InitProperties();
        control_.Resize(settings.width, settings.height);
        control_.SetDateValue(settings.date);
        control_.SetPublicHoliday(settings.holidays);
        // Stored directly rather than through the View setter, whose Refresh
        // would run before the data properties are set.
        control_.SetViewWithoutRefresh(settings.view);
        if (settings.databasePath || settings.conninfo) ConnectDatabase(control_, settings);
    }

    // Refresh with a database; without one the sheet alone, since Refresh
    // stops at the missing data properties.
    void Build(const SheetSettings& settings) {
        if (settings.databasePath || settings.conninfo) Run([this] { control_.Refresh(); });
        else Run([this] { control_.ShowSheet(); });
    }

    // Runs a step of the control and turns a message box it showed (a
    // missing property, an error it trapped) into a failure of the tool.
    template <typename Step>
    void Run(Step step) {
        const std::size_t before = ui_.container.Messages().size();
        step();
        const auto& messages = ui_.container.Messages();
        if (messages.size() > before) throw Error(OneLine(messages[before].text));
    }

    memory::MemorySurface& ui() { return ui_; }
    Agendor& control() { return control_; }

private:
    memory::MemorySurface ui_;
    Agendor control_;
};

int Holidays(const std::vector<std::string>& args) {
    if (args.size() != 1) throw UsageError("holidays needs exactly one argument, the year");
    const int year = static_cast<int>(ParseIntegerArgument("YEAR", args[0], dt::kMinYear, dt::kMaxYear));
    const Locale& locale = DefaultLocale();
    const long first = dt::DayNumber(dt::FromYmd(year, 1, 1));
    const long last = dt::DayNumber(dt::FromYmd(year, 12, 31));
    std::string out;
    for (long day = first; day <= last; ++day) {
        const DateTime date = dt::Compose(day, 0);
        const std::string name = NamedDay(date);
        if (!name.empty()) out += dt::Format(date, "dd.mm.yyyy", locale) + '\t' + name + '\n';
    }
    std::cout << out;
    return 0;
}

int Sheet(const std::vector<std::string>& args) {
    const Options options(args, kSheetValued, {"--no-holidays", "--colors"});
    const SheetSettings settings = ReadSheetSettings(options);
    HeadlessControl headless(settings);
    headless.Build(settings);
    std::cout << SheetLines(headless.ui(), options.Flag("--colors")) << MarkerLines(headless.ui());
    return 0;
}

int Day(const std::vector<std::string>& args) {
    const Options options(args, kSheetValued, {"--no-holidays"});
    const SheetSettings settings = ReadSheetSettings(options);
    if (!settings.databasePath && !settings.conninfo) throw UsageError("day needs --db FILE or --pg CONNINFO");
    HeadlessControl headless(settings);
    headless.Build(settings);
    headless.Run([&] { headless.control().ShowDay(settings.date); });
    std::cout << DayGridLines(headless.ui());
    return 0;
}

#ifdef AGENDOR_HAVE_QT
int Print(const std::vector<std::string>& args) {
    std::set<std::string> valued = kSheetValued;
    valued.insert({"--pdf", "--printer", "--footnote", "--from", "--to"});
    const Options options(args, valued, {"--no-holidays"});
    const std::optional<std::string> pdf = options.Value("--pdf");
    const std::optional<std::string> queue = options.Value("--printer");
    if (pdf.has_value() == queue.has_value() || (pdf && pdf->empty()) || (queue && queue->empty()))
        throw UsageError("print needs either --pdf FILE or --printer NAME");
    const std::optional<std::string> from = options.Value("--from"), to = options.Value("--to");
    if (from.has_value() != to.has_value()) throw UsageError("print needs --from and --to together");
    const SheetSettings settings = ReadSheetSettings(options);
    HeadlessControl headless(settings);
    Agendor& control = headless.control();
    if (const auto footnote = options.Value("--footnote")) control.SetFootnote(*footnote);
    control.SetPrinter(pdf ? PdfPrinter(*pdf) : QueuePrinter(*queue));
    if (from) {
        const DateTime first = ParseDateArgument("--from", *from), last = ParseDateArgument("--to", *to);
        headless.Run([&] { control.PrintSheets(first, last, settings.view); });
    } else {
        headless.Run([&] { control.PrintSheet(settings.view); });
    }
    std::cout << (pdf ? std::filesystem::absolute(*pdf).string() : *queue) << '\n';
    return 0;
}
#else
int Print(const std::vector<std::string>&) {
    throw UsageError("print: this agendor-cli was built without Qt");
}
#endif

int Persons(const std::vector<std::string>& args) {
    const Options options(args, kSheetValued, {});
    const SheetSettings settings = ReadSheetSettings(options);
    if (!settings.databasePath && !settings.conninfo) throw UsageError("persons needs --db FILE or --pg CONNINFO");
    HeadlessControl headless(settings);
    headless.Build(settings);
    const std::vector<std::int32_t> ids = headless.control().PersonIds();
    const ComboBox& box = headless.ui().cboPerson;
    std::string out;
    for (int k = 0; k < box.ListCount(); ++k) {
        const auto position = static_cast<std::size_t>(k);
        if (position < ids.size()) out += std::to_string(ids[position]);
        out += '\t' + box.List(k) + '\n';
    }
    std::cout << out;
    return 0;
}

int SampleOnServer(const Options& options);
sample::SampleParameters ReadSampleParameters(const Options& options);

#ifdef AGENDOR_HAVE_SQLITE
int Sample(const std::vector<std::string>& args) {
    const Options options(args,
                          {"--db", "--pg", "--persons", "--appointments", "--from", "--to", "--seed", "--date-storage"},
                          {"--replace"});
    if (options.Has("--pg")) return SampleOnServer(options);
    const std::optional<std::string> path = options.Value("--db");
    if (!path) throw UsageError("sample needs --db FILE or --pg CONNINFO");
    const sample::SampleParameters parameters = ReadSampleParameters(options);
    sqlite::SampleOptions sample;
    sample.persons = parameters.persons;
    sample.appointments = parameters.appointments;
    sample.fromYear = parameters.fromYear;
    sample.toYear = parameters.toYear;
    sample.seed = parameters.seed;
    if (const auto v = options.Value("--date-storage")) {
        if (*v != "real" && *v != "iso") throw UsageError("--date-storage: \"" + *v + "\" is neither real nor iso");
        sample.dateStorage = StorageOf(*v);
    }
    sample.replaceExisting = options.Flag("--replace");
    std::cout << sqlite::FormatDataProperties(sqlite::CreateSampleDatabase(*path, sample));
    return 0;
}
#else
int Sample(const std::vector<std::string>& args) {
    const Options options(args,
                          {"--db", "--pg", "--persons", "--appointments", "--from", "--to", "--seed", "--date-storage"},
                          {"--replace"});
    if (options.Has("--pg")) return SampleOnServer(options);
    throw UsageError("sample: this agendor-cli was built without SQLite");
}
#endif

// The sample's size, years and seed, as sample --db and sample --pg take them.
sample::SampleParameters ReadSampleParameters(const Options& options) {
    sample::SampleParameters parameters;
    if (const auto v = options.Value("--persons"))
        parameters.persons = static_cast<int>(ParseIntegerArgument("--persons", *v, 1, 32767));
    if (const auto v = options.Value("--appointments"))
        parameters.appointments = ParseIntegerArgument("--appointments", *v, 0, 50'000'000);
    if (const auto v = options.Value("--from"))
        parameters.fromYear = static_cast<int>(ParseIntegerArgument("--from", *v, dt::kMinYear, dt::kMaxYear));
    if (const auto v = options.Value("--to"))
        parameters.toYear = static_cast<int>(ParseIntegerArgument("--to", *v, dt::kMinYear, dt::kMaxYear));
    // Only one end given: a range of one year at that end.
    if (options.Has("--from") && !options.Has("--to")) parameters.toYear = std::max(parameters.toYear, parameters.fromYear);
    if (options.Has("--to") && !options.Has("--from")) parameters.fromYear = std::min(parameters.fromYear, parameters.toYear);
    if (parameters.fromYear > parameters.toYear) throw UsageError("--from must not lie after --to");
    if (const auto v = options.Value("--seed"))
        parameters.seed = static_cast<std::uint64_t>(ParseIntegerArgument("--seed", *v, 0, 9'223'372'036'854'775'807L));
    return parameters;
}

#ifdef AGENDOR_HAVE_POSTGRES
int SampleOnServer(const Options& options) {
    if (options.Has("--db")) throw UsageError("--db and --pg exclude each other");
    postgres::PgSampleOptions onServer;
    onServer.parameters = ReadSampleParameters(options);
    if (const auto v = options.Value("--date-storage")) {
        if (*v != "timestamp" && *v != "real")
            throw UsageError("--date-storage: \"" + *v + "\" is neither timestamp nor real");
        onServer.dateColumn = *v == "real" ? postgres::DateColumn::DayCount : postgres::DateColumn::Timestamp;
    }
    onServer.replaceExisting = options.Flag("--replace");
    std::cout << sample::FormatDataProperties(postgres::CreateSampleOnServer(*options.Value("--pg"), onServer));
    return 0;
}
#else
int SampleOnServer(const Options&) { throw UsageError("--pg: this agendor-cli was built without PostgreSQL"); }
#endif

#ifdef AGENDOR_HAVE_ICAL
int Export(const std::vector<std::string>& args) {
    std::set<std::string> valued = kSheetValued;
    valued.insert(kIcsExportValued.begin(), kIcsExportValued.end());
    const Options options(args, valued, {});
    const SheetSettings settings = ReadSheetSettings(options);
    if (!settings.databasePath && !settings.conninfo) throw UsageError("export needs --db FILE or --pg CONNINFO");
    HeadlessControl headless(settings);
    headless.Build(settings);
    return ExportIcs(headless.control(), options, settings.date,
                     options.Has("--view") ? std::optional<std::int16_t>(settings.view) : std::nullopt);
}
#else
int Export(const std::vector<std::string>&) { throw UsageError("export: this agendor-cli was built without iCalendar"); }
int ImportIcs(const std::vector<std::string>&) { throw UsageError("import: this agendor-cli was built without iCalendar"); }
#endif

int Run(const std::vector<std::string>& args) {
    if (args.empty()) throw UsageError("no command given (try agendor-cli --help)");
    const std::string& command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    const bool help = std::any_of(args.begin(), args.end(), [](const std::string& a) { return a == "--help" || a == "-h"; });
    if (command == "help" || help) {
        std::cout << kUsage;
        return 0;
    }
    if (command == "holidays") return Holidays(rest);
    if (command == "sheet") return Sheet(rest);
    if (command == "day") return Day(rest);
    if (command == "persons") return Persons(rest);
    if (command == "sample") return Sample(rest);
    if (command == "print") return Print(rest);
    if (command == "export") return Export(rest);
    if (command == "import") return ImportIcs(rest);
    throw UsageError("unknown command \"" + command + "\" (try agendor-cli --help)");
}

} // namespace

} // namespace agendor::cli

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return agendor::cli::Run(args);
    } catch (const std::exception& e) {
        std::cerr << "agendor-cli: " << agendor::cli::OneLine(e.what()) << '\n';
        return 2;
    }
}
