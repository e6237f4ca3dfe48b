// AgendorWidget's exchange with other calendars: the control reads the
// appointments or raises DateNew, libical writes and reads the files, and a
// long run shows a progress dialog the person can stop.
#include <QProgressDialog>

#include <memory>

#include "agendor/control/agendor.h"
#include "agendor/platform/ical/ics_calendar.h"
#include "agendor/platform/qt/agendor_widget.h"
#include "agendor/platform/qt/qt_common.h"
#include "agendor/platform/qt/qt_date_time.h"

namespace agendor::qt {

namespace {

QString Quoted(const QString& s) { return "„" + s + "“"; }

QString Appointments(std::size_t n) { return QString::number(n) + (n == 1 ? " Termin" : " Termine"); }

// Shown once the work has more than `above` steps; modal to the window, so
// the person can press only its button while the calendar works.
class ProgressDialog {
public:
    ProgressDialog(QWidget* owner, QString label, int above) : owner_(owner), label_(std::move(label)), above_(above) {}

    bool operator()(std::size_t done, std::size_t total) {
        if (total <= static_cast<std::size_t>(std::max(above_, 0))) return true;
        if (!dialog_) {
            dialog_ = std::make_unique<QProgressDialog>(label_, "Abbrechen", 0, static_cast<int>(total), owner_);
            dialog_->setWindowTitle("Agendor");
            dialog_->setWindowModality(Qt::WindowModal);
            dialog_->setMinimumDuration(0);
            dialog_->setAutoClose(false);
            dialog_->setAutoReset(false);
        }
        // A modal dialog takes the person's click while it sets its value.
        dialog_->setValue(static_cast<int>(done));
        return !dialog_->wasCanceled();
    }

private:
    QWidget* owner_;
    QString label_;
    int above_;
    std::unique_ptr<QProgressDialog> dialog_;
};

ical::ExportSettings ExportSettingsOf(const AgendorWidget::IcsOptions& options, const Agendor& control) {
    ical::ExportSettings settings;
    settings.timeZone = options.timeZone.toStdString();
    settings.durationMinutes = options.durationMinutes;
    settings.categories = options.categories.toStdString();
    settings.description = options.description.toStdString();
    settings.source = control.AppointmentSource();
    return settings;
}

AgendorWidget::IcsResult Write(QWidget* owner, const AgendorWidget::IcsOptions& options, const Agendor& control,
                               const std::vector<StoredAppointment>& stored, const QString& path) {
    std::vector<ical::Appointment> appointments;
    appointments.reserve(stored.size());
    for (const StoredAppointment& a : stored) appointments.push_back({a.id, a.when, a.person});
    ProgressDialog progress(owner, "Termine werden exportiert …", options.progressAbove);
    AgendorWidget::IcsResult result;
    if (!ical::WriteCalendarFile(appointments, path.toStdString(), ExportSettingsOf(options, control), std::ref(progress))) {
        result.message = "Der Export wurde abgebrochen; " + Quoted(path) + " ist unverändert.";
        return result;
    }
    result.ok = true;
    result.appointments = static_cast<int>(appointments.size());
    result.message = Appointments(appointments.size()) + " in " + Quoted(path) + " geschrieben.";
    return result;
}

} // namespace

AgendorWidget::IcsResult AgendorWidget::ExportIcs(const QDate& from, const QDate& to, const QString& path) {
    try {
        if (from > to) throw Error("Der Zeitraum endet vor seinem Anfang.");
        return Write(this, icsOptions_, control(), control().ReadAppointments(FromQDate(from), FromQDate(to)), path);
    } catch (const std::exception& e) {
        return {false, 0, Q(e.what())};
    }
}

AgendorWidget::IcsResult AgendorWidget::ExportIcsDayGridRow(const QString& path) {
    try {
        const std::optional<StoredAppointment> row = control().DayGridAppointment();
        if (!row) return {false, 0, "Im Tagesraster ist kein gespeicherter Termin gewählt."};
        return Write(this, icsOptions_, control(), {*row}, path);
    } catch (const std::exception& e) {
        return {false, 0, Q(e.what())};
    }
}

AgendorWidget::IcsResult AgendorWidget::ImportIcs(const QString& path) {
    ical::ImportSettings settings;
    settings.timeZone = icsOptions_.timeZone.toStdString();
    ical::ReadResult read;
    try {
        read = ical::ReadCalendarFile(path.toStdString(), settings);
    } catch (const std::exception& e) {
        return {false, 0, Q(e.what())};
    }
    std::vector<IncomingAppointment> incoming;
    incoming.reserve(read.appointments.size());
    for (const ical::Incoming& a : read.appointments) incoming.push_back({a.when, a.person});
    ImportOutcome outcome;
    {
        ProgressDialog progress(this, "Termine werden importiert …", icsOptions_.progressAbove);
        outcome = control().RaiseDateNewForEach(incoming, std::ref(progress));
    }
    IcsResult result{true, static_cast<int>(outcome.taken), {}};
    std::string reloadFailure;
    if (outcome.taken > 0) {
        try {
            control().Refresh();
        } catch (const std::exception& e) {
            reloadFailure = e.what();
        }
    }
    result.message = Q(ical::ImportSummary(read, {outcome.taken, outcome.cancelled, outcome.stopped, outcome.error}));
    if (!reloadFailure.empty()) result.message += "\nDer Kalender konnte nicht neu geladen werden: " + Q(reloadFailure);
    return result;
}

} // namespace agendor::qt
