#include "agendor/platform/qt/qt_surface.h"

#include "agendor/platform/surface.h"
#include "agendor/platform/qt/qt_font.h"
#include "agendor/platform/qt/qt_printer.h"

namespace agendor::qt {

namespace {


template <class W>
W* Named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

std::shared_ptr<Font> DesignFont(const char* name, double points, bool bold) {
    return std::make_shared<QtFont>(name, points, bold);
}

QtSurface::QtSurface(QWidget* p, const Clock* clock)
    : parent(p), container(p), metrics(p), clock_(clock ? clock : &systemClock_) {
    // Creation order is the stacking order: later siblings lie in front.
    Frame1 = Named(new QtFrame(parent), "Frame1");
    Frame1->Place(15, -105, 4050, 555);
    Toolbar2 = Named(new QtToolbar(Frame1, SheetButtons()), "Toolbar2");
    Toolbar2->Place(45, 150, 1755, 330);
    lblMonat = Named(new QtLabel(Frame1), "lblMonat");
    lblMonat->Place(1800, 180, 2280, 315);
    lblMonat->SetCaption("Monat Jahr");
    lblMonat->setFont(ToQFont(*DesignFont("MS Sans Serif", 9.75, true)));

    Grid = Named(new QtFlexGrid(7, 7, parent), "Grid");
    Grid->Place(120, 600, 4635, 6135);
    Grid->SetFont(DesignFont("Arial", 8.25));

    GridZoom = Named(new QtFlexGrid(2, 4, parent), "GridZoom");
    GridZoom->Place(4920, 1440, 3000, 2655);
    GridZoom->SetFont(DesignFont("Arial", 8.25));
    // The day grid lies over the sheet; a line around it keeps the two apart.
    GridZoom->setFrameShape(QFrame::Box);
    GridZoom->setLineWidth(1);
    GridZoom->hide();

    Toolbar1 = Named(new QtToolbar(parent, DayGridButtons()), "Toolbar1");
    Toolbar1->Place(4920, 1080, 3255, 330);
    Toolbar1->setAutoFillBackground(true);
    Toolbar1->hide();

    txtToolbarTag = Named(new QtTextBox(parent), "txtToolbarTag");
    txtToolbarTag->Place(6180, 1140, 1515, 195);
    txtToolbarTag->SetText("Montag, 11.11.00");
    txtToolbarTag->SetToolTip("Gewählter Tag");
    txtToolbarTag->setFont(ToQFont(*DesignFont("MS Sans Serif", 8.25, true)));
    txtToolbarTag->hide();

    txtClock = Named(new QtMaskedEdit(parent), "txtClock");
    txtClock->Place(5400, 3480, 1335, 375);
    txtClock->SetMask("##:##");
    txtClock->SetFormat("hh:mm");
    txtClock->SetPromptChar('_');
    txtClock->setFont(ToQFont(*DesignFont("Arial", 8.25)));
    // Centred like the time in the cell it lies over.
    txtClock->setAlignment(Qt::AlignCenter);
    txtClock->hide();

    cboPerson = Named(new QtComboBox(parent), "cboPerson");
    cboPerson->Place(6000, 1680, 1815, 315);
    cboPerson->setFont(ToQFont(*DesignFont("MS Sans Serif", 8.25)));
    cboPerson->hide();

    btnVorlage = std::make_unique<QtMarkerArray>(parent, 4200, 300, 210, 195);
    Kontextmenu = std::make_unique<QtPopupMenu>(parent, ContextItems());
    Timer1 = std::make_unique<QtTimer>(100);
}

QtSurface::~QtSurface() = default;

Surface QtSurface::surface() {
    Surface s;
    s.Grid = Grid;
    s.GridZoom = GridZoom;
    s.Toolbar1 = Toolbar1;
    s.Toolbar2 = Toolbar2;
    s.txtToolbarTag = txtToolbarTag;
    s.txtClock = txtClock;
    s.cboPerson = cboPerson;
    s.lblMonat = lblMonat;
    s.Frame1 = Frame1;
    s.btnVorlage = btnVorlage.get();
    s.Kontextmenu = Kontextmenu.get();
    s.Timer1 = Timer1.get();
    s.container = &container;
    s.metrics = &metrics;
    s.clock = clock_;
    s.locale = &locale;
    s.SetSurfaceFont = [this](std::shared_ptr<Font> font) {
        if (font) parent->setFont(ToQFont(*font));
    };
    s.OpenPrinter = [this]() -> std::unique_ptr<Printer> {
        if (printerFactory_) return printerFactory_();
        if (!printFile_.isEmpty()) return QtPrinter::ToPdf(printFile_);
        return QtPrinter::DefaultPrinter();
    };
    return s;
}

} // namespace agendor::qt
