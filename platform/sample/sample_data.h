#pragma once
// The sample calendar every engine's sample database holds: persons with
// German names and appointments in working hours, generated from a seed, so
// a SQLite file and a server database made with the same seed hold the same
// rows. Also the seven data properties a host sets for a sample, and their
// "Name=Value" text form.
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "agendor/sample_export.h"

namespace agendor::sample {

struct SampleParameters {
    int persons = 100;            // [1, 32767]: the control's person list holds no more
    long appointments = 20'000;   // [0, 50'000'000]
    int fromYear = 2020;          // first year with appointments, [100, 9999]
    int toYear = 2030;            // last year with appointments, [fromYear, 9999]
    std::uint64_t seed = 1;       // the same seed gives the same rows
};

struct SampleAppointment {
    long id;        // 1, 2, ... in date order
    long day;       // serial day number, a working day
    int minutes;    // after midnight: quarter hours from 08:00 to 17:45
    int person;     // index into SampleCalendar::persons; the person's id is person + 1
};

struct SampleCalendar {
    std::vector<std::string> persons;  // the name of person id i + 1 at i
    std::vector<SampleAppointment> appointments;  // in date, time and person order
};

// Raises agendor::Error for parameters outside their ranges.
AGENDOR_SAMPLE_EXPORT void CheckParameters(const SampleParameters& parameters);
AGENDOR_SAMPLE_EXPORT SampleCalendar GenerateSample(const SampleParameters& parameters);

// One data property of the control as a host sets it ("DataSourceDates",
// "Termine").
struct DataProperty {
    std::string name;
    std::string value;
    friend bool operator==(const DataProperty&, const DataProperty&) = default;
};
using DataProperties = std::vector<DataProperty>;

// The seven data properties in the order a host sets them.
AGENDOR_SAMPLE_EXPORT const std::vector<std::string>& DataPropertyNames();

// The seven data properties of every sample database, in this order.
// FieldSourcePerson also names the person field of the appointments: the
// printed sheet reads the person of an appointment under that name.
AGENDOR_SAMPLE_EXPORT DataProperties SampleDataProperties();

// One line "Name=Value" per property, each ended by a line feed.
AGENDOR_SAMPLE_EXPORT std::string FormatDataProperties(const DataProperties& properties);

// Reads "Name=Value" lines back. Blank lines and lines starting with '#'
// are skipped, blanks around name and value and a trailing CR are dropped,
// and the value runs to the end of the line (it may hold '='). Raises
// agendor::Error naming the line for a line without '=', a name that is not
// one of the seven data properties, or a property given twice.
AGENDOR_SAMPLE_EXPORT DataProperties ReadDataProperties(std::istream& input);

} // namespace agendor::sample
