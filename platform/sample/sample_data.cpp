#include "agendor/platform/sample/sample_data.h"

#include <algorithm>
#include <array>
#include <istream>
#include <random>
#include <string_view>

#include "agendor/core/date_time.h"
#include "agendor/platform/types.h"

namespace agendor::sample {
namespace {

constexpr std::array<std::string_view, 40> kFirstNames = {
    "Anna",   "Jürgen",  "Sören",  "Jörg",    "Lena",   "Maximilian", "Sophie", "Paul",   "Marie",  "Lukas",
    "Hannah", "Felix",   "Emilia", "Jonas",   "Mia",    "Leon",       "Clara",  "Elias",  "Greta",  "Björn",
    "Käthe",  "Matthias", "Ute",   "Torsten", "Sabine", "Günter",     "Heike",  "Uwe",    "Birgit", "Klaus",
    "Gisela", "Dieter",  "Monika", "Frank",   "Renate", "Stefan",     "Petra",  "Andreas", "Ilse",  "Tobias"};

constexpr std::array<std::string_view, 40> kLastNames = {
    "Müller",  "Schmidt", "Schneider", "Fischer", "Weber",   "Meyer",    "Wagner",  "Becker",   "Schulz", "Hoffmann",
    "Schäfer", "Koch",    "Bauer",     "Richter", "Klein",   "Wolf",     "Schröder", "Neumann", "Schwarz", "Zimmermann",
    "Braun",   "Krüger",  "Hofmann",   "Hartmann", "Lange",  "Schmitt",  "Werner",  "Schmitz",  "Krause", "Meier",
    "Lehmann", "Schmid",  "Schulze",   "Maier",   "Köhler",  "Herrmann", "König",   "Walter",   "Mayer",  "Weiß"};

// Appointments fall on quarter hours from 08:00 to 17:45.
constexpr int kFirstMinute = 8 * 60;
constexpr int kSlotMinutes = 15;
constexpr int kSlots = 40;
// One working day in this many is a busy one, with this many times the
// usual share of appointments, so that some cells of the sheet are over-full.
constexpr std::uint64_t kBusyDayEvery = 25;
constexpr std::uint64_t kBusyWeight = 12;

struct WorkingDay {
    long day;  // serial day number
    dt::Ymd date;
};

struct Appointment {
    std::uint32_t dayIndex;  // into the working days
    std::uint16_t slot;      // [0, kSlots)
    std::uint16_t person;    // [0, persons)
    friend bool operator<(const Appointment& a, const Appointment& b) {
        if (a.dayIndex != b.dayIndex) return a.dayIndex < b.dayIndex;
        if (a.slot != b.slot) return a.slot < b.slot;
        return a.person < b.person;
    }
};

void CheckParametersImpl(const SampleParameters& options) {
    if (options.persons < 1 || options.persons > 32767)
        throw Error("Ungültige Anzahl Personen " + std::to_string(options.persons) + ": erlaubt sind 1 bis 32767.");
    if (options.appointments < 0 || options.appointments > 50'000'000)
        throw Error("Ungültige Anzahl Termine " + std::to_string(options.appointments) +
                    ": erlaubt sind 0 bis 50000000.");
    if (options.fromYear < dt::kMinYear || options.toYear > dt::kMaxYear || options.fromYear > options.toYear)
        throw Error("Ungültige Jahre " + std::to_string(options.fromYear) + " bis " + std::to_string(options.toYear) +
                    ": erlaubt sind Jahre von 100 bis 9999, das erste nicht nach dem letzten.");
}

// std::shuffle and the standard distributions differ between libraries; the
// sample must be the same file for the same seed everywhere.
std::uint64_t Below(std::mt19937_64& random, std::uint64_t bound) { return random() % bound; }

std::vector<std::string> PersonNames(int count, std::mt19937_64& random) {
    std::vector<std::string> combinations;
    for (const std::string_view last : kLastNames)
        for (const std::string_view first : kFirstNames)
            combinations.push_back(std::string(last) + ", " + std::string(first));
    for (std::size_t i = combinations.size() - 1; i > 0; --i) std::swap(combinations[i], combinations[Below(random, i + 1)]);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        const std::size_t round = static_cast<std::size_t>(i) / combinations.size();
        std::string name = combinations[static_cast<std::size_t>(i) % combinations.size()];
        if (round > 0) name += " (" + std::to_string(round + 1) + ")";
        names.push_back(std::move(name));
    }
    return names;
}

std::vector<WorkingDay> WorkingDays(int fromYear, int toYear) {
    std::vector<WorkingDay> days;
    const long first = static_cast<long>(dt::FromYmd(fromYear, 1, 1));
    const long last = static_cast<long>(dt::FromYmd(toYear, 12, 31));
    for (long day = first; day <= last; ++day) {
        const double value = static_cast<double>(day);
        if (dt::Weekday(value) <= 5) days.push_back({day, dt::ToYmd(value)});
    }
    return days;
}

std::vector<Appointment> Appointments(long count, int persons, std::size_t workingDays, std::mt19937_64& random) {
    std::vector<std::uint64_t> cumulative(workingDays);
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < workingDays; ++i) {
        total += Below(random, kBusyDayEvery) == 0 ? kBusyWeight : 1;
        cumulative[i] = total;
    }
    std::vector<Appointment> appointments(static_cast<std::size_t>(count));
    for (Appointment& appointment : appointments) {
        const std::uint64_t pick = Below(random, total);
        appointment.dayIndex = static_cast<std::uint32_t>(
            std::upper_bound(cumulative.begin(), cumulative.end(), pick) - cumulative.begin());
        appointment.slot = static_cast<std::uint16_t>(Below(random, kSlots));
        appointment.person = static_cast<std::uint16_t>(Below(random, static_cast<std::uint64_t>(persons)));
    }
    std::sort(appointments.begin(), appointments.end());
    return appointments;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

} // namespace

