#pragma once
// The control's surface in memory: one of each child widget, placed and
// shown as designed, and the services around them. surface() hands the
// control pointers to them; the MemorySurface must outlive the control.
//
// Message boxes and the context menu are modal: while one is open the
// posted widget notifications are delivered, as the host's message loop
// would (MemoryContainer::SetModalLoop / MemoryPopupMenu::SetModalLoop with
// nullptr turns that off).
#include <memory>
#include <optional>
#include <string>

#include "agendor/platform/surface.h"
#include "agendor/platform/memory/clock.h"
#include "agendor/platform/memory/grid.h"
#include "agendor/platform/memory/host.h"
#include "agendor/platform/memory/printer.h"
#include "agendor/platform/memory/widgets.h"

namespace agendor::memory {

// 14 Nov 2001, a Wednesday, 10:00 (days since 30 Dec 1899).
inline constexpr DateTime kDefaultNow = 37209.0 + 10.0 / 24.0;

class MemorySurface {
public:
    explicit MemorySurface(DateTime now = kDefaultNow);
    MemorySurface(const MemorySurface&) = delete;
    MemorySurface& operator=(const MemorySurface&) = delete;

    Surface surface();

    // Delivers the posted widget notifications (the message loop going idle).
    void ProcessEvents() { context->ProcessEvents(); }
    MemoryWidget* Focused() const { return context->Focused(); }

    // The font last given to the control's own surface, and how often.
    std::shared_ptr<Font> SurfaceFont() const { return surfaceFont_; }
    int SurfaceFontChanges() const { return surfaceFontChanges_; }

    // Every printer opened by the control writes into this log.
    std::shared_ptr<PrinterLog> PrinterOutput() const { return printerLog_; }
    // The next printer opened raises Error(description) instead; nullopt
    // restores the printer.
    void SetPrinterFailure(std::optional<std::string> description) { printerFailure_ = std::move(description); }
    // surface() offers no printer at all (an empty OpenPrinter).
    void SetNoPrinter(bool noPrinter) { noPrinter_ = noPrinter; }

    std::shared_ptr<WidgetContext> context;

    MemoryFrame Frame1;
    MemoryToolbar Toolbar2;  // inside Frame1
    MemoryLabel lblMonat;    // inside Frame1
    MemoryGrid Grid;
    MemoryGrid GridZoom;
    MemoryToolbar Toolbar1;
    MemoryTextBox txtToolbarTag;
    MemoryMaskedEdit txtClock;
    MemoryComboBox cboPerson;
    MemoryMarkerArray btnVorlage;
    MemoryPopupMenu Kontextmenu;
    MemoryTimer Timer1;

    MemoryContainer container;
    FixedTextMetrics metrics;
    FixedClock clock;
    GermanLocale locale;

private:
    std::shared_ptr<Font> surfaceFont_;
    int surfaceFontChanges_ = 0;
    std::shared_ptr<PrinterLog> printerLog_ = std::make_shared<PrinterLog>();
    std::optional<std::string> printerFailure_;
    bool noPrinter_ = false;
};

} // namespace agendor::memory
