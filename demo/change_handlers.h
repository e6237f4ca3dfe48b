#pragma once
// The demo host's handlers for the control's DateNew, DateChange and DateDel:
// each stores the change or refuses it with a reason and Cancel = True, so
// the control never shows what the database does not hold.
#include <cstdint>
#include <functional>
#include <string>

#include "demo/appointment_store.h"

namespace agendor::demo {

struct ChangeHandlers {
    Store& store;
    // Asks the user; true means go ahead ("Termin löschen?").
    std::function<bool(const std::string& question)> confirm;
    // Tells the user why a change was refused.
    std::function<void(const std::string& reason)> refuse;
    // Tells the user what was stored (status bar).
    std::function<void(const std::string& text)> report;

    void DateNew(DateTime when, std::int32_t personId, const std::string& person, bool& cancel);
    void DateChange(std::int32_t id, DateTime oldWhen, DateTime newWhen, bool& cancel);
    void DateDel(std::int32_t id, DateTime when, const std::string& person, bool& cancel);
    // A time typed in a wrong form: the user is told what was typed.
    void IncorrectTime(const std::string& typed);
};

} // namespace agendor::demo
