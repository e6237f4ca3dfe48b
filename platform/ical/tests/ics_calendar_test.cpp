// The iCalendar export read back by libical itself, and the import's
// conversions, skip reasons and refusals.
#include <gtest/gtest.h>
#include <libical/ical.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "agendor/core/date_time.h"
#include "agendor/platform/ical/ics_calendar.h"
#include "agendor/core/locale.h"
#include "tests/support/error_of.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace agendor::ical {
namespace {

namespace fs = std::filesystem;

fs::path TempDir() {
    fs::path dir = fs::temp_directory_path() / ("agendor-ical-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    return dir;
}

std::string Wrap(const std::string& events) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//DE\r\n" + events + "END:VCALENDAR\r\n";
}

std::string Event(const std::string& lines) { return "BEGIN:VEVENT\r\n" + lines + "END:VEVENT\r\n"; }

ExportSettings Fixed() {
    ExportSettings s;
    s.source = "termine.sqlite/Termine";
    s.stamp = 1'800'000'000;
    return s;
}

// Every VEVENT of a text as libical reads it: UID, start in UTC, summary.
struct ReadBack {
    std::string uid, startUtc, summary;
    int durationSeconds;
    bool operator==(const ReadBack&) const = default;
};
void PrintTo(const ReadBack& r, std::ostream* out) { *out << r.uid << " " << r.startUtc << " " << r.summary << " " << r.durationSeconds; }
std::vector<ReadBack> ReadWithLibical(const std::string& text) {
    icalcomponent* calendar = icalparser_parse_string(text.c_str());
    std::vector<ReadBack> out;
    for (icalcomponent* e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); e;
         e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
        const icaltimetype utc = icaltime_convert_to_zone(icalcomponent_get_dtstart(e), icaltimezone_get_utc_timezone());
        out.push_back({icalcomponent_get_uid(e), icaltime_as_ical_string(utc), icalcomponent_get_summary(e),
                       icaldurationtype_as_int(icalcomponent_get_duration(e))});
    }
    icalcomponent_free(calendar);
    return out;
}

TEST(IcsExport, BerlinWinterAndSummerReadBackInUtc) {
    const std::vector<Appointment> appointments = {{"7", dt::FromYmdHms(2027, 1, 15, 9, 0, 0), "Müller, Hans"},
                                                   {"8", dt::FromYmdHms(2027, 7, 15, 9, 0, 0), "Özdemir; Ayşe"}};
    const std::string text = *CalendarText(appointments, Fixed());
    EXPECT_NE(text.find("DTSTART;TZID=Europe/Berlin:20270115T090000\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\n"), std::string::npos);
    EXPECT_NE(text.find("DTSTAMP:20270115T080000Z"), std::string::npos) << "1.8e9 s after 1970";
    EXPECT_EQ(text.find("CATEGORIES"), std::string::npos);
    EXPECT_EQ(text.find("DESCRIPTION"), std::string::npos);
    EXPECT_EQ(ReadWithLibical(text), (std::vector<ReadBack>{{Uid("7", Fixed().source), "20270115T080000Z", "Müller, Hans", 900},
                                                            {Uid("8", Fixed().source), "20270715T070000Z", "Özdemir; Ayşe", 900}}));
}

TEST(IcsExport, UidsStableForIdAndSourceAndHostSettingsApply) {
    std::vector<Appointment> appointments = {{"41", dt::FromYmdHms(2027, 3, 1, 8, 30, 0), "A"},
                                             {"42", dt::FromYmdHms(2027, 3, 1, 9, 0, 0), "B"}};
    ExportSettings settings = Fixed();
    const auto first = ReadWithLibical(*CalendarText(appointments, settings));
    settings.stamp.reset();  // another moment, and the appointment moved
    appointments[0].when += 1;
    const auto second = ReadWithLibical(*CalendarText(appointments, settings));
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].uid, second[0].uid);
    EXPECT_EQ(first[1].uid, second[1].uid);
    EXPECT_NE(first[0].uid, first[1].uid);
    EXPECT_EQ(first[0].uid, Uid("41", "termine.sqlite/Termine"));
    EXPECT_NE(Uid("41", "termine.sqlite/Termine"), Uid("41", "praxis2.sqlite/Termine"));
    EXPECT_EQ(first[0].uid.find("sqlite"), std::string::npos) << "no path leaves the practice";

    settings.durationMinutes = 45;
    settings.categories = "Praxis";
    settings.description = "Bitte Karte mitbringen";
    settings.timeZone = "UTC";
    const std::string text = *CalendarText(appointments, settings);
    EXPECT_NE(text.find("CATEGORIES:Praxis\r\n"), std::string::npos);
    EXPECT_NE(text.find("DESCRIPTION:Bitte Karte mitbringen\r\n"), std::string::npos);
    EXPECT_NE(text.find("DTSTART:20270302T083000Z\r\n"), std::string::npos) << text;
    EXPECT_EQ(ReadWithLibical(text)[0].durationSeconds, 45 * 60);
    settings.timeZone = "Mars/Olympus";
    EXPECT_EQ(ErrorOf([&] { CalendarText(appointments, settings); }), "Die Zeitzone „Mars/Olympus“ ist unbekannt.");
}

