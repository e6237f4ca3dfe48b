#include "agendor/platform/ical/ics_calendar.h"

#include <libical/ical.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <system_error>

#include "agendor/core/date_time.h"

namespace agendor::ical {

namespace {

struct ComponentDeleter {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentDeleter>;

struct ParserDeleter {
    void operator()(icalparser* p) const { icalparser_free(p); }
};

std::string Quoted(const std::string& s) { return "„" + s + "“"; }

// 100000 as 100.000, as German readers group digits.
std::string Grouped(std::uintmax_t n) {
    std::string digits = std::to_string(n), out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += '.';
        out += digits[i];
    }
    return out;
}

std::string Trimmed(const char* text) {
    if (!text) return {};
    std::string s(text);
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

bool StartsWithNoCase(const char* line, std::string_view prefix) {
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (line[i] == '\0') return false;
        if (std::toupper(static_cast<unsigned char>(line[i])) != prefix[i]) return false;
    }
    return true;
}

// libical ends the process on some errors unless told otherwise; an import
// of a damaged file must end in a message instead.
void PrepareLibrary() {
    static const bool prepared = [] {
        icalerror_set_errors_are_fatal(0);
        return true;
    }();
    (void)prepared;
}

icaltimezone* Zone(const std::string& name) {
    if (name == "UTC") return icaltimezone_get_utc_timezone();
    icaltimezone* zone = icaltimezone_get_builtin_timezone(name.c_str());
    if (!zone) throw Error("Die Zeitzone " + Quoted(name) + " ist unbekannt.");
    return zone;
}

// 64-bit FNV-1a: a stable digest of the source, the same on every machine.
std::string Digest(const std::string& text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char out[17];
    std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(hash));
    return out;
}

icaltimetype WallClock(DateTime when) {
    const dt::Ymd day = dt::ToYmd(when);
    const dt::Hms time = dt::TimeOf(when);
    icaltimetype t = icaltime_null_time();
    t.year = day.year;
    t.month = day.month;
    t.day = day.day;
    t.hour = time.hour;
    t.minute = time.minute;
    t.second = time.second;
    t.is_date = 0;
    return t;
}

// Lines of the text for libical's parser, which unfolds them.
struct TextSource {
    std::string_view text;
    std::size_t offset = 0;
};

char* NextLine(char* buffer, size_t size, void* data) {
    auto* source = static_cast<TextSource*>(data);
    if (source->offset >= source->text.size() || size < 2) return nullptr;
    std::size_t n = 0;
    while (source->offset + n < source->text.size() && n + 1 < size) {
        const char c = source->text[source->offset + n++];
        if (c == '\n') break;
    }
    std::memcpy(buffer, source->text.data() + source->offset, n);
    buffer[n] = '\0';
    source->offset += n;
    return buffer;
}

bool IsRecurring(icalcomponent* event) {
    return icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY) ||
           icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY) ||
           icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
}

std::string NothingImported(const std::string& what) { return what + " Es wurde nichts importiert."; }

std::string TooLarge(const std::string& name, std::uintmax_t maxBytes) {
    return NothingImported("Die Datei " + Quoted(name) + " ist größer als " + Grouped(maxBytes / (1024 * 1024)) +
                           " MB.");
}

} // namespace

std::string Uid(const std::string& id, const std::string& source) {
    return id + "-" + Digest(source) + "@agendor";
}

