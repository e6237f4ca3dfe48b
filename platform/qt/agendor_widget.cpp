#include "agendor/platform/qt/agendor_widget.h"

#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QResizeEvent>
#include <QTimer>

#include <functional>
#include <utility>

#include "agendor/control/agendor.h"
#include "agendor/platform/surface.h"
#include "agendor/platform/qt/qt_accessibility.h"
#include "agendor/platform/qt/qt_drag_move.h"
#include "agendor/platform/qt/qt_common.h"
#include "agendor/platform/qt/qt_font.h"
#include "agendor/platform/qt/qt_printer.h"
#include "agendor/platform/qt/qt_surface.h"

namespace agendor::qt {

namespace {

// The control's design size, twips.
constexpr Twips kDesignWidth = 8175;
constexpr Twips kDesignHeight = 7185;

void ShowError(Container& container, const std::exception& e) { ShowEscapedError(container, e); }

// After a handler the control installed into a widget (which shows its own
// errors), `after` tells the host what the handler changed.
template <class... Args>
void Guard(std::function<void(Args...)>& handler, Container& container, const std::function<void()>& after) {
    if (!handler) return;
    handler = [inner = std::move(handler), &container, after](Args... args) {
        inner(std::forward<Args>(args)...);
        try {
            after();
        } catch (const std::exception& e) {
            ShowError(container, e);
        }
    };
}

} // namespace

struct AgendorWidget::Private {
    Private(AgendorWidget* self, const Clock* clock) : surface(self, clock), control(surface.surface()) {
        reload.setSingleShot(true);
        reload.setInterval(200);
    }
    QtSurface surface;
    Agendor control;
    QTimer reload;
    bool reloadOnResize = true;
    // DateValue as last reported by selectedDayChanged.
    DateTime reportedDay = 0;
    // The highlighted cell before the first resize of a burst; the control's
    // layout moves the current cell, the reload puts it back.
    int keptRow = 0, keptCol = 0;
    // DateValue when that cell was kept: a day chosen since (by the person
    // or by a property, as a form designer sets them) is not undone.
    DateTime keptDay = 0;
    // Last, so it goes first: its filters read the surface and the control.
    std::unique_ptr<QObject> dragMove;
};

AgendorWidget::AgendorWidget(QWidget* parent, const Clock* clock) : QWidget(parent) {
    // The control's design font; the grids and editors have their own.
    setFont(ToQFont(*DesignFont("Arial", 8.25)));
    d_ = std::make_unique<Private>(this, clock);
    QtSurface& s = d_->surface;
    d_->reportedDay = d_->control.DateValue();
    const std::function<void()> reportDay = [this] {
        const DateTime day = d_->control.DateValue();
        if (day == d_->reportedDay) return;
        d_->reportedDay = day;
        emit selectedDayChanged(day);
    };
    s.container.SetPropertyChanged([this, reportDay](const std::string& name) {
        emit propertyChanged(Q(name));
        if (name == "DateValue") reportDay();
    });

    for (QtFlexGrid* grid : {s.Grid, s.GridZoom}) {
        Guard(grid->events.EnterCell, s.container, reportDay);
        Guard(grid->events.Click, s.container, reportDay);
        Guard(grid->events.DblClick, s.container, reportDay);
        Guard(grid->events.KeyPress, s.container, reportDay);
        Guard(grid->events.MouseUp, s.container, reportDay);
        Guard(grid->events.LostFocus, s.container, reportDay);
    }
    for (EditEvents* edit : {&s.txtClock->events, &s.cboPerson->events}) {
        Guard(edit->Change, s.container, reportDay);
        Guard(edit->KeyPress, s.container, reportDay);
        Guard(edit->KeyDown, s.container, reportDay);
        Guard(edit->GotFocus, s.container, reportDay);
        Guard(edit->LostFocus, s.container, reportDay);
        Guard(edit->Validate, s.container, reportDay);
    }
    Guard(s.cboPerson->Click, s.container, reportDay);
    Guard(s.txtToolbarTag->GotFocus, s.container, reportDay);
    Guard(s.Toolbar1->ButtonClick, s.container, reportDay);
    Guard(s.Toolbar2->ButtonClick, s.container, reportDay);
    Guard(s.btnVorlage->Click, s.container, reportDay);
    Guard(s.Kontextmenu->ItemClick, s.container, reportDay);
    Guard(s.Timer1->Tick, s.container, reportDay);

    AgendorEvents& events = d_->control.Events();
    events.DateChange = [this](std::int32_t id, DateTime oldDate, DateTime newDate, bool& cancel) {
        emit dateChange(id, oldDate, newDate, cancel);
    };
    events.DateDel = [this](std::int32_t id, DateTime when, const std::string& person, bool& cancel) {
        emit dateDel(id, when, Q(person), cancel);
    };
    events.DateNew = [this](DateTime when, std::int32_t personId, const std::string& person, bool& cancel) {
        emit dateNew(when, personId, Q(person), cancel);
    };
    events.Click = [this](DateTime day) { emit clicked(day); };
    events.DblClick = [this](DateTime day) { emit doubleClicked(day); };
    events.IncorrectTime = [this](const std::string& time) { emit incorrectTime(Q(time)); };

    d_->control.InitProperties();
    InstallAccess(d_->control, s);
    d_->dragMove = InstallDragMove(d_->control, s);
    ConnectPropertySignals();
    setFocusProxy(s.Grid);
    connect(&d_->reload, &QTimer::timeout, this, &AgendorWidget::ReloadAfterResize);
}

AgendorWidget::~AgendorWidget() {
    // The control first: it unhooks itself from the child widgets, which
    // QWidget deletes only after this body.
    d_->surface.Grid->accessibleCellName = nullptr;
    d_.reset();
}

Agendor& AgendorWidget::control() { return d_->control; }
const Agendor& AgendorWidget::control() const { return d_->control; }
QtSurface& AgendorWidget::surface() { return d_->surface; }

QtContainer& AgendorWidget::container() { return d_->surface.container; }
QTableView* AgendorWidget::dayGrid() { return d_->surface.GridZoom; }
void AgendorWidget::SetDayGridRow(int row) { d_->surface.GridZoom->SetRow(row); }

bool AgendorWidget::DesignMode() const { return !d_->surface.container.UserMode(); }

void AgendorWidget::Refresh() { d_->control.Refresh(); }

void AgendorWidget::PrintSheet(std::optional<std::int16_t> view) { d_->control.PrintSheet(view); }

void AgendorWidget::ReadProperties(PropertyStore& store) { d_->control.ReadProperties(store); }

void AgendorWidget::WriteProperties(PropertyStore& store) { d_->control.WriteProperties(store); }

void AgendorWidget::SetPrintFile(const QString& pdfFile) { d_->surface.SetPrintFile(pdfFile); }

bool AgendorWidget::PrintWith(std::function<std::unique_ptr<Printer>()> open, std::optional<std::int16_t> view,
                              std::optional<std::pair<double, double>> range) {
    Agendor& control = d_->control;
    // The control's own printer comes back however the page ends.
    struct Restore {
        Agendor& control;
        bool swapped;
        ~Restore() {
            if (swapped) control.SetPrinter(nullptr);
        }
    } restore{control, static_cast<bool>(open)};
    if (open) control.SetPrinter(std::move(open));
    if (range) return control.PrintSheets(range->first, range->second, view);
    return control.PrintSheet(view);
}

bool AgendorWidget::PrintSheets(double from, double to, std::optional<std::int16_t> view) {
    return PrintWith(nullptr, view, std::pair(from, to));
}

bool AgendorWidget::PrintSheetsOn(QPrinter& printer, double from, double to, std::optional<std::int16_t> view) {
    return PrintWith([&printer]() -> std::unique_ptr<Printer> { return QtPrinter::On(printer); }, view,
                     std::pair(from, to));
}

bool AgendorWidget::PrintSheetToPdf(const QString& pdfFile, std::optional<std::int16_t> view) {
    return PrintWith([pdfFile]() -> std::unique_ptr<Printer> { return QtPrinter::ToPdf(pdfFile); }, view);
}

bool AgendorWidget::PrintSheetOn(QPrinter& printer, std::optional<std::int16_t> view) {
    return PrintWith([&printer]() -> std::unique_ptr<Printer> { return QtPrinter::On(printer); }, view);
}

bool AgendorWidget::PrintSheetWithDialog(std::optional<std::int16_t> view) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, window());
    dialog.setWindowTitle(QStringLiteral("Kalenderblatt drucken"));
    if (dialog.exec() != QDialog::Accepted) return false;
    return PrintSheetOn(printer, view);
}

