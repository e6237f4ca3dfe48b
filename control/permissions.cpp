#include "agendor/control/permissions.h"

#include "agendor/control/refresh.h"
#include "agendor/core/conventions.h"
#include "agendor/data/day_grid.h"
#include "agendor/data/loaders.h"
#include "agendor/core/date_time.h"
#include "agendor/printing/print_sheet.h"
#include "agendor/sheet/sheet_model.h"
#include "agendor/sheet/sheets.h"

namespace agendor {

void ApplyPermissions(Instance& instance) {
    State& s = instance.state;
    Toolbar& toolbar = *instance.ui.Toolbar2;
    toolbar.SetButtonVisible(1, s.AllowChangeView);
    toolbar.SetButtonVisible(2, s.AllowChangeView);
    toolbar.SetButtonVisible(3, s.AllowScroll);
    toolbar.SetButtonVisible(4, s.AllowScroll);
    toolbar.SetButtonVisible(5, s.AllowPrint);
    if (!s.AllowScroll && !s.AllowChangeView && !s.AllowEdit && !s.AllowPrint) {
        s.MenuEnabled = false;
        return;
    }
    s.MenuEnabled = true;
    PopupMenu& menu = *instance.ui.Kontextmenu;
    menu.SetItemVisible(7, true);
    menu.SetItemVisible(1, s.AllowScroll);
    menu.SetItemVisible(2, s.AllowScroll);
    menu.SetItemVisible(4, s.AllowChangeView);
    menu.SetItemVisible(6, s.AllowEdit);
    menu.SetItemVisible(7, s.AllowPrint);
    menu.SetItemVisible(3, s.AllowScroll && s.AllowChangeView);
    menu.SetItemVisible(5, (s.AllowScroll || s.AllowChangeView) && (s.AllowEdit || s.AllowPrint));
}

void ShowViewCommands(Instance& instance) {
    const bool month = instance.state.View == agMonat;
    instance.ui.Toolbar2->SetButtonPressed(month ? 2 : 1, true);
    instance.ui.Kontextmenu->SetItemCaption(4, month ? "Wochenansicht" : "Monatsansicht");
}

bool SheetFitsCalendar(DateTime date, int view) {
    try {
        // The sheet's first and last day; a week reaches from Monday to
        // Sunday, a month's range query up to the first of the next month.
        if (view == agMonat) {
            if (dt::Year(date) == dt::kMaxYear && dt::Month(date) == 12) return true;
            dt::AddMonths(date, 1);
        } else {
            const DateTime monday = MondayOf(date);
            dt::AddDays(monday, 6);
        }
        return true;
    } catch (const Error&) {
        return false;
    }
}

namespace {

void SwitchView(Instance& instance, std::int16_t view) {
    if (instance.state.View == view) return;
    // A week at the very edge of the calendar has days outside it.
    if (!SheetFitsCalendar(instance.state.DateValue, view)) throw Error(kOutsideCalendar);
    HideDayGrid(instance);
    instance.state.View = view;
    ShowViewCommands(instance);
    RefreshControl(instance);
}

void Page(Instance& instance, int direction) {
    State& s = instance.state;
    // The step is worked out before anything changes: a sheet beyond the
    // calendar's first or last day is refused and the shown one stays.
    DateTime target = 0;
    try {
        target = s.View == agMonat ? dt::AddMonths(s.DateValue, direction) : dt::AddDays(s.DateValue, 7L * direction);
    } catch (const Error&) {
        throw Error(kOutsideCalendar);
    }
    if (!SheetFitsCalendar(target, s.View)) throw Error(kOutsideCalendar);
    HideDayGrid(instance);
    s.DateValue = target;
    if (s.View == agMonat) BuildMonthSheet(instance, s.DateValue);
    else BuildWeekSheet(instance, s.DateValue);
    LoadDates(instance);
    if (s.TodayOnSheet) instance.ui.Grid->SetFocus();
}

} // namespace

void SheetCommand(Instance& instance, std::int16_t command) {
    WithErrorBox(instance, kSheetCommandError, [&] {
        switch (command) {
        case 1: SwitchView(instance, agWoche); break;
        case 2: SwitchView(instance, agMonat); break;
        case 3: Page(instance, -1); break;
        case 4: Page(instance, +1); break;
        case 5:
            HideDayGrid(instance);
            PrintPage(instance, instance.state.DateValue, instance.state.View == agMonat ? 2 : 1);
            break;
        default: break;
        }
    });
}

void KontextClick(Instance& instance, int index) {
    switch (index) {
    case 1: SheetCommand(instance, 4); break;
    case 2: SheetCommand(instance, 3); break;
    case 4:
        if (instance.state.View != agMonat) {
            instance.ui.Toolbar2->SetButtonPressed(2, true);
            SheetCommand(instance, 2);
        } else {
            instance.ui.Toolbar2->SetButtonPressed(1, true);
            SheetCommand(instance, 1);
        }
        break;
    case 6:
        // A database error while the day opens must not escape into the
        // host's event loop from a menu choice.
        WithErrorBox(instance, kSheetCommandError, [&] { ShowDay(instance); });
        SheetCommand(instance, 0);
        break;
    case 7: SheetCommand(instance, 5); break;
    default: SheetCommand(instance, 0); break;
    }
}

void Toolbar2ButtonClick(Instance& instance, int index) {
    SheetCommand(instance, static_cast<std::int16_t>(index));
}

} // namespace agendor
