// The demo's exchange with other calendars: the shown sheet or one
// appointment into an .ics file, and an .ics file into the database through
// the demo's own change handlers.
#include <QAction>
#include <QFileDialog>
#include <QMenu>
#include <QTableView>
#include <QStatusBar>

#include "agendor/control/agendor.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/qt/qt_date_time.h"
#include "agendor/platform/qt/qt_host.h"
#include "demo/demo_window.h"

namespace agendor::demo {

namespace {

constexpr const char* kFilter = "iCalendar (*.ics)";

} // namespace

qt::AgendorWidget::IcsResult DemoWindow::ExportShownSheetIcs(const QString& path) {
    const Agendor& control = calendar_->control();
    const DateTime day = control.DateValue();
    DateTime first, last;
    if (control.View() == agMonat) {
        first = dt::FromYmd(dt::Year(day), dt::Month(day), 1);
        last = dt::FromYmd(dt::Year(day), dt::Month(day), dt::DaysInMonth(dt::Year(day), dt::Month(day)));
    } else {
        first = dt::AddDays(dt::DateOnly(day), 1 - dt::Weekday(day));
        last = dt::AddDays(first, 6);
    }
    return calendar_->ExportIcs(qt::ToQDate(first), qt::ToQDate(last), path);
}

qt::AgendorWidget::IcsResult DemoWindow::ExportDayGridRowIcs(const QString& path) {
    return calendar_->ExportIcsDayGridRow(path);
}

qt::AgendorWidget::IcsResult DemoWindow::ImportIcs(const QString& path) {
    // One box at the end, not one per refused appointment.
    std::vector<std::string> refusals;
    struct Restore {
        ChangeHandlers& handlers;
        decltype(ChangeHandlers::refuse) refuse = handlers.refuse;
        decltype(ChangeHandlers::report) report = handlers.report;
        ~Restore() {
            handlers.refuse = refuse;
            handlers.report = report;
        }
    } restore{*handlers_};
    handlers_->refuse = [&refusals](const std::string& reason) { refusals.push_back(reason); };
    handlers_->report = nullptr;
    qt::AgendorWidget::IcsResult result = calendar_->ImportIcs(path);
    if (!refusals.empty()) result.message += "\nDer erste abgelehnte Termin: " + QString::fromStdString(refusals.front());
    return result;
}

void DemoWindow::AddIcsActions(QMenu* file) {
    const auto tell = [this](const qt::AgendorWidget::IcsResult& result, bool boxWhenOk) {
        if (result.ok && !boxWhenOk) {
            statusBar()->showMessage(result.message, 5000);
            return;
        }
        qt::ShowMessage(this, {result.message.toStdString(), "Agendor",
                               result.ok ? MessageIcon::Information : MessageIcon::Exclamation, MessageButtons::Ok});
    };
    file->addSeparator();
    file->addAction("Als &iCalendar exportieren …", this, [this, tell] {
        Run([this, tell] {
            const QString target =
                QFileDialog::getSaveFileName(this, "Kalenderblatt als iCalendar", "kalender.ics", kFilter);
            if (!target.isEmpty()) tell(ExportShownSheetIcs(target), false);
        });
    });
    file->addAction("iCalendar i&mportieren …", this, [this, tell] {
        Run([this, tell] {
            const QString source = QFileDialog::getOpenFileName(this, "iCalendar importieren", {}, kFilter);
            if (!source.isEmpty()) tell(ImportIcs(source), true);
        });
    });
    // On a row of the day grid, under the right mouse button: the row under
    // the mouse becomes the current one, whose appointment is exported.
    QTableView* dayGrid = calendar_->dayGrid();
    auto* oneAppointment = new QAction("Termin als iCalendar …", dayGrid);
    connect(oneAppointment, &QAction::triggered, this, [this, tell] {
        Run([this, tell] {
            const QString target = QFileDialog::getSaveFileName(this, "Termin als iCalendar", "termin.ics", kFilter);
            if (!target.isEmpty()) tell(ExportDayGridRowIcs(target), false);
        });
    });
    dayGrid->addAction(oneAppointment);
    dayGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(dayGrid, &QWidget::customContextMenuRequested, this, [this, dayGrid](QPoint at) {
        Run([&] {
            const int row = dayGrid->rowAt(at.y());
            if (row < 1) return;
            calendar_->SetDayGridRow(row);
            QMenu menu;
            menu.addActions(dayGrid->actions());
            menu.exec(dayGrid->viewport()->mapToGlobal(at));
        });
    });
}

} // namespace agendor::demo
