#pragma once
// Appointments to and from iCalendar (RFC 5545) files, through libical.
// Knows nothing of the control: the export takes appointments as values,
// the import gives back the appointments a file holds, in start order, and
// what it left out and why. Every failure a person must read is an
// agendor::Error with a German description.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "agendor/ical_export.h"
#include "agendor/platform/types.h"

namespace agendor::ical {

// Told now and then how far a long piece of work got (done of total);
// returning false stops it.
using Progress = std::function<bool(std::size_t done, std::size_t total)>;

// One appointment as the database holds it.
struct Appointment {
    std::string id;      // the appointment's id as text; with the source it makes the UID
    DateTime when = 0;   // the host's wall-clock time
    std::string person;  // the person text: the SUMMARY
};

struct ExportSettings {
    // The zone of the host's wall clock: DTSTART carries it as TZID, and
    // its VTIMEZONE goes into the file.
    std::string timeZone = "Europe/Berlin";
    int durationMinutes = 15;  // DURATION of each appointment, [1, 1440]
    // Left out when empty.
    std::string categories;
    std::string description;
    // Names the data source (database and table): the same id from another
    // source is another appointment. Only a digest of it enters the file,
    // so no path or server name leaves the practice.
    std::string source;
    // DTSTAMP as seconds since 1970 UTC; nullopt: the clock's now.
    std::optional<std::int64_t> stamp;
};

struct ImportSettings {
    // The host's wall clock: every start is converted into this zone. A time
    // without a zone ("floating") is taken as a time of this zone.
    std::string timeZone = "Europe/Berlin";
    std::uintmax_t maxBytes = 16u * 1024 * 1024;
    std::size_t maxEvents = 10'000;
};

// An appointment a file holds, converted to the host's wall clock.
struct Incoming {
    DateTime when = 0;
    std::string person;     // the SUMMARY, trimmed
    std::size_t position;   // the event's place among the file's VEVENTs, from 1
};

// An event the import leaves out, with the reason as the person reads it.
struct Skipped {
    std::size_t position;   // among the file's VEVENTs, from 1
    std::string summary;
    std::string reason;
};

struct ReadResult {
    std::vector<Incoming> appointments;  // in start order; equal starts in file order
    std::vector<Skipped> skipped;        // in file order
};

// The skip reasons.
inline const std::string kRecurring = "wiederkehrender Termin";
inline const std::string kAllDay = "ganztägiger Termin";
inline const std::string kOutOfRange = "liegt außerhalb von 1.1.100 bis 31.12.9999";
inline const std::string kNoStart = "ohne gültigen Beginn";

// The UID of an appointment: the same id and source give the same UID.
AGENDOR_ICAL_EXPORT std::string Uid(const std::string& id, const std::string& source);

// The calendar text, one VEVENT per appointment in the given order; nullopt
// when progress stopped it. Raises Error for an unknown zone.
AGENDOR_ICAL_EXPORT std::optional<std::string> CalendarText(const std::vector<Appointment>& appointments,
                                                            const ExportSettings& settings,
                                                            const Progress& progress = {});
// Writes the calendar into path (replaced when it exists) through a
// temporary file beside it, so that the file is either the whole calendar
// or what it was before. False when progress stopped it; raises Error when
// the file cannot be written.
AGENDOR_ICAL_EXPORT bool WriteCalendarFile(const std::vector<Appointment>& appointments, const std::string& path,
                                           const ExportSettings& settings, const Progress& progress = {});

// Reads a calendar. Raises Error, before anything is handed on, for text
// that is no iCalendar, a calendar cut off before its end, more events than
// settings allow, or a start in a zone neither the file nor the system
// knows. name: how the messages call the input.
AGENDOR_ICAL_EXPORT ReadResult ReadCalendarText(std::string_view text, const std::string& name,
                                                const ImportSettings& settings);
// The same for a file; also refuses a file larger than settings allow
// before reading it.
AGENDOR_ICAL_EXPORT ReadResult ReadCalendarFile(const std::string& path, const ImportSettings& settings);

// What an import did, for the person: taken and refused by the host, left
// out with their reasons, and where it stopped.
struct ImportCounts {
    std::size_t taken = 0;
    std::size_t cancelled = 0;
    bool stopped = false;            // the person stopped it
    std::string error;               // what ended it early, if anything
};
AGENDOR_ICAL_EXPORT std::string ImportSummary(const ReadResult& read, const ImportCounts& counts);

} // namespace agendor::ical
