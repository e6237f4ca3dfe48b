#include "agendor/platform/qt/qt_drag_move.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStringList>
#include <QTimer>

#include <optional>

#include "agendor/control/agendor.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/qt/qt_surface.h"
#include "agendor/platform/surface.h"

namespace agendor::qt {

namespace {

constexpr int kButtonBack = 3, kButtonForward = 4;
constexpr int kHoverPageMs = 800;

// The drag is the control's own, not a QDrag: it never leaves the control,
// and a release on a paging button must not end it.
class DragMove final : public QObject {
public:
    DragMove(Agendor& control, QtSurface& surface) : QObject(surface.parent), control_(control), s_(surface) {
        // Resting on a paging button pages again and again, as long as the
        // appointment is held there.
        hoverPage_.setInterval(kHoverPageMs);
        connect(&hoverPage_, &QTimer::timeout, this, [this] {
            if (dragging_ && hoverButton_) Page(hoverButton_);
        });
    }
    ~DragMove() override {
        // The control goes while a row is dragged: its widgets may be gone
        // already, the application's filter and cursor are not.
        if (!dragging_) return;
        qApp->removeEventFilter(this);
        QGuiApplication::restoreOverrideCursor();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        return dragging_ ? WhileDragging(watched, event) : BeforeDragging(watched, event);
    }

private:
    struct Target {
        int row, col;
        DateTime day;
    };

    bool BeforeDragging(QObject* watched, QEvent* event) {
        if (watched != s_.GridZoom->viewport() && watched != s_.Grid->viewport()) return false;
        const QEvent::Type type = event->type();
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease && type != QEvent::MouseMove)
            return false;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        switch (type) {
        case QEvent::MouseButtonPress:
            armed_ = mouse->button() == Qt::LeftButton;
            fromSheet_ = watched == s_.Grid->viewport();
            pressAt_ = mouse->position().toPoint();
            return false;
        case QEvent::MouseButtonRelease: armed_ = false; return false;
        case QEvent::MouseMove:
            if (!armed_ || !(mouse->buttons() & Qt::LeftButton) ||
                (mouse->position().toPoint() - pressAt_).manhattanLength() < QApplication::startDragDistance())
                return false;
            armed_ = false;
            return Start(mouse->globalPosition().toPoint());
        default: return false;
        }
    }

    bool Start(QPoint global) {
        if (!control_.AllowEdit() || s_.txtClock->isVisible() || s_.cboPerson->isVisible()) return false;
        if (fromSheet_) return StartFromSheet(global);
        const auto cell = s_.GridZoom->CellAt(pressAt_);
        if (!cell || cell->first < 1) return false;
        const std::optional<AppointmentRef> row = DayGridRowAppointment(control_, cell->first);
        if (!row) return false;
        dateId_ = row->DateID;
        dateOld_ = row->When;
        return Begin(global);
    }

    // A line of a sheet cell: the appointment it shows, found by the day's
    // query (a marker's hidden appointments are reached through the day grid).
    bool StartFromSheet(QPoint global) {
        const auto cell = s_.Grid->CellAt(pressAt_);
        const int line = s_.Grid->LineAt(pressAt_);
        if (!cell || line < 1) return false;
        const std::optional<DateTime> day = DateOfSheetCell(control_, cell->first, cell->second);
        if (!day) return false;
        const QStringList lines = QString::fromStdString(s_.Grid->TextMatrix(cell->first, cell->second)).split(QLatin1Char('\r'));
        if (line >= lines.size()) return false;
        const std::optional<AppointmentRef> appointment =
            SheetLineAppointment(control_, *day, line, lines[line].toStdString());
        if (!appointment) return false;
        dateId_ = appointment->DateID;
        dateOld_ = appointment->When;
        return Begin(global);
    }

    bool Begin(QPoint global) {
        dragging_ = true;
        qApp->installEventFilter(this);
        QGuiApplication::setOverrideCursor(Qt::ForbiddenCursor);
        Hover(global);
        return true;
    }