TEST(IcsExport, StoppedOrFailedWriteLeavesTheOldFile) {
    const fs::path file = TempDir() / "woche.ics";
    std::ofstream(file) << "alt";
    const std::vector<Appointment> many(250, Appointment{"1", dt::FromYmd(2027, 1, 4) + 0.5, "X"});
    std::vector<std::size_t> seen;
    EXPECT_FALSE(WriteCalendarFile(many, file.string(), Fixed(), [&](std::size_t done, std::size_t total) {
        seen.push_back(done);
        EXPECT_EQ(total, 250u);
        return done < 200;
    }));
    EXPECT_EQ(seen, (std::vector<std::size_t>{0, 100, 200}));
    std::stringstream content;
    content << std::ifstream(file).rdbuf();
    EXPECT_EQ(content.str(), "alt");
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()), 1)
        << "no temporary file is left";

    EXPECT_EQ(ErrorOf([&] { WriteCalendarFile(many, (file.parent_path() / "fehlt/x.ics").string(), Fixed()); }),
              "Die Datei „" + (file.parent_path() / "fehlt/x.ics").string() + "“ konnte nicht geschrieben werden.");
    EXPECT_TRUE(WriteCalendarFile(many, file.string(), Fixed()));
    EXPECT_EQ(ReadCalendarFile(file.string(), {}).appointments.size(), 250u);
    fs::remove_all(file.parent_path());
}

const std::string kOtherZone =
    "BEGIN:VTIMEZONE\r\nTZID:Praxiszeit\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
    "TZOFFSETFROM:+0300\r\nTZOFFSETTO:+0300\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";

struct ImportRow {
    const char* name;
    std::string event;
    std::string expected;  // "dd.mm.yyyy hh:nn person" when taken, else the skip reason
};

void PrintTo(const ImportRow& row, std::ostream* out) { *out << row.name; }

class IcsImportRow : public testing::TestWithParam<ImportRow> {};

