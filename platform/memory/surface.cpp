#include "agendor/platform/memory/surface.h"

#include "agendor/platform/surface.h"

namespace agendor::memory {

MemorySurface::MemorySurface(DateTime now)
    : context(std::make_shared<WidgetContext>()),
      Frame1(context, "Frame1", {15, -105, 4050, 555}, true),
      Toolbar2(context, "Toolbar2", {45, 150, 1755, 330}, true, SheetButtons(), &Frame1),
      lblMonat(context, "lblMonat", {1800, 180, 2280, 315}, true, "Monat Jahr", &Frame1),
      Grid(context, "Grid", {120, 600, 4635, 6135}, true, 7, 7),
      GridZoom(context, "GridZoom", {4920, 1440, 3000, 2655}, false, 2, 4),
      Toolbar1(context, "Toolbar1", {4920, 1080, 3255, 330}, false, DayGridButtons()),
      txtToolbarTag(context, "txtToolbarTag", {6180, 1140, 1515, 195}, false, "Montag, 11.11.00", "Gewählter Tag"),
      txtClock(context, "txtClock", {5400, 3480, 1335, 375}, false),
      cboPerson(context, "cboPerson", {6000, 1680, 1815, 315}, false),
      btnVorlage(context, "btnVorlage", {4200, 300, 210, 195}),
      Kontextmenu(ContextItems()),
      Timer1(100, false, context),
      clock(now) {
    txtClock.SetMask("##:##");
    txtClock.SetFormat("hh:mm");
    txtClock.SetPromptChar('_');
    auto loop = [shared = context] { shared->ProcessEvents(); };
    container.SetModalLoop(loop);
    Kontextmenu.SetModalLoop(loop);
}

Surface MemorySurface::surface() {
    Surface s;
    s.Grid = &Grid;
    s.GridZoom = &GridZoom;
    s.Toolbar1 = &Toolbar1;
    s.Toolbar2 = &Toolbar2;
    s.txtToolbarTag = &txtToolbarTag;
    s.txtClock = &txtClock;
    s.cboPerson = &cboPerson;
    s.lblMonat = &lblMonat;
    s.Frame1 = &Frame1;
    s.btnVorlage = &btnVorlage;
    s.Kontextmenu = &Kontextmenu;
    s.Timer1 = &Timer1;
    s.container = &container;
    s.metrics = &metrics;
    s.clock = &clock;
    s.locale = &locale;
    s.SetSurfaceFont = [this](std::shared_ptr<Font> font) {
        surfaceFont_ = std::move(font);
        ++surfaceFontChanges_;
    };
    if (!noPrinter_) {
        s.OpenPrinter = [this]() -> std::unique_ptr<Printer> {
            if (printerFailure_) throw Error(*printerFailure_);
            return std::make_unique<MemoryPrinter>(printerLog_);
        };
    }
    return s;
}

} // namespace agendor::memory
