#pragma once
// What the control tells its host: the cancellable events of every change a
// person makes, and the values the host exchanges with the control (views,
// appointments to and from other calendars, the page device of a print run).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "agendor/platform/printer.h"
#include "agendor/platform/types.h"

namespace agendor {

// agAnsicht
enum agAnsicht : std::int32_t { agWoche = 1, agMonat = 2 };

// The host's handlers. Cancel starts False; a handler sets it to refuse.
struct AgendorEvents {
    std::function<void(std::int32_t DateID, DateTime DateOld, DateTime DateNew, bool& Cancel)> DateChange;
    std::function<void(std::int32_t DateID, DateTime DateTime, const std::string& Person, bool& Cancel)> DateDel;
    std::function<void(DateTime DateTime, std::int32_t PersonID, const std::string& Person, bool& Cancel)> DateNew;
    std::function<void(DateTime CurDay)> Click;
    std::function<void(DateTime CurDay)> DblClick;
    std::function<void(const std::string& sTime)> IncorrectTime;
};

// An appointment as the database holds it, for other calendars.
struct StoredAppointment {
    std::string id;      // FieldDatesDateID as text; empty when the record has none
    DateTime when = 0;
    std::string person;  // FieldDatesPerson as text; empty when not set
};

// An appointment from elsewhere, handed to the host through DateNew.
struct IncomingAppointment {
    DateTime when = 0;
    std::string person;
};

struct ImportOutcome {
    std::size_t taken = 0;      // DateNew left Cancel False
    std::size_t cancelled = 0;  // the host refused
    bool stopped = false;       // proceed said stop
    std::string error;          // the host's handler failed: what it said; nothing after it was raised
};

// Makes the device one print run writes its pages on.
using PrinterFactory = std::function<std::unique_ptr<Printer>()>;

} // namespace agendor
