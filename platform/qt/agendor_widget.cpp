#include "agendor/platform/qt/agendor_widget.h"

#include <QResizeEvent>
#include <QTimer>

#include <functional>
#include <utility>

#include "agendor/control/agendor.h"
#include "agendor/platform/qt/qt_common.h"
#include "agendor/platform/qt/qt_font.h"
#include "agendor/platform/qt/qt_surface.h"

namespace agendor::qt {

namespace {

// The control's design size, twips.
constexpr Twips kDesignWidth = 8175;
constexpr Twips kDesignHeight = 7185;

// Wraps a handler the control installed into a widget, so that an error it
// lets through is shown to the person instead of unwinding into Qt.
template <class... Args>
void Guard(std::function<void(Args...)>& handler, Container& container) {
    if (!handler) return;
    handler = [inner = std::move(handler), &container](Args... args) {
        try {
            inner(std::forward<Args>(args)...);
        } catch (const std::exception& e) {
            Message message;
            message.text = e.what();
            message.title = "Agendor3.ocx";
            message.icon = MessageIcon::Critical;
            container.MessageBox(message);
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
};

AgendorWidget::AgendorWidget(QWidget* parent, const Clock* clock) : QWidget(parent) {
    // The control's design font; the grids and editors have their own.
    setFont(ToQFont(*DesignFont("Arial", 8.25)));
    d_ = std::make_unique<Private>(this, clock);
    QtSurface& s = d_->surface;
    s.container.SetPropertyChanged([this](const std::string& name) { emit propertyChanged(Q(name)); });

    Container& c = s.container;
    for (QtFlexGrid* grid : {s.Grid, s.GridZoom}) {
        Guard(grid->events.EnterCell, c);
        Guard(grid->events.Click, c);
        Guard(grid->events.DblClick, c);
        Guard(grid->events.KeyPress, c);
        Guard(grid->events.MouseUp, c);
        Guard(grid->events.LostFocus, c);
    }
    for (EditEvents* edit : {&s.txtClock->events, &s.cboPerson->events}) {
        Guard(edit->Change, c);
        Guard(edit->KeyPress, c);
        Guard(edit->KeyDown, c);
        Guard(edit->GotFocus, c);
        Guard(edit->LostFocus, c);
        Guard(edit->Validate, c);
    }
    Guard(s.cboPerson->Click, c);
    Guard(s.txtToolbarTag->GotFocus, c);
    Guard(s.Toolbar1->ButtonClick, c);
    Guard(s.Toolbar2->ButtonClick, c);
    Guard(s.btnVorlage->Click, c);
    Guard(s.Kontextmenu->ItemClick, c);
    Guard(s.Timer1->Tick, c);

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
    ConnectPropertySignals();
    setFocusProxy(s.Grid);
    connect(&d_->reload, &QTimer::timeout, this, &AgendorWidget::ReloadAfterResize);
}

AgendorWidget::~AgendorWidget() {
    // The control first: it unhooks itself from the child widgets, which
    // QWidget deletes only after this body.
    d_.reset();
}

Agendor& AgendorWidget::control() { return d_->control; }
const Agendor& AgendorWidget::control() const { return d_->control; }
QtSurface& AgendorWidget::surface() { return d_->surface; }

void AgendorWidget::Refresh() { d_->control.Refresh(); }

void AgendorWidget::PrintSheet(std::optional<std::int16_t> view) { d_->control.PrintSheet(view); }

void AgendorWidget::ReadProperties(PropertyStore& store) { d_->control.ReadProperties(store); }

void AgendorWidget::WriteProperties(PropertyStore& store) { d_->control.WriteProperties(store); }

void AgendorWidget::SetPrintFile(const QString& pdfFile) { d_->surface.SetPrintFile(pdfFile); }

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
    if (!SheetLoaded(s) || s.GridZoom->Visible()) return;
    try {
        d_->control.Refresh();
    } catch (const std::exception& e) {
        Message message;
        message.text = e.what();
        message.title = "Agendor3.ocx";
        message.icon = MessageIcon::Critical;
        s.container.MessageBox(message);
    }
}

void AgendorWidget::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    try {
        d_->control.Resize(ToTwipsX(this, e->size().width()), ToTwipsY(this, e->size().height()));
    } catch (const std::exception&) {
        // Layout is best effort: a size the children refuse keeps the last layout.
    }
    if (d_->reloadOnResize && SheetLoaded(d_->surface)) d_->reload.start();
}

} // namespace agendor::qt
