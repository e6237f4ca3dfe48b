// Typing into the time editor of the day grid ("##:##") and committing: the
// input is a run of keys on the control with one day open (09:00 Abel,
// 11:30 Meier). Bytes 1 to 4 are acts (1 opens the editor over a row,
// 2 adds a row, 3 leaves the editor for the grid, 4 chooses a person),
// 8, 13 and 27 are Backspace, Enter and Esc, and every other byte is
// typed. Whatever is typed, no error leaves the control, a changed time
// is a real clock time of the same day, and IncorrectTime reports only
// texts that are no time.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "agendor/editing/commands.h"
#include "agendor/editing/time_entry.h"
#include "tests/core/appointment_fixture.h"

namespace {

using namespace agendor;

void Expect(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64) return 0;
    testing::AppointmentFixture f;
    f.appointments = {{7, testing::At(2001, 11, 14, 9), "Abel"}, {8, testing::At(2001, 11, 14, 11, 30), "Meier"}};
    f.persons = {{1, "Abel"}, {2, "Meier"}};
    AgendorEvents& e = f.control.Events();
    const DateTime day = testing::At(2001, 11, 14);
    e.DateChange = [&](std::int32_t id, DateTime oldWhen, DateTime newWhen, bool&) {
        // A row added and stored in this run may be retimed too.
        bool known = false;
        for (const auto& a : f.appointments) known = known || a.id == id;
        Expect(known);
        Expect(dt::DateOnly(newWhen) == day && dt::DateOnly(oldWhen) == day);
        const dt::Hms time = dt::TimeOf(newWhen);
        Expect(time.second == 0 && time.millisecond == 0);
        for (auto& a : f.appointments)
            if (a.id == id) a.when = newWhen;
    };
    e.DateNew = [&](DateTime when, std::int32_t, const std::string& person, bool&) {
        Expect(dt::DateOnly(when) == day);
        f.appointments.push_back({static_cast<std::int64_t>(f.appointments.size() + 7), when, person});
    };
    e.IncorrectTime = [](const std::string& text) { Expect(!ParseClockTime(text)); };
    f.control.Refresh();
    f.surface.ProcessEvents();
    Expect(f.surface.Grid.UserDblClickCell(3, 2));
    memory::MemoryGrid& zoom = f.surface.GridZoom;
    for (std::size_t k = 0; k < size; ++k) {
        const unsigned char c = data[k];
        switch (c) {
        case 1:
            if (zoom.Visible() && zoom.CanTakeFocus() && 1 + static_cast<int>(k % 2) < zoom.Rows())
                zoom.UserClickCell(1 + static_cast<int>(k % 2), 0);
            break;
        case 2: f.surface.Toolbar1.UserClickButton(kButtonAdd); break;
        case 3:
            if (zoom.Visible() && zoom.CanTakeFocus()) zoom.UserClickCell(0, 1);
            break;
        case 4:
            if (f.surface.cboPerson.CanTakeFocus()) {
                f.surface.cboPerson.UserTypeText("Meier");
                f.surface.cboPerson.UserKey(13);
            }
            break;
        case 8: case 13: case 27:
            if (f.surface.txtClock.CanTakeFocus()) f.surface.txtClock.UserKey(c);
            break;
        default:
            if (f.surface.txtClock.CanTakeFocus()) f.surface.txtClock.UserType(std::string(1, static_cast<char>(c)));
        }
        f.surface.ProcessEvents();
    }
    // No error box: nothing in this run reaches a failing database.
    Expect(f.messages().empty());
    return 0;
}
