#pragma once
// AgendorWidget: the appointment-calendar control as a QWidget that a host
// places in its window. It owns one control with its child widgets, lays
// them out when it is resized, and reports the control's events as Qt
// signals. The cancellable events carry Cancel by reference: connect them
// directly (the default within one thread) and set it to refuse a change.
//
// An error that a handler of the control lets through (a database that
// fails while the day grid opens, a host handler that throws) is shown as
// a critical message box and never reaches Qt's event loop.
#include <QWidget>

#include <functional>

#include <cstdint>
#include <memory>
#include <optional>

#include "agendor/platform/types.h"

class QPrinter;

namespace agendor {
class Agendor;
class Printer;
class Clock;
class PropertyStore;
namespace qt {
class QtSurface;
}
} // namespace agendor

namespace agendor::qt {

class AgendorWidget : public QWidget {
    Q_OBJECT

public:
    // clock: today's date; nullptr is the system's clock. The new control
    // has its default properties (InitProperties).
    explicit AgendorWidget(QWidget* parent = nullptr, const Clock* clock = nullptr);
    ~AgendorWidget() override;

    // The public interface: properties, Refresh, PrintSheet.
    Agendor& control();
    const Agendor& control() const;
    void Refresh();
    void PrintSheet(std::optional<std::int16_t> view = std::nullopt);

    // Stored properties (a control placed on a form before).
    void ReadProperties(PropertyStore& store);
    void WriteProperties(PropertyStore& store);

    // The child widgets, for hosts that look closer and for tests.
    QtSurface& surface();
    // Prints into a PDF file instead of on the system's printer; empty
    // prints on the printer again.
    void SetPrintFile(const QString& pdfFile);
    // The page PrintSheet prints (view as PrintSheet takes it), written into
    // a PDF file or printed on a printer the host has set up. A failure shows
    // the control's error box; the result tells whether the page was sent.
    bool PrintSheetToPdf(const QString& pdfFile, std::optional<std::int16_t> view = std::nullopt);
    bool PrintSheetOn(QPrinter& printer, std::optional<std::int16_t> view = std::nullopt);
    // Asks for a printer in QPrintDialog and prints the page on it; false
    // when the person cancels or the page could not be sent.
    bool PrintSheetWithDialog(std::optional<std::int16_t> view = std::nullopt);
    // Shows the page in QPrintPreviewDialog, from where the person prints it.
    void PrintPreview(std::optional<std::int16_t> view = std::nullopt);

    QSize sizeHint() const override;

    // A sheet is laid out for the size it was loaded at: its lines are cut
    // to the columns and its markers sit on the cells of that size. So once
    // the size has settled after a change (delay in milliseconds; negative:
    // never), a loaded sheet is loaded again; the selected day, its
    // highlighted cell and an open day grid stay as they were.
    void SetReloadAfterResize(int delayMilliseconds);

signals:
    void dateChange(std::int32_t dateId, double dateOld, double dateNew, bool& cancel);
    void dateDel(std::int32_t dateId, double dateTime, const QString& person, bool& cancel);
    void dateNew(double dateTime, std::int32_t personId, const QString& person, bool& cancel);
    void clicked(double curDay);
    void doubleClicked(double curDay);
    void incorrectTime(const QString& time);
    // A property changed (the container's PropertyChanged).
    void propertyChanged(const QString& name);
    // DateValue changed, by the person (a click, the arrow keys, a marker,
    // a menu command, paging) or by the host.
    void selectedDayChanged(double day);

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void ReloadAfterResize();
    bool PrintWith(std::function<std::unique_ptr<Printer>()> open, std::optional<std::int16_t> view);

private:
    struct Private;
    std::unique_ptr<Private> d_;
};

} // namespace agendor::qt
