#pragma once
// agendor-cli's iCalendar commands: export writes the appointments the
// control reads into an .ics file, import reads one as the control's import
// does and lists what it would hand to the host (the tool writes to no
// database).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "agendor/control/agendor.h"
#include "tools/cli/arguments.h"

namespace agendor::cli {

// The options export takes besides those of the database and the sheet.
inline const std::vector<std::string> kIcsExportValued = {"--ics", "--from", "--to", "--duration", "--zone"};

// Writes the appointments of --from..--to, else of the sheet of dateValue
// when a view is given, else of the day dateValue, into --ics FILE and
// prints the file's full path. Over a few hundred appointments a progress
// line on stderr follows the work.
int ExportIcs(Agendor& control, const Options& options, DateTime dateValue, std::optional<std::int16_t> view);

// import --ics FILE [--zone NAME]
int ImportIcs(const std::vector<std::string>& args);

} // namespace agendor::cli
