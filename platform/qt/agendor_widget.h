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
#include <QColor>
#include <QDate>
#include <QFont>
#include <QString>
#include <QWidget>

#include <functional>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

#include "agendor/platform/types.h"
#include "agendor/qt_export.h"

class QPrinter;
class QTableView;

namespace agendor {
class Agendor;
class Printer;
class Clock;
class PropertyStore;
namespace qt {
class QtSurface;
class QtContainer;
}
} // namespace agendor

namespace agendor::qt {

class AGENDOR_QT_EXPORT AgendorWidget : public QWidget {
    Q_OBJECT

    // Qt properties (agendor_widget_properties.cpp) -----------------------
    // The control's public properties under the control's own names, in Qt
    // types, so that Qt Designer shows them and keeps them in the .ui file.
    // Each setter is named set<Name>, as uic calls it, and each property
    // notifies <Name>Changed when the control reports PropertyChanged.
    // Database and Workspace are objects that a host hands over at run time
    // through control(). The control's font is the widget's own: the Qt
    // property font (QWidget::setFont from any caller, or a .ui file) sets
    // it, and Font, Fontname and Fontsize follow.
    Q_PROPERTY(QDate DateValue READ DateValue WRITE setDateValue NOTIFY DateValueChanged)
    Q_PROPERTY(QString FieldSourcePersonID READ FieldSourcePersonID WRITE setFieldSourcePersonID NOTIFY FieldSourcePersonIDChanged)
    Q_PROPERTY(QString FieldSourcePerson READ FieldSourcePerson WRITE setFieldSourcePerson NOTIFY FieldSourcePersonChanged)
    Q_PROPERTY(QString FieldDatesDateID READ FieldDatesDateID WRITE setFieldDatesDateID NOTIFY FieldDatesDateIDChanged)
    Q_PROPERTY(QString FieldDatesDate READ FieldDatesDate WRITE setFieldDatesDate NOTIFY FieldDatesDateChanged)
    Q_PROPERTY(QString FieldDatesPerson READ FieldDatesPerson WRITE setFieldDatesPerson NOTIFY FieldDatesPersonChanged)
    Q_PROPERTY(QString DataSourcePerson READ DataSourcePerson WRITE setDataSourcePerson NOTIFY DataSourcePersonChanged)
    Q_PROPERTY(QString DataSourceDates READ DataSourceDates WRITE setDataSourceDates NOTIFY DataSourceDatesChanged)
    Q_PROPERTY(QString Header READ Header WRITE setHeader NOTIFY HeaderChanged)
    Q_PROPERTY(QColor BackColor READ BackColor WRITE setBackColor NOTIFY BackColorChanged)
    Q_PROPERTY(QColor BackColorSel READ BackColorSel WRITE setBackColorSel NOTIFY BackColorSelChanged)
    Q_PROPERTY(QColor BackColorFixed READ BackColorFixed WRITE setBackColorFixed NOTIFY BackColorFixedChanged)
    Q_PROPERTY(QColor BackcolorPast READ BackcolorPast WRITE setBackcolorPast NOTIFY BackcolorPastChanged)
    Q_PROPERTY(agAnsicht View READ View WRITE setView NOTIFY ViewChanged)
    Q_PROPERTY(bool PublicHoliday READ PublicHoliday WRITE setPublicHoliday NOTIFY PublicHolidayChanged)
    Q_PROPERTY(QString Footnote READ Footnote WRITE setFootnote NOTIFY FootnoteChanged)
    Q_PROPERTY(bool AllowPrint READ AllowPrint WRITE setAllowPrint NOTIFY AllowPrintChanged)
    Q_PROPERTY(bool AllowEdit READ AllowEdit WRITE setAllowEdit NOTIFY AllowEditChanged)
    Q_PROPERTY(bool AllowChangeView READ AllowChangeView WRITE setAllowChangeView NOTIFY AllowChangeViewChanged)
    Q_PROPERTY(bool AllowScroll READ AllowScroll WRITE setAllowScroll NOTIFY AllowScrollChanged)
    // Views of the widget's font: Designer edits and stores it as font.
    Q_PROPERTY(QFont Font READ Font WRITE setFont NOTIFY FontChanged DESIGNABLE false STORED false)
    Q_PROPERTY(QString Fontname READ Fontname WRITE setFontname NOTIFY FontnameChanged DESIGNABLE false STORED false)
    Q_PROPERTY(int Fontsize READ Fontsize WRITE setFontsize NOTIFY FontsizeChanged DESIGNABLE false STORED false)

public:
    // agAnsicht: the sheet shows one week or one month. View keeps any value
    // from 1 to 5 (the buttons of the sheet toolbar); all but 2 show a week.
    // The fixed underlying type makes every int a value of the enum, so
    // those and a refused 7 pass through Qt's property system well-defined.
    enum agAnsicht : int { agWoche = 1, agMonat = 2 };
    Q_ENUM(agAnsicht)

