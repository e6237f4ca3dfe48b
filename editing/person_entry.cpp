#include "agendor/editing/person_entry.h"

#include "agendor/editing/commands.h"
#include "agendor/editing/edit_helpers.h"
#include "agendor/editing/time_entry.h"

namespace agendor {

namespace {
constexpr int kKeyEnter = 13, kKeyEscape = 27;
}

void PersonClick(Instance& instance) {
    if (instance.ui.cboPerson->ListIndex() != -1) CommitNewAppointment(instance);
}

void PersonChange(Instance& instance) {
    // Save is offered whenever the box of a pending row holds a person.
    const ComboBox& box = *instance.ui.cboPerson;
    if (box.Visible() && !box.Text().empty()) instance.ui.Toolbar1->SetButtonEnabled(kButtonSave, true);
}

void PersonKeyDown(Instance& instance, int keyCode, int /*shift*/) {
    State& s = instance.state;
    Surface& ui = instance.ui;
    const std::string text = ui.cboPerson->Text();
    if (!text.empty()) ui.Toolbar1->SetButtonEnabled(kButtonSave, true);
    if (keyCode == kKeyEnter && !text.empty()) {
        CommitNewAppointment(instance);
    } else if (keyCode == kKeyEscape) {
        ui.cboPerson->SetVisible(false);
        s.EditCancelled = true;
        s.SkipLostFocus = false;
        CommitTime(instance);
        editing::TryFocus(*ui.GridZoom);
        // The time editor did not hold the focus, so no lost focus of it
        // follows to consume the flag; left set, it would drop the user's
        // next time change.
        s.EditCancelled = false;
    }
}

void PersonValidate(Instance& instance, bool& /*cancel*/) {
    // The sheet is refreshed shortly after the focus has moved on.
    instance.ui.Timer1->SetEnabled(true);
}

} // namespace agendor
