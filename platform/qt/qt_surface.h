#pragma once
// The control's child widgets on a Qt parent, composed as designed (kinds,
// nesting, positions in twips, texts, fonts, start visibility), and the
// services around them. surface() hands the control pointers to them; the
// QtSurface must outlive the control.
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

#include "agendor/platform/surface.h"
#include "agendor/core/locale.h"
#include "agendor/platform/qt/qt_flex_grid.h"
#include "agendor/platform/qt/qt_host.h"
#include "agendor/platform/qt/qt_markers.h"
#include "agendor/platform/qt/qt_widgets.h"

namespace agendor::qt {

class QtSurface {
public:
    // clock: today's date for the control; nullptr is the system's clock.
    explicit QtSurface(QWidget* parent, const Clock* clock = nullptr);
    QtSurface(const QtSurface&) = delete;
    QtSurface& operator=(const QtSurface&) = delete;
    ~QtSurface();

    Surface surface();

    // The printer the control opens: a PDF file when set, else the system's
    // default printer.
    void SetPrintFile(const QString& pdfFile) { printFile_ = pdfFile; }
    const QString& PrintFile() const { return printFile_; }
    // Replaces the printer entirely (tests).
    void SetPrinterFactory(std::function<std::unique_ptr<Printer>()> factory) { printerFactory_ = std::move(factory); }

    QWidget* parent;
    QtFrame* Frame1;
    QtToolbar* Toolbar2;  // inside Frame1
    QtLabel* lblMonat;    // inside Frame1
    QtFlexGrid* Grid;
    QtFlexGrid* GridZoom;
    QtToolbar* Toolbar1;
    QtTextBox* txtToolbarTag;
    QtMaskedEdit* txtClock;
    QtComboBox* cboPerson;
    std::unique_ptr<QtMarkerArray> btnVorlage;
    std::unique_ptr<QtPopupMenu> Kontextmenu;
    std::unique_ptr<QtTimer> Timer1;

    QtContainer container;
    QtTextMetrics metrics;
    GermanLocale locale;

private:
    SystemClock systemClock_;
    const Clock* clock_;
    QString printFile_;
    std::function<std::unique_ptr<Printer>()> printerFactory_;
};

// The design fonts: the font names are the control's own; InstalledFamily
// picks what shows them here.
std::shared_ptr<Font> DesignFont(const char* name, double points, bool bold = false);

} // namespace agendor::qt