    QDate DateValue() const;
    void setDateValue(const QDate& day);
    QString FieldSourcePersonID() const;
    void setFieldSourcePersonID(const QString& v);
    QString FieldSourcePerson() const;
    void setFieldSourcePerson(const QString& v);
    QString FieldDatesDateID() const;
    void setFieldDatesDateID(const QString& v);
    QString FieldDatesDate() const;
    void setFieldDatesDate(const QString& v);
    QString FieldDatesPerson() const;
    void setFieldDatesPerson(const QString& v);
    QString DataSourcePerson() const;
    void setDataSourcePerson(const QString& v);
    QString DataSourceDates() const;
    void setDataSourceDates(const QString& v);
    QString Header() const;
    void setHeader(const QString& v);
    QColor BackColor() const;
    void setBackColor(const QColor& v);
    QColor BackColorSel() const;
    void setBackColorSel(const QColor& v);
    QColor BackColorFixed() const;
    void setBackColorFixed(const QColor& v);
    QColor BackcolorPast() const;
    void setBackcolorPast(const QColor& v);
    agAnsicht View() const;
    // Rebuilds the sheet like the control's View, except before the first
    // sheet is built (a form being set up from its .ui file): then the view
    // is only kept, as a restored form keeps it, and the host's Refresh
    // builds it.
    void setView(agAnsicht v);
    bool PublicHoliday() const;
    void setPublicHoliday(bool v);
    QString Footnote() const;
    void setFootnote(const QString& v);
    bool AllowPrint() const;
    void setAllowPrint(bool v);
    bool AllowEdit() const;
    void setAllowEdit(bool v);
    bool AllowChangeView() const;
    void setAllowChangeView(bool v);
    bool AllowScroll() const;
    void setAllowScroll(bool v);
    QFont Font() const;
    QString Fontname() const;
    void setFontname(const QString& v);
    int Fontsize() const;
    // Sizes outside 1 to 32767 points are refused.
    void setFontsize(int points);

    // At design time (a form designer) the control shows the sheet of
    // DateValue over an empty database, asks for no property and rebuilds
    // the sheet after every property change.
    void SetDesignMode(bool designMode);
    bool DesignMode() const;
    // ----------------------------------------------------------------------

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

    // The child widgets, for the backend's own code and its tests.
    QtSurface& surface();
    // The container the control shows its message boxes through; a host that
    // runs without anybody to answer them sets an answerer there.
    QtContainer& container();
    // The day grid as the Qt view it is, for a host's own actions on it.
    QTableView* dayGrid();
    // Makes row (1 the first appointment) the day grid's current row, as a
    // click on it would.
    void SetDayGridRow(int row);
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
    // The sheets of every week or month (view as PrintSheet takes it) that
    // the days from ... to touch, as one print job: each page exactly the
    // page PrintSheet prints for its sheet. A failure on any page shows the
    // control's error box and sends nothing. On the control's printer (or
    // its print file), or on a printer the host has set up.
    bool PrintSheets(double from, double to, std::optional<std::int16_t> view = std::nullopt);
    bool PrintSheetsOn(QPrinter& printer, double from, double to, std::optional<std::int16_t> view = std::nullopt);

    // iCalendar (agendor_widget_ics.cpp) ---------------------------------
    // The host's settings of the exchange with other calendars.
    struct IcsOptions {
        QString timeZone = "Europe/Berlin";  // the zone of the database's wall clock
        int durationMinutes = 15;            // DURATION of each exported appointment
        QString categories, description;     // left out when empty
        int progressAbove = 300;             // more appointments show a progress dialog
    };
    IcsOptions& icsOptions() { return icsOptions_; }
    // What an export or import did, in German for the person; ok when the
    // file was written or read.
    struct IcsResult {
        bool ok = false;
        int appointments = 0;  // written, or taken by the host
        QString message;
    };
    // The appointments of the days from..to (both included) into an .ics file
    // at path, one VEVENT each. A stopped or failed export leaves the file as
    // it was. Nothing is shown; the host shows the message.
    IcsResult ExportIcs(const QDate& from, const QDate& to, const QString& path);
    // The appointment of the day grid's current row.
    IcsResult ExportIcsDayGridRow(const QString& path);
    // Reads an .ics file and raises dateNew once per appointment in start
    // order; the host stores or refuses each. Then reloads once. The message
    // tells how many were taken, refused and left out (and why), and where
    // the import stopped.
    IcsResult ImportIcs(const QString& path);
    // ----------------------------------------------------------------------

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

    // The NOTIFY signals of the Qt properties.
    void DateValueChanged();
    void FieldSourcePersonIDChanged();
    void FieldSourcePersonChanged();
    void FieldDatesDateIDChanged();
    void FieldDatesDateChanged();
    void FieldDatesPersonChanged();
    void DataSourcePersonChanged();
    void DataSourceDatesChanged();
    void HeaderChanged();
    void BackColorChanged();
    void BackColorSelChanged();
    void BackColorFixedChanged();
    void BackcolorPastChanged();
    void ViewChanged();
    void PublicHolidayChanged();
    void FootnoteChanged();
    void AllowPrintChanged();
    void AllowEditChanged();
    void AllowChangeViewChanged();
    void AllowScrollChanged();
    void FontChanged();
    void FontnameChanged();
    void FontsizeChanged();

protected:
    void resizeEvent(QResizeEvent* e) override;
    // A new font of the widget becomes the control's Font.
    void changeEvent(QEvent* e) override;

private:
    void ReloadAfterResize();
    bool PrintWith(std::function<std::unique_ptr<Printer>()> open, std::optional<std::int16_t> view,
                   std::optional<std::pair<double, double>> range = std::nullopt);
    // Qt properties: PropertyChanged to the NOTIFY signals, and the setters'
    // error box and design-time rebuild.
    void ConnectPropertySignals();
    void EmitPropertyNotify(const QString& name);
    template <class Assign>
    void AssignProperty(Assign assign);

private:
    struct Private;
    std::unique_ptr<Private> d_;
    IcsOptions icsOptions_;
};

} // namespace agendor::qt