std::optional<std::string> CalendarText(const std::vector<Appointment>& appointments, const ExportSettings& settings,
                                        const Progress& progress) {
    PrepareLibrary();
    if (settings.durationMinutes < 1 || settings.durationMinutes > 1440)
        throw Error("Die Dauer eines Termins muss zwischen 1 und 1440 Minuten liegen.");
    icaltimezone* zone = Zone(settings.timeZone);
    icaltimezone* utc = icaltimezone_get_utc_timezone();
    Component calendar(icalcomponent_new_vcalendar());
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_prodid("-//Agendor//Agendor 3.0//DE"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_calscale("GREGORIAN"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_method(ICAL_METHOD_PUBLISH));
    // The zone under its plain name, as the starts name it.
    const bool inUtc = zone == utc;
    if (!inUtc) {
        icalcomponent* definition = icalcomponent_new_clone(icaltimezone_get_component(zone));
        icalproperty_set_tzid(icalcomponent_get_first_property(definition, ICAL_TZID_PROPERTY),
                              settings.timeZone.c_str());
        icalcomponent_add_component(calendar.get(), definition);
    }
    const icaltimetype stamp =
        settings.stamp ? icaltime_from_timet_with_zone(static_cast<time_t>(*settings.stamp), 0, utc)
                       : icaltime_current_time_with_zone(utc);
    const icaldurationtype duration = icaldurationtype_from_int(settings.durationMinutes * 60);
    const std::size_t total = appointments.size();
    for (std::size_t i = 0; i < total; ++i) {
        if (progress && i % 100 == 0 && !progress(i, total)) return std::nullopt;
        const Appointment& a = appointments[i];
        icalcomponent* event = icalcomponent_new_vevent();
        icalcomponent_add_property(event, icalproperty_new_uid(Uid(a.id, settings.source).c_str()));
        icalcomponent_add_property(event, icalproperty_new_dtstamp(stamp));
        icaltimetype start = WallClock(a.when);
        icalproperty* dtstart;
        if (inUtc) {
            start.zone = utc;
            dtstart = icalproperty_new_dtstart(start);
        } else {
            dtstart = icalproperty_new_dtstart(start);
            icalproperty_add_parameter(dtstart, icalparameter_new_tzid(settings.timeZone.c_str()));
        }
        icalcomponent_add_property(event, dtstart);
        icalcomponent_add_property(event, icalproperty_new_duration(duration));
        icalcomponent_add_property(event, icalproperty_new_summary(a.person.c_str()));
        if (!settings.categories.empty())
            icalcomponent_add_property(event, icalproperty_new_categories(settings.categories.c_str()));
        if (!settings.description.empty())
            icalcomponent_add_property(event, icalproperty_new_description(settings.description.c_str()));
        icalcomponent_add_component(calendar.get(), event);
    }
    if (progress && !progress(total, total)) return std::nullopt;
    char* text = icalcomponent_as_ical_string_r(calendar.get());
    std::string out(text ? text : "");
    icalmemory_free_buffer(text);
    return out;
}

bool WriteCalendarFile(const std::vector<Appointment>& appointments, const std::string& path,
                       const ExportSettings& settings, const Progress& progress) {
    namespace fs = std::filesystem;
    const std::optional<std::string> text = CalendarText(appointments, settings, progress);
    if (!text) return false;
    const fs::path target(path);
    // Beside the target, so that the rename stays on one file system.
    fs::path temporary = target;
    temporary += ".tmp-" + std::to_string(std::random_device{}());
    const std::string failure = "Die Datei " + Quoted(path) + " konnte nicht geschrieben werden.";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file) throw Error(failure);
        file.write(text->data(), static_cast<std::streamsize>(text->size()));
        file.close();
        if (!file) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            throw Error(failure);
        }
    }
    std::error_code error;
    fs::rename(temporary, target, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw Error(failure);
    }
    return true;
}

