#include "agendor/data/loaders.h"

#include <string>

#include "agendor/control/refresh.h"
#include "agendor/core/conventions.h"
#include "agendor/data/markers.h"
#include "agendor/core/date_time.h"
#include "agendor/sheet/sheet_model.h"

namespace agendor {

namespace {

// The first of day's month as the engine's literal; the day is written "01",
// as the month view's query always did.
std::string FirstOfMonthLiteral(DateTime day) {
    return std::to_string(dt::Month(day)) + "/01/" + std::to_string(dt::Year(day));
}

Database& RequireDatabase(const State& s) {
    // Only reachable with the required-property check switched off (design
    // mode); a clear error instead of a null dereference.
    if (!s.database) throw Error("Kein Database-Objekt übergeben");
    return *s.database;
}

// Step 7 of loading: the cell of the selected day, else today's cell. For a
// person the highlighted cell is the selection: Enter and "Bearbeiten" open
// it, so it must be DateValue's day whenever the sheet shows that day (today
// keeps its blue text). Redraw is off, so none of these moves touches
// DateValue.
void SelectAfterLoading(Instance& instance) {
    const State& s = instance.state;
    FlexGrid& grid = *instance.ui.Grid;
    const int day = SelectedDay(instance);
    const int rows = grid.Rows();
    for (int col = 0; col < 7; ++col) {
        for (int row = 1; row < rows; ++row) {
            if (DayNumberOfText(grid.TextMatrix(row, col)) == day) {
                grid.SetCol(col);
                grid.SetRow(row);
                return;
            }
        }
    }
    if (s.TodayOnSheet) {
        grid.SetCol(s.TodayCol);
        grid.SetRow(s.TodayRow);
    }
}

// Step 9: the day grid, its title and editors above the markers just set.
// The focus goes to the day grid's toolbar only when it is shown. Asking a
// hidden toolbar for the focus would fail and end nearly every load through
// the error path, skipping the stacking below; a hidden day grid (the usual
// case) is no failure of the load.
void DayGridToFront(Instance& instance) {
    Surface& ui = instance.ui;
    ui.GridZoom->ZOrder();
    if (ui.Toolbar1->Visible() && !instance.state.KeepFocus) {
        try {
            ui.Toolbar1->SetFocus();
        } catch (const Error&) {
            // The control itself may not be on screen yet; the focus is a
            // convenience and its absence no reason to report the load.
        }
    }
    ui.Toolbar1->ZOrder();
    ui.txtToolbarTag->ZOrder();
    ui.txtClock->ZOrder();
    ui.cboPerson->ZOrder();
}

void PlaceAppointments(Instance& instance) {
    const State& s = instance.state;
    ReadSheetAppointments(s, s.DateValue, s.View, [&](DateTime when, const std::string& person) {
        PlaceDate(instance, when, person);
        ++instance.state.AppointmentsPerDay[dt::DayNumber(when)];
    });
}

} // namespace

std::string SheetRangeQuery(const State& state, DateTime dateValue, int view) {
    std::string start, end;
    if (view == agMonat) {
        start = FirstOfMonthLiteral(dateValue);
        // December 9999 is the last month of the calendar: no date lies after
        // it, and the first of the next month cannot be written.
        if (dt::Year(dateValue) < dt::kMaxYear || dt::Month(dateValue) < 12) {
            const DateTime next = dt::AddMonths(dateValue, 1);
            end = FirstOfMonthLiteral(next);
        }
    } else {
        const DateTime monday = MondayOf(dateValue);
        start = DateLiteral(monday);
        end = DateLiteral(dt::AddDays(monday, 7));
    }
    const std::string& t = state.DataSourceDates;
    const std::string& f = state.FieldDatesDate;
    const std::string upTo = end.empty() ? std::string() : " And (" + t + "." + f + ")<#" + end + "#";
    return "SELECT * " + std::string(" From ") + t + " WHERE (((" + t + "." + f + ")>=#" + start + "#" + upTo + "))" +
           " ORDER BY " + t + "." + f;
}

void ReadSheetAppointments(const State& s, DateTime dateValue, int view,
                           const std::function<void(DateTime when, const std::string& person)>& take) {
    const std::string query = SheetRangeQuery(s, dateValue, view);
    std::unique_ptr<QueryDef> definition = RequireDatabase(s).CreateQueryDef("", query);
    std::unique_ptr<Recordset> records = definition->OpenRecordset(RecordsetType::Snapshot);
    const std::string& dateField = s.FieldDatesDate;
    const std::string& personField = s.FieldDatesPerson;
    while (!records->IsEOF()) {
        const FieldValue when = records->Field(dateField);
        // A record without a date has no cell; the others still show.
        if (!when.IsNull()) {
            // No person field set: the appointments show with their times
            // alone. Reading a field without a name would fail on the first
            // record and leave the sheet empty without a word, although the
            // property is optional.
            const std::string person = personField.empty() ? std::string() : TextOrEmpty(records->Field(personField));
            take(when.AsDateTime(), person);
        }
        records->MoveNext();
    }
}

void LoadDates(Instance& instance) {
    FlexGrid& grid = *instance.ui.Grid;
    const State& s = instance.state;
    try {
        grid.SetRedraw(false);
        if (!s.FieldDatesDateID.empty() && !s.DataSourceDates.empty()) PlaceAppointments(instance);
        SelectAfterLoading(instance);
        grid.SetRedraw(true);
        DayGridToFront(instance);
    } catch (const std::exception& e) {
        const std::string description = e.what();
        // However the load ended, the sheet must paint and take the user's
        // cell moves again.
        try {
            grid.SetRedraw(true);
        } catch (const std::exception&) {
        }
        // A missing property gets its own message first; every failure then
        // shows the error box, also with every property set, so that a broken
        // load (a wrong field name, a value that is no date) is never an
        // empty sheet without a word.
        CheckRequiredProperties(instance);
        ShowErrorBox(instance, kLoadDatesError, description);
    }
}

void LoadPersons(Instance& instance) {
    State& s = instance.state;
    const std::string& p = s.DataSourcePerson;
    const std::string& n = s.FieldSourcePerson;
    const std::string& i = s.FieldSourcePersonID;
    const std::string query = "SELECT " + p + "." + n + "," + p + "." + i + " From " + p + " ORDER BY " + p + "." + n;
    s.PersonRecords = RequireDatabase(s).OpenRecordset(query, RecordsetType::Snapshot);
    Recordset& records = *s.PersonRecords;
    if (!records.IsEOF()) {
        records.MoveLast();
        const long count = records.RecordCount();
        s.PersonIds.assign(static_cast<std::size_t>(count) + 1, 0);
        records.MoveFirst();
    }
    ComboBox& box = *instance.ui.cboPerson;
    // The person typed for a pending new row outlives the reloaded list.
    const std::string typed = box.Visible() ? box.Text() : std::string();
    box.Clear();
    // Position in the list; entry i of PersonIds is the id of list entry i.
    std::size_t position = 0;
    while (!records.IsEOF()) {
        if (i.empty()) {
            box.AddItem(TextOrEmpty(records.Field(n)));
        } else {
            const FieldValue id = records.Field(i);
            // A person without an id could not be booked; leaving it out
            // keeps list positions and ids in step for all the others.
            if (!id.IsNull()) {
                const std::int32_t value = id.AsInt32();
                box.AddItem(TextOrEmpty(records.Field(n)));
                if (position >= s.PersonIds.size()) s.PersonIds.resize(position + 1, 0);
                s.PersonIds[position] = value;
                ++position;
            }
        }
        records.MoveNext();
    }
    if (!typed.empty()) box.SetText(typed);
}

} // namespace agendor