TEST_P(IcsImportRow, TakesOrSkips) {
    const ImportRow& row = GetParam();
    const ReadResult read = ReadCalendarText(Wrap(kOtherZone + Event(row.event)), "x.ics", {});
    if (read.appointments.size() == 1) {
        EXPECT_TRUE(read.skipped.empty());
        EXPECT_EQ(dt::Format(read.appointments[0].when, "dd.mm.yyyy hh:nn", DefaultLocale()) + " " +
                      read.appointments[0].person,
                  row.expected);
    } else {
        ASSERT_EQ(read.skipped.size(), 1u);
        EXPECT_EQ(read.skipped[0].reason, row.expected);
        EXPECT_EQ(read.skipped[0].position, 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, IcsImportRow,
    testing::Values(
        ImportRow{"UtcWinter", "DTSTART:20270115T080000Z\r\nSUMMARY: Müller, Hans \r\n", "15.01.2027 09:00 Müller, Hans"},
        ImportRow{"UtcSummer", "DTSTART:20270715T070000Z\r\nSUMMARY:B\r\n", "15.07.2027 09:00 B"},
        ImportRow{"Floating", "DTSTART:20270715T093000\r\nSUMMARY:C\r\n", "15.07.2027 09:30 C"},
        ImportRow{"NewYork", "DTSTART;TZID=America/New_York:20270115T090000\r\nSUMMARY:D\r\n",
                  "15.01.2027 15:00 D"},
        ImportRow{"ZoneOfTheFile", "DTSTART;TZID=Praxiszeit:20270115T090000\r\nSUMMARY:E\r\n",
                  "15.01.2027 07:00 E"},
        ImportRow{"Recurring", "DTSTART:20270115T080000Z\r\nRRULE:FREQ=WEEKLY\r\n", kRecurring},
        ImportRow{"ExtraDates", "DTSTART:20270115T080000Z\r\nRDATE:20270116T080000Z\r\n", kRecurring},
        ImportRow{"OneOfASeries", "DTSTART:20270115T080000Z\r\nRECURRENCE-ID:20270115T080000Z\r\n", kRecurring},
        ImportRow{"AllDay", "DTSTART;VALUE=DATE:20270115\r\n", kAllDay},
        ImportRow{"BeforeYear100", "DTSTART:00991231T120000\r\n", kOutOfRange},
        ImportRow{"FirstDay", "DTSTART:01000101T000000\r\nSUMMARY:F\r\n", "01.01.0100 00:00 F"},
        ImportRow{"AfterYear9999InBerlin", "DTSTART:99991231T233000Z\r\n", kOutOfRange},
        ImportRow{"NoStart", "SUMMARY:G\r\n", kNoStart},
        ImportRow{"BrokenStart", "DTSTART:2027011\r\n", kNoStart}),
    [](const testing::TestParamInfo<ImportRow>& info) { return info.param.name; });

TEST(IcsImport, StartOrderAndSummary) {
    const std::string text = Wrap(kOtherZone + Event("DTSTART:20270115T100000Z\r\nSUMMARY:spät\r\n") +
                                  Event("DTSTART;VALUE=DATE:20270115\r\nSUMMARY:Urlaub\r\n") +
                                  Event("DTSTART:20270115T080000Z\r\nSUMMARY:früh\r\n") +
                                  Event("DTSTART:20270115T100000Z\r\nSUMMARY:auch spät\r\n"));
    const ReadResult read = ReadCalendarText(text, "x.ics", {});
    std::vector<std::string> order;
    for (const auto& a : read.appointments) order.push_back(std::to_string(a.position) + " " + a.person);
    EXPECT_EQ(order, (std::vector<std::string>{"3 früh", "1 spät", "4 auch spät"}));
    EXPECT_EQ(ImportSummary(read, {2, 1, false, ""}),
              "Übernommen: 2, abgelehnt: 1, übersprungen: 1.\nTermin 2 „Urlaub“: ganztägiger Termin");
    EXPECT_EQ(ImportSummary(read, {1, 0, true, ""}),
              "Der Import wurde nach 1 von 3 Terminen abgebrochen.\n"
              "Übernommen: 1, abgelehnt: 0, übersprungen: 1.\nTermin 2 „Urlaub“: ganztägiger Termin");
    EXPECT_EQ(ImportSummary({}, {0, 0, false, "Platte voll"}),
              "Der Import endete nach 0 von 0 Terminen mit einem Fehler: Platte voll\n"
              "Übernommen: 0, abgelehnt: 0, übersprungen: 0.");
}

// The demo's tests refuse text, a cut file, 100 MB, 100,000 events and an
// unknown zone on a real database; here the other shapes of bad input.
TEST(IcsImport, BadInputIsRefusedWithAMessage) {
    const std::string whole = Wrap(Event("DTSTART:20270115T080000Z\r\n"));
    const std::string notIcs = "Die Datei „x.ics“ ist keine iCalendar-Datei. Es wurde nichts importiert.";
    for (const std::string& text : {std::string(), std::string("BEGIN:VCARD\r\nFN:Hans\r\nEND:VCARD\r\n")})
        EXPECT_EQ(ErrorOf([&] { ReadCalendarText(text, "x.ics", {}); }), notIcs);
    EXPECT_EQ(ErrorOf([&] { ReadCalendarText(whole.substr(0, 60), "x.ics", {}); }),
              "Die Datei „x.ics“ ist unvollständig: der Kalender endet nicht mit END:VCALENDAR. Es wurde nichts importiert.");
    ImportSettings small;
    small.maxBytes = 1024 * 1024;
    EXPECT_EQ(ErrorOf([&] { ReadCalendarText(std::string(small.maxBytes + 1, ' '), "x.ics", small); }),
              "Die Datei „x.ics“ ist größer als 1 MB. Es wurde nichts importiert.");
    const fs::path missing = TempDir() / "fehlt.ics";
    EXPECT_EQ(ErrorOf([&] { ReadCalendarFile(missing.string(), {}); }),
              "Die Datei „" + missing.string() + "“ konnte nicht gelesen werden. Es wurde nichts importiert.");
    ImportSettings elsewhere;
    elsewhere.timeZone = "Nirgendwo";
    EXPECT_EQ(ErrorOf([&] { ReadCalendarText(whole, "x.ics", elsewhere); }), "Die Zeitzone „Nirgendwo“ ist unbekannt.");
    fs::remove_all(missing.parent_path());
}

TEST(IcsImport, FuzzTargetRunsOverItsSeeds) {
    int seeds = 0;
    for (const auto& entry : fs::directory_iterator(AGENDOR_ICAL_FUZZ_SEEDS)) {
        std::stringstream content;
        content << std::ifstream(entry.path(), std::ios::binary).rdbuf();
        const std::string bytes = content.str();
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        ++seeds;
    }
    EXPECT_GE(seeds, 3);
}

} // namespace
} // namespace agendor::ical
