#include "agendor/data/day_grid.h"

#include <charconv>
#include <cmath>

#include "agendor/control/refresh.h"
#include "agendor/core/conventions.h"
#include "agendor/editing/commands.h"
#include "agendor/editing/move_appointment.h"
#include "agendor/core/date_time.h"
#include "agendor/sheet/sheet_model.h"

namespace agendor {

namespace {

// Distance of the title box from the toolbar's left edge (twips), past the
// three buttons.
constexpr Twips kTitleOffset = 1080;

// The value of the leading decimal digits of a marker's Tag; 0 for none.
int NumberOfTag(const std::string& tag) {
    int value = 0;
    std::from_chars(tag.data(), tag.data() + tag.size(), value);
    return value;
}

// Makes the cell (row, col) current, column first; Redraw is on, so the
// cell-entered handler moves DateValue there.
void SelectCell(FlexGrid& grid, int row, int col) {
    grid.SetCol(col);
    grid.SetRow(row);
}

void SelectMarkerCell(Instance& instance, int markerIndex) {
    FlexGrid& grid = *instance.ui.Grid;
    const int day = NumberOfTag(instance.ui.btnVorlage->Tag(markerIndex));
    const int rows = grid.Rows();
    for (int row = 1; row < rows; ++row) {
        for (int col = 0; col < 7; ++col) {
            const std::string text = grid.TextMatrix(row, col);
            if (!text.empty() && DayNumberOfText(text) == day) {
                SelectCell(grid, row, col);
                return;
            }
        }
    }
}

// The cell where the sheet would show day, when it shows it.
void SelectDayCell(Instance& instance, DateTime day) {
    FlexGrid& grid = *instance.ui.Grid;
    const SheetCell cell = instance.state.View == agMonat ? MonthCellOf(day) : SheetCell{1, dt::Weekday(day) - 1};
    if (cell.row >= grid.Rows()) return;
    if (DayNumberOfText(grid.TextMatrix(cell.row, cell.col)) != dt::Day(day)) return;
    SelectCell(grid, cell.row, cell.col);
}

// Next to the current sheet column: right of Monday to Thursday, two columns
// to the left for Friday to Sunday, so the day itself stays visible.
void PlaceGroup(Instance& instance) {
    Surface& ui = instance.ui;
    const FlexGrid& sheet = *ui.Grid;
    const int col = sheet.Col();
    const Twips width = instance.state.SheetColWidth;
    const Twips left = sheet.Left() + (col < 4 ? (col + 1) * width : (col - 2) * width);
    ui.GridZoom->SetLeft(left);
    ui.Toolbar1->SetLeft(left);
    // The toolbar starts one twip below the sheet's header row.
    ui.Toolbar1->SetTop(sheet.Top() + kSheetHeaderRowHeight + 1);
    ui.GridZoom->SetTop(ui.Toolbar1->Top() + ui.Toolbar1->Height());
    const double centred = (ui.Toolbar1->Height() - ui.txtToolbarTag->Height()) / 2.0;
    ui.txtToolbarTag->SetTop(ui.Toolbar1->Top() + RoundTwips(centred));
    ui.txtToolbarTag->SetLeft(ui.Toolbar1->Left() + kTitleOffset);
}

void FillRows(Instance& instance, const std::string& literal) {
    const State& s = instance.state;
    FlexGrid& zoom = *instance.ui.GridZoom;
    std::unique_ptr<Recordset> records = s.database->OpenRecordset(OneDayQuery(s, literal));
    zoom.Clear();
    zoom.SetRows(1);
    zoom.SetRow(0);
    zoom.SetCol(0);
    zoom.SetCellAlignment(CellAlignment::CenterCenter);
    zoom.SetText("Zeit");
    zoom.SetCol(1);
    zoom.SetCellAlignment(CellAlignment::CenterCenter);
    zoom.SetText(s.Header);
    int row = 0;
    while (!records->IsEOF()) {
        const FieldValue when = records->Field(s.FieldDatesDate);
        // A record without a date has no time to show or to edit.
        if (!when.IsNull()) {
            const DateTime value = when.AsDateTime();
            const std::string person = s.FieldDatesPerson.empty() ? std::string()
                                                                   : TextOrEmpty(records->Field(s.FieldDatesPerson));
            const std::string id = TextOrEmpty(records->Field(s.FieldDatesDateID));
            ++row;
            zoom.AddItem(dt::Format(value, "hh:mm", instance.locale()));
            zoom.SetRow(row);
            zoom.SetCol(0);
            zoom.SetCellAlignment(CellAlignment::CenterCenter);
            zoom.SetCol(1);
            // Centred vertically like the time beside it.
            zoom.SetCellAlignment(CellAlignment::LeftCenter);
            zoom.SetText(person);
            zoom.SetCol(2);
            zoom.SetText(DayGridDateTimeText(value));
            zoom.SetCol(3);
            zoom.SetText(id);
        }
        records->MoveNext();
    }
}

void SetToolbarButtons(Instance& instance) {
    Toolbar& toolbar = *instance.ui.Toolbar1;
    const bool edit = instance.state.AllowEdit;
    for (int index : {kButtonDelete, kButtonAdd, kButtonSave}) {
        ToolbarButton button = toolbar.Button(index);
        button.visible = edit;
        button.enabled = edit && index == kButtonAdd;
        toolbar.SetButton(index, button);
    }
}

void ShowGroup(Instance& instance) {
    Surface& ui = instance.ui;
    ui.Toolbar1->SetVisible(true);
    ui.GridZoom->SetVisible(true);
    ui.txtToolbarTag->SetVisible(true);
    ui.GridZoom->ZOrder();
    try {
        ui.Toolbar1->SetFocus();
    } catch (const Error&) {
        // The control itself is not on screen; the day grid is filled all
        // the same and takes the focus when the user clicks it.
    }
    // Above the day grid and above every marker; the toolbar too, which the
    // markers of the first row's covered days would otherwise poke through.
    ui.Toolbar1->ZOrder();
    ui.txtToolbarTag->ZOrder();
    ui.txtClock->ZOrder();
    ui.cboPerson->ZOrder();
}

// Steps 3 to 7 for the day `day`, whose cell (if the sheet shows it) is the
// current cell of the sheet.
void ShowChosenDay(Instance& instance, DateTime day) {
    State& s = instance.state;
    // The rows are about to be replaced: a pending new row and an open time
    // editor belong to the old ones, and left open they would store or
    // retime on the wrong day.
    EndPendingAppointment(instance);
    instance.ui.txtClock->SetVisible(false);
    s.DeletePending = false;
    s.EditCancelled = false;
    PlaceGroup(instance);
    if (s.database && !s.database->Name().empty() && !s.DataSourceDates.empty()) FillRows(instance, DateLiteral(day));
    ShowMarkedRow(instance);
    // The title names the day that was queried, and that day is what every
    // later act on the shown day uses: the sheet's current cell and
    // DateValue may move on a reload, the day grid's day must not.
    s.ShownDay = dt::DateOnly(day);
    instance.ui.txtToolbarTag->SetText(dt::Format(day, "ddd, dd.mm.yy", instance.locale()));
    SetToolbarButtons(instance);
    ShowGroup(instance);
}

} // namespace

std::string OneDayQuery(const State& state, const std::string& dateLiteral) {
    const std::string& t = state.DataSourceDates;
    const std::string& f = state.FieldDatesDate;
    // A name with blanks arrives bracketed already; a second pair would name
    // a field that does not exist.
    const bool bracketed = f.size() >= 2 && f.front() == '[' && f.back() == ']';
    std::string text = "SELECT * ";
    text.append(" From ").append(t).append(" WHERE (((DateValue(");
    if (bracketed) text.append(f);
    else text.append("[").append(f).append("]");
    text.append("))=#").append(dateLiteral).append("#))");
    text.append(" ORDER BY ").append(t).append(".").append(f);
    return text;
}

void ShowDay(Instance& instance, std::optional<int> markerIndex) {
    if (!CheckRequiredProperties(instance)) return;
    if (markerIndex) SelectMarkerCell(instance, *markerIndex);
    ShowChosenDay(instance, dt::DateOnly(CellDate(instance)));
}

void PlaceDayGroup(Instance& instance) { PlaceGroup(instance); }

void ShowDayOf(Instance& instance, DateTime day) {
    if (!CheckRequiredProperties(instance)) return;
    day = dt::DateOnly(day);
    SelectDayCell(instance, day);
    ShowChosenDay(instance, day);
}

void HideDayGrid(Instance& instance) {
    // A pending new row ends without an event.
    EndPendingAppointment(instance);
    Surface& ui = instance.ui;
    ui.Toolbar1->SetVisible(false);
    ui.txtClock->SetVisible(false);
    ui.GridZoom->SetVisible(false);
    ui.txtToolbarTag->SetVisible(false);
    ui.cboPerson->SetVisible(false);
}

std::string DayGridDateTimeText(DateTime value) {
    std::string text = dt::Format(value, "dd.mm.yyyy hh:nn:ss", DefaultLocale());
    const int millisecond = dt::TimeOf(value).millisecond;
    if (millisecond != 0) {
        const std::string digits = std::to_string(1000 + millisecond);  // "1ddd"
        text.push_back('.');
        text.append(digits, 1, 3);
    }
    // A value off the millisecond grid (a host's own arithmetic) is kept as
    // the shortest number that reads back to it: the host finds its record
    // by the very value it stored.
    if (ParseDayGridDateTime(text) != value) return FieldValue(value).AsText();
    return text;
}

std::optional<DateTime> ParseDayGridDateTime(std::string_view text) {
    double number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (!text.empty() && error == std::errc() && end == text.data() + text.size() && std::isfinite(number))
        return number;
    const std::size_t blank = text.find(' ');
    const std::optional<DateTime> date = dt::ParseDayMonthYear(text.substr(0, blank));
    if (!date) return std::nullopt;
    if (blank == std::string_view::npos) return date;
    std::string_view time = text.substr(blank + 1);
    // hh:nn[:ss[.fff]], each part with exactly its digits.
    auto take = [&time](std::size_t digits, int limit) -> std::optional<int> {
        if (time.size() < digits) return std::nullopt;
        int value = 0;
        for (std::size_t i = 0; i < digits; ++i) {
            if (time[i] < '0' || time[i] > '9') return std::nullopt;
            value = value * 10 + (time[i] - '0');
        }
        if (value > limit) return std::nullopt;
        time.remove_prefix(digits);
        return value;
    };
    auto separator = [&time](char c) {
        if (time.empty() || time.front() != c) return false;
        time.remove_prefix(1);
        return true;
    };
    const std::optional<int> hour = take(2, 23);
    if (!hour || !separator(':')) return std::nullopt;
    const std::optional<int> minute = take(2, 59);
    if (!minute) return std::nullopt;
    int second = 0, millisecond = 0;
    if (separator(':')) {
        const std::optional<int> s = take(2, 59);
        if (!s) return std::nullopt;
        second = *s;
        if (separator('.')) {
            const std::optional<int> ms = take(3, 999);
            if (!ms) return std::nullopt;
            millisecond = *ms;
        }
    }
    if (!time.empty()) return std::nullopt;
    return dt::FromYmdHms(dt::Year(*date), dt::Month(*date), dt::Day(*date), *hour, *minute,
                          second + millisecond / 1000.0);
}

} // namespace agendor