    // Moves are followed where the window gets them, also those without a
    // button held (after a release on a paging button), which no widget
    // without mouse tracking would see. Presses and releases are taken from
    // the widget they reach, so the window ends its own grab of the mouse.
    bool WhileDragging(QObject* watched, QEvent* event) {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape) return true;
            End();
            return true;
        case QEvent::ShortcutOverride: return true;
        case QEvent::MouseMove:
            if (watched->isWindowType()) Hover(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
            return watched->isWidgetType();
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: return watched->isWidgetType();
        case QEvent::MouseButtonRelease:
            if (!watched->isWidgetType()) return false;
            Drop(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
            return true;
        default: return false;
        }
    }

    static bool Over(const QWidget* w, QPoint global) {
        return w && w->isVisible() && w->rect().contains(w->mapFromGlobal(global));
    }

    int PagingButtonAt(QPoint global) const {
        for (int index : {kButtonBack, kButtonForward}) {
            QWidget* button = s_.Toolbar2->ButtonWidget(index);
            if (Over(button, global) && button->isEnabled()) return index;
        }
        return 0;
    }

    // The day cell of the sheet under the mouse, not hidden by the day grid
    // that lies over the sheet.
    std::optional<Target> SheetDayAt(QPoint global) const {
        for (const QWidget* above : {static_cast<const QWidget*>(s_.GridZoom), static_cast<const QWidget*>(s_.Toolbar1),
                                     static_cast<const QWidget*>(s_.txtToolbarTag)})
            if (Over(above, global)) return std::nullopt;
        QWidget* viewport = s_.Grid->viewport();
        if (!Over(viewport, global)) return std::nullopt;
        const auto cell = s_.Grid->CellAt(viewport->mapFromGlobal(global));
        if (!cell) return std::nullopt;
        const std::optional<DateTime> day = DateOfSheetCell(control_, cell->first, cell->second);
        if (!day) return std::nullopt;
        return Target{cell->first, cell->second, *day};
    }

    void Hover(QPoint global) {
        const std::optional<Target> target = SheetDayAt(global);
        const bool movable = target && dt::DayNumber(target->day) != dt::DayNumber(dateOld_);
        if (movable) s_.Grid->SetDropTarget(target->row, target->col);
        else s_.Grid->SetDropTarget(-1, -1);
        const int button = PagingButtonAt(global);
        QGuiApplication::changeOverrideCursor(movable || button ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
        if (button != hoverButton_) {
            hoverButton_ = button;
            if (button) hoverPage_.start();
            else hoverPage_.stop();
        }
    }

    void Page(int index) {
        if (auto* button = qobject_cast<QAbstractButton*>(s_.Toolbar2->ButtonWidget(index))) button->click();
    }

    void Drop(QPoint global) {
        if (const int index = PagingButtonAt(global)) {
            // Pages the sheet; the appointment stays in the hand.
            Page(index);
            hoverPage_.start();
            Hover(global);
            return;
        }
        const std::optional<Target> target = SheetDayAt(global);
        End();
        if (target) MoveAppointment(control_, dateId_, dateOld_, target->day);
    }

    void End() {
        dragging_ = false;
        hoverButton_ = 0;
        hoverPage_.stop();
        qApp->removeEventFilter(this);
        QGuiApplication::restoreOverrideCursor();
        s_.Grid->SetDropTarget(-1, -1);
    }

    Agendor& control_;
    QtSurface& s_;
    bool armed_ = false;
    bool fromSheet_ = false;
    int hoverButton_ = 0;
    QTimer hoverPage_;
    bool dragging_ = false;
    QPoint pressAt_;
    std::int32_t dateId_ = 0;
    DateTime dateOld_ = 0;
};

} // namespace

std::unique_ptr<QObject> InstallDragMove(Agendor& control, QtSurface& surface) {
    auto drag = std::make_unique<DragMove>(control, surface);
    surface.GridZoom->viewport()->installEventFilter(drag.get());
    surface.Grid->viewport()->installEventFilter(drag.get());
    return drag;
}

} // namespace agendor::qt