void AgendorWidget::PrintPreview(std::optional<std::int16_t> view) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintPreviewDialog dialog(&printer, window());
    dialog.setWindowTitle(QStringLiteral("Druckvorschau"));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [this, view](QPrinter* target) { PrintSheetOn(*target, view); });
    dialog.exec();
}

QSize AgendorWidget::sizeHint() const {
    return {ToPixelsX(this, kDesignWidth), ToPixelsY(this, kDesignHeight)};
}

void AgendorWidget::SetReloadAfterResize(int delayMilliseconds) {
    d_->reloadOnResize = delayMilliseconds >= 0;
    if (d_->reloadOnResize) d_->reload.setInterval(delayMilliseconds);
    else d_->reload.stop();
}

namespace {

// The sheet builders replace the label's design caption, so it tells
// whether a sheet has been loaded at all.
bool SheetLoaded(const QtSurface& s) { return s.lblMonat->Caption() != "Monat Jahr"; }

} // namespace

void AgendorWidget::ReloadAfterResize() {
    QtSurface& s = d_->surface;
    if (!SheetLoaded(s)) return;
    try {
        const bool sameDay = d_->control.DateValue() == d_->keptDay;
        ReloadForNewSize(d_->control, sameDay ? d_->keptRow : 0, sameDay ? d_->keptCol : 0);
    } catch (const std::exception& e) {
        ShowEscapedError(s.container, e);
    }
}

void AgendorWidget::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (!d_->reload.isActive()) {
        d_->keptRow = d_->surface.Grid->Row();
        d_->keptCol = d_->surface.Grid->Col();
        d_->keptDay = d_->control.DateValue();
    }
    try {
        d_->control.Resize(ToTwipsX(this, e->size().width()), ToTwipsY(this, e->size().height()));
    } catch (const std::exception&) {
        // Layout is best effort: a size the children refuse keeps the last layout.
    }
    if (d_->reloadOnResize && SheetLoaded(d_->surface)) d_->reload.start();
}

} // namespace agendor::qt
