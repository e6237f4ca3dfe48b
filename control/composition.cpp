#include "agendor/platform/surface.h"

namespace agendor {

std::vector<ToolbarButton> DayGridButtons() {
    std::vector<ToolbarButton> buttons(3);
    const char* tips[] = {"Termin löschen", "Termin hinzufügen", "Termin speichern"};
    const int images[] = {1, 2, 8};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        buttons[i].toolTip = tips[i];
        buttons[i].image = images[i];
    }
    return buttons;
}

std::vector<ToolbarButton> SheetButtons() {
    std::vector<ToolbarButton> buttons(5);
    // The trailing blank of the first tip is as designed.
    const char* tips[] = {"Wochenansicht ", "Monatsansicht", "Zurück", "Vor", "Drucken"};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        buttons[i].toolTip = tips[i];
        buttons[i].image = static_cast<int>(i) + 3;
        buttons[i].grouped = i < 2;
    }
    return buttons;
}

std::vector<MenuItem> ContextItems() {
    std::vector<MenuItem> items;
    for (const char* caption : {"Vor", "Zurück", "-", "Wochenansicht", "-", "Bearbeiten", "Drucken"})
        items.push_back({caption, true});
    return items;
}

} // namespace agendor
