#include "demo/change_handlers.h"

#include "agendor/core/date_time.h"
#include "agendor/core/locale.h"

namespace agendor::demo {

namespace {

// A refusal must be told even for a value that is no date at all.
std::string When(DateTime when) {
    try {
        return dt::Format(when, "dd.mm.yyyy hh:nn", DefaultLocale());
    } catch (const Error&) {
        return "(kein gültiges Datum)";
    }
}

} // namespace

void ChangeHandlers::DateNew(DateTime when, std::int32_t personId, const std::string& person, bool& cancel) {
    if (const auto failure = store.Insert(when, personId, person)) {
        refuse("Der Termin am " + When(when) + " konnte nicht gespeichert werden:\n" + *failure);
        cancel = true;
        return;
    }
    if (report) report("Termin gespeichert: " + When(when) + " " + person);
}

void ChangeHandlers::DateChange(std::int32_t id, DateTime oldWhen, DateTime newWhen, bool& cancel) {
    if (const auto failure = store.ChangeTime(id, oldWhen, newWhen)) {
        refuse(*failure == kChangedByOther ? *failure : "Der Termin konnte nicht verschoben werden:\n" + *failure);
        cancel = true;
        return;
    }
    if (report) report("Termin verschoben auf " + When(newWhen));
}

void ChangeHandlers::DateDel(std::int32_t id, DateTime when, const std::string& person, bool& cancel) {
    if (!confirm("Termin löschen?")) {
        cancel = true;
        return;
    }
    if (const auto failure = store.Delete(id, when)) {
        refuse(*failure == kChangedByOther ? *failure : "Der Termin konnte nicht gelöscht werden:\n" + *failure);
        cancel = true;
        return;
    }
    if (report) report("Termin gelöscht: " + When(when) + " " + person);
}

void ChangeHandlers::IncorrectTime(const std::string& typed) {
    if (report) report("Ungültige Uhrzeit: " + typed);
}

} // namespace agendor::demo
