#include "agendor/platform/qt/qt_accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QKeyEvent>
#include <QToolButton>

#include <vector>

#include "agendor/control/agendor.h"
#include "agendor/platform/qt/qt_common.h"
#include "agendor/platform/qt/qt_surface.h"
#include "agendor/platform/surface.h"

namespace agendor::qt {

namespace {

// A marker knows the control it belongs to and finds its own index there.
class MarkerAccessible final : public QAccessibleWidget {
public:
    MarkerAccessible(QWidget* marker, const Agendor& control, const QtMarkerArray& markers)
        : QAccessibleWidget(marker, QAccessible::Button), control_(control), markers_(markers) {}

    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name) return QAccessibleWidget::text(t);
        // One widget shows every marker on its spot; the frontmost one is
        // what a click opens, so it is what the widget is called.
        const std::vector<int> elements = markers_.ElementsOn(static_cast<const QtMarker*>(widget()));
        if (elements.empty()) return {};
        return Q(MarkerDescription(control_, elements.back()));
    }

private:
    const Agendor& control_;
    const QtMarkerArray& markers_;
};

// Which control a marker widget belongs to, by its surface.
struct MarkerOwner {
    const Agendor* control;
    const QtSurface* surface;
};
std::vector<MarkerOwner>& MarkerOwners() {
    static std::vector<MarkerOwner> owners;
    return owners;
}

QAccessibleInterface* MarkerFactory(const QString& className, QObject* object) {
    // QtMarker has no meta object of its own: it is asked for as a QWidget.
    if (className != QLatin1String("QWidget")) return nullptr;
    auto* marker = dynamic_cast<QtMarker*>(object);
    if (!marker) return nullptr;
    for (const MarkerOwner& owner : MarkerOwners()) {
        if (marker->parentWidget() == owner.surface->parent)
            return new MarkerAccessible(marker, *owner.control, *owner.surface->btnVorlage);
    }
    return nullptr;
}

class KeyboardPath final : public QObject {
public:
    KeyboardPath(Agendor& control, QtSurface& surface) : QObject(surface.parent), control_(control), s_(surface) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool editing = s_.txtClock->isVisible() || s_.cboPerson->isVisible();
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            if (editing) return false;
            return Step(watched, key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier) ? 1 : -1);
        }
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_F2;
        if (watched == s_.Grid && enter) {
            OpenDayGrid(control_);
            if (s_.GridZoom->isVisible()) {
                // On the first appointment's time, where Enter retimes.
                WithDayGridErrorBox(control_, [&] { s_.GridZoom->SetRow(s_.GridZoom->Rows() > 1 ? 1 : 0); });
                FocusDayGrid(Qt::TabFocusReason);
            }
            return true;
        }
        const bool digit = key->text().size() == 1 && key->text()[0].isDigit() &&
                           !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (watched == s_.GridZoom && !editing && (enter || digit)) {
            const bool opened = EditTimeCell(control_);
            // The digit is the first one of the new time; it reaches the
            // editor after the editor's own got-focus notification.
            if (opened && digit)
                QCoreApplication::postEvent(s_.txtClock, new QKeyEvent(QEvent::KeyPress, key->key(),
                                                                        key->modifiers(), key->text()));
            return opened || enter;
        }
        // Esc with an appointment marked for moving ends the mark (the grid's own key).
        if (key->key() == Qt::Key_Escape && watched != s_.Grid && !editing && s_.GridZoom->isVisible() &&
            !AppointmentMarked(control_)) {
            CloseDayGrid(control_);
            s_.Grid->setFocus(Qt::OtherFocusReason);
            return true;
        }
        return false;
    }

private:
    // The parts in Tab order, as far as they are shown.
    std::vector<QWidget*> Chain() const {
        std::vector<QWidget*> chain{s_.Grid};
        auto buttons = [&](QtToolbar& bar) {
            if (!bar.isVisible()) return;
            for (int i = 1; i <= bar.ButtonCount(); ++i) {
                QWidget* button = bar.ButtonWidget(i);
                if (button && button->isVisible() && button->isEnabled()) chain.push_back(button);
            }
        };
        buttons(*s_.Toolbar2);
        if (s_.GridZoom->isVisible()) chain.push_back(s_.GridZoom);
        buttons(*s_.Toolbar1);
        return chain;
    }

    bool Step(QObject* from, int direction) {
        // The day grid's toolbar holds the focus itself while no button of
        // it is usable: it stands right after the day grid.
        if (from == s_.Toolbar1) {
            if (direction < 0) {
                FocusDayGrid(Qt::BacktabFocusReason);
                return true;
            }
            from = s_.GridZoom;
        }
        const std::vector<QWidget*> chain = Chain();
        const int n = static_cast<int>(chain.size());
        for (int i = 0; i < n; ++i) {
            if (chain[i] != from) continue;
            QWidget* next = chain[(i + direction + n) % n];
            const Qt::FocusReason reason = direction > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason;
            if (next == s_.GridZoom) FocusDayGrid(reason);
            else next->setFocus(reason);
            return true;
        }
        return false;
    }

    // The day grid reached by the keys shows where it stands: filling it
    // leaves the current cell in the hidden id column, where neither the
    // focus nor the keys that retime would show or work.
    void FocusDayGrid(Qt::FocusReason reason) {
        QtFlexGrid& zoom = *s_.GridZoom;
        WithDayGridErrorBox(control_, [&] {
            if (zoom.ColWidth(zoom.Col()) == 0) zoom.SetCol(0);
            if (zoom.Row() < 1 && zoom.Rows() > 1) zoom.SetRow(1);
        });
        zoom.setFocus(reason);
    }

    Agendor& control_;
    QtSurface& s_;
};

} // namespace

void InstallAccess(Agendor& control, QtSurface& surface) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(MarkerFactory);
        return true;
    }();
    (void)factoryInstalled;
    MarkerOwners().push_back({&control, &surface});
    QObject::connect(surface.parent, &QObject::destroyed, [owner = &surface] {
        auto& owners = MarkerOwners();
        std::erase_if(owners, [owner](const MarkerOwner& o) { return o.surface == owner; });
    });

    const Agendor* reader = &control;
    surface.Grid->accessibleCellName = [reader](int row, int col) { return Q(DayCellDescription(*reader, row, col)); };
    surface.GridZoom->accessibleCellName = [reader](int row, int col) {
        return Q(DayGridCellDescription(*reader, row, col));
    };

    auto* keys = new KeyboardPath(control, surface);
    surface.Grid->installEventFilter(keys);
    surface.GridZoom->installEventFilter(keys);
    surface.Toolbar1->installEventFilter(keys);
    for (QtToolbar* bar : {surface.Toolbar1, surface.Toolbar2}) {
        for (int i = 1; i <= bar->ButtonCount(); ++i) {
            QWidget* button = bar->ButtonWidget(i);
            if (!button) continue;
            // Reached by Tab only: a click keeps the focus where it was.
            button->setFocusPolicy(Qt::TabFocus);
            button->installEventFilter(keys);
            button->setAccessibleName(Q(bar->Button(i).toolTip).trimmed());
            button->setStyleSheet(QStringLiteral("QToolButton:focus { border: 2px solid palette(highlight); "
                                                 "border-radius: 3px; }"));
        }
    }
}

} // namespace agendor::qt