void CheckParameters(const SampleParameters& parameters) { CheckParametersImpl(parameters); }

SampleCalendar GenerateSample(const SampleParameters& parameters) {
    CheckParameters(parameters);
    std::mt19937_64 random(parameters.seed);
    SampleCalendar calendar;
    calendar.persons = PersonNames(parameters.persons, random);
    const std::vector<WorkingDay> days = WorkingDays(parameters.fromYear, parameters.toYear);
    const std::vector<Appointment> appointments =
        Appointments(parameters.appointments, parameters.persons, days.size(), random);
    calendar.appointments.reserve(appointments.size());
    long id = 0;
    for (const Appointment& appointment : appointments)
        calendar.appointments.push_back({++id, days[appointment.dayIndex].day,
                                         kFirstMinute + kSlotMinutes * appointment.slot, appointment.person});
    return calendar;
}

const std::vector<std::string>& DataPropertyNames() {
    static const std::vector<std::string> kNames = {"DataSourcePerson", "FieldSourcePersonID", "FieldSourcePerson",
                                                    "DataSourceDates",  "FieldDatesDateID",    "FieldDatesDate",
                                                    "FieldDatesPerson"};
    return kNames;
}

DataProperties SampleDataProperties() {
    return {{"DataSourcePerson", "Personen"}, {"FieldSourcePersonID", "PersonID"}, {"FieldSourcePerson", "Name"},
            {"DataSourceDates", "Termine"},   {"FieldDatesDateID", "TerminID"},    {"FieldDatesDate", "Datum"},
            {"FieldDatesPerson", "Name"}};
}

std::string FormatDataProperties(const DataProperties& properties) {
    std::string text;
    for (const DataProperty& property : properties) text += property.name + "=" + property.value + "\n";
    return text;
}

DataProperties ReadDataProperties(std::istream& input) {
    DataProperties properties;
    std::string line;
    for (int number = 1; std::getline(input, line); ++number) {
        const std::string_view content = Trimmed(line);
        if (content.empty() || content.front() == '#') continue;
        const std::string where = "Zeile " + std::to_string(number) + ": ";
        const std::size_t equals = content.find('=');
        if (equals == std::string_view::npos)
            throw Error(where + "erwartet wird Eigenschaft=Wert, gefunden: " + std::string(content));
        const std::string name(Trimmed(content.substr(0, equals)));
        const std::string value(Trimmed(content.substr(equals + 1)));
        const auto& known = DataPropertyNames();
        if (std::find(known.begin(), known.end(), name) == known.end())
            throw Error(where + name + " ist keine Dateneigenschaft (erlaubt: DataSourcePerson, "
                                       "FieldSourcePersonID, FieldSourcePerson, DataSourceDates, "
                                       "FieldDatesDateID, FieldDatesDate, FieldDatesPerson).");
        const bool repeated = std::any_of(properties.begin(), properties.end(),
                                          [&](const DataProperty& p) { return p.name == name; });
        if (repeated) throw Error(where + name + " ist schon gesetzt.");
        properties.push_back({name, value});
    }
    return properties;
}

} // namespace agendor::sample