ReadResult ReadCalendarText(std::string_view text, const std::string& name, const ImportSettings& settings) {
    PrepareLibrary();
    const std::string file = "Die Datei " + Quoted(name);
    if (text.size() > settings.maxBytes)
        throw Error(TooLarge(name, settings.maxBytes));
    icaltimezone* host = Zone(settings.timeZone);

    std::unique_ptr<icalparser, ParserDeleter> parser(icalparser_new());
    TextSource source{text};
    icalparser_set_gen_data(parser.get(), &source);
    std::vector<Component> calendars;
    std::size_t events = 0;
    // The first line after the last whole component began one: the text
    // ends inside it. What it began tells a cut calendar from other data.
    std::optional<bool> openCalendar;
    char* line = nullptr;
    do {
        line = icalparser_get_line(parser.get(), NextLine);
        if (line && line[0] != '\0') {
            if (StartsWithNoCase(line, "BEGIN:VEVENT") && ++events > settings.maxEvents) {
                icalmemory_free_buffer(line);
                throw Error(NothingImported(file + " enthält mehr als " + Grouped(settings.maxEvents) +
                                            " Termine; so viele werden nicht auf einmal importiert."));
            }
            if (!openCalendar) openCalendar = StartsWithNoCase(line, "BEGIN:VCALENDAR");
        }
        if (icalcomponent* root = icalparser_add_line(parser.get(), line)) {
            calendars.emplace_back(root);
            openCalendar.reset();
        }
        if (line) icalmemory_free_buffer(line);
    } while (line);

    if (openCalendar && *openCalendar)
        throw Error(NothingImported(file + " ist unvollständig: der Kalender endet nicht mit END:VCALENDAR."));
    if (calendars.empty()) throw Error(NothingImported(file + " ist keine iCalendar-Datei."));
    for (const Component& calendar : calendars)
        if (icalcomponent_isa(calendar.get()) != ICAL_VCALENDAR_COMPONENT)
            throw Error(NothingImported(file + " ist keine iCalendar-Datei."));

    ReadResult result;
    std::size_t position = 0;
    for (const Component& calendar : calendars) {
        for (icalcomponent* event = icalcomponent_get_first_component(calendar.get(), ICAL_VEVENT_COMPONENT); event;
             event = icalcomponent_get_next_component(calendar.get(), ICAL_VEVENT_COMPONENT)) {
            ++position;
            const std::string summary = Trimmed(icalcomponent_get_summary(event));
            const auto skip = [&](const std::string& reason) { result.skipped.push_back({position, summary, reason}); };
            if (IsRecurring(event)) {
                skip(kRecurring);
                continue;
            }
            icalproperty* start = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
            icaltimetype t = icalcomponent_get_dtstart(event);
            if (!start || icaltime_is_null_time(t)) {
                skip(kNoStart);
                continue;
            }
            if (t.is_date) {
                skip(kAllDay);
                continue;
            }
            if (icalparameter* tzid = icalproperty_get_first_parameter(start, ICAL_TZID_PARAMETER); tzid && !t.zone) {
                const char* zoneName = icalparameter_get_tzid(tzid);
                throw Error(NothingImported("Der Termin " + std::to_string(position) + " " + Quoted(summary) +
                                            " in " + Quoted(name) + " liegt in der unbekannten Zeitzone " +
                                            Quoted(zoneName ? zoneName : "") + "."));
            }
            // A time without a zone is a time of the host's clock already.
            if (t.zone) t = icaltime_convert_to_zone(t, host);
            if (t.year < dt::kMinYear || t.year > dt::kMaxYear) {
                skip(kOutOfRange);
                continue;
            }
            result.appointments.push_back(
                {dt::FromYmdHms(t.year, t.month, t.day, t.hour, t.minute, t.second), summary, position});
        }
    }
    std::stable_sort(result.appointments.begin(), result.appointments.end(),
                     [](const Incoming& a, const Incoming& b) { return a.when < b.when; });
    return result;
}

ReadResult ReadCalendarFile(const std::string& path, const ImportSettings& settings) {
    namespace fs = std::filesystem;
    const std::string unreadable = NothingImported("Die Datei " + Quoted(path) + " konnte nicht gelesen werden.");
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error || fs::is_directory(path)) throw Error(unreadable);
    if (size > settings.maxBytes)
        throw Error(TooLarge(path, settings.maxBytes));
    std::ifstream file(path, std::ios::binary);
    if (!file) throw Error(unreadable);
    std::string text(static_cast<std::size_t>(size), '\0');
    file.read(text.data(), static_cast<std::streamsize>(size));
    text.resize(static_cast<std::size_t>(file.gcount()));
    return ReadCalendarText(text, path, settings);
}

std::string ImportSummary(const ReadResult& read, const ImportCounts& counts) {
    const std::size_t total = read.appointments.size();
    const std::size_t done = counts.taken + counts.cancelled;
    std::string out;
    if (!counts.error.empty())
        out += "Der Import endete nach " + Grouped(done) + " von " + Grouped(total) +
               " Terminen mit einem Fehler: " + counts.error + "\n";
    else if (counts.stopped)
        out += "Der Import wurde nach " + Grouped(done) + " von " + Grouped(total) + " Terminen abgebrochen.\n";
    out += "Übernommen: " + Grouped(counts.taken) + ", abgelehnt: " + Grouped(counts.cancelled) +
           ", übersprungen: " + Grouped(read.skipped.size()) + ".";
    // A long list of skipped events would not fit a message box.
    constexpr std::size_t kListed = 10;
    for (std::size_t i = 0; i < read.skipped.size() && i < kListed; ++i) {
        const Skipped& s = read.skipped[i];
        out += "\nTermin " + std::to_string(s.position) + (s.summary.empty() ? "" : " " + Quoted(s.summary)) + ": " +
               s.reason;
    }
    if (read.skipped.size() > kListed) out += "\n… und " + Grouped(read.skipped.size() - kListed) + " weitere";
    return out;
}

} // namespace agendor::ical
