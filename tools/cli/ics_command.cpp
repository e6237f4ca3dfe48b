#include "tools/cli/ics_command.h"

#include <filesystem>
#include <iostream>

#include "agendor/core/date_time.h"
#include "agendor/platform/ical/ics_calendar.h"
#include "agendor/core/locale.h"

namespace agendor::cli {

namespace {

constexpr std::size_t kProgressAbove = 300;

// A line on stderr that counts up, rewritten in place.
bool ShowProgress(const char* what, std::size_t done, std::size_t total) {
    if (total <= kProgressAbove) return true;
    std::cerr << '\r' << what << ": " << done << " von " << total << (done == total ? "\n" : "") << std::flush;
    return true;
}

} // namespace

int ExportIcs(Agendor& control, const Options& options, DateTime dateValue, std::optional<std::int16_t> view) {
    const std::optional<std::string> path = options.Value("--ics");
    if (!path || path->empty()) throw UsageError("export needs --ics FILE");
    DateTime first = dateValue, last = dateValue;
    if (options.Has("--from") || options.Has("--to")) {
        if (!options.Has("--from") || !options.Has("--to")) throw UsageError("--from and --to go together");
        if (options.Has("--date") || view) throw UsageError("--from/--to exclude --date and --view");
        first = ParseDateArgument("--from", *options.Value("--from"));
        last = ParseDateArgument("--to", *options.Value("--to"));
        if (first > last) throw UsageError("--from must not lie after --to");
    } else if (view == agMonat) {
        first = dt::FromYmd(dt::Year(dateValue), dt::Month(dateValue), 1);
        last = dt::FromYmd(dt::Year(dateValue), dt::Month(dateValue) + 1, 0);
    } else if (view) {
        first = dt::AddDays(dateValue, 1 - dt::Weekday(dateValue));
        last = dt::AddDays(first, 6);
    }
    ical::ExportSettings settings;
    if (const auto v = options.Value("--duration"))
        settings.durationMinutes = static_cast<int>(ParseIntegerArgument("--duration", *v, 1, 1440));
    if (const auto v = options.Value("--zone")) settings.timeZone = *v;
    settings.source = control.AppointmentSource();
    std::vector<ical::Appointment> appointments;
    for (const StoredAppointment& a : control.ReadAppointments(first, last))
        appointments.push_back({a.id, a.when, a.person});
    ical::WriteCalendarFile(appointments, *path, settings,
                            [](std::size_t done, std::size_t total) { return ShowProgress("Export", done, total); });
    std::cout << std::filesystem::absolute(*path).string() << '\n';
    return 0;
}

int ImportIcs(const std::vector<std::string>& args) {
    const Options options(args, {"--ics", "--zone"}, {});
    const std::optional<std::string> path = options.Value("--ics");
    if (!path || path->empty()) throw UsageError("import needs --ics FILE");
    ical::ImportSettings settings;
    if (const auto v = options.Value("--zone")) settings.timeZone = *v;
    const ical::ReadResult read = ical::ReadCalendarFile(*path, settings);
    std::string out;
    for (const ical::Incoming& a : read.appointments)
        out += dt::Format(a.when, "dd.mm.yyyy hh:nn", DefaultLocale()) + '\t' + a.person + '\n';
    std::cout << out;
    for (const ical::Skipped& s : read.skipped)
        std::cerr << "Termin " << s.position << (s.summary.empty() ? "" : " „" + s.summary + "“") << ": " << s.reason
                  << '\n';
    return 0;
}

} // namespace agendor::cli
