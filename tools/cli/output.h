#pragma once
// What agendor-cli prints of the control: the sheet grid as text lines, the
// markers and the day grid, all read back from the in-memory widgets.
#include <string>

#include "agendor/platform/memory/surface.h"

namespace agendor::cli {

// A cell text on one output line: CR and LF become the two characters
// "\n" and a TAB the two characters "\t", so that TABs separate cells only.
std::string EscapeCell(const std::string& text);

// A colour 0x00BBGGRR as six hex digits, red first ("FF0000" is red).
std::string ColourHex(Colour colour);

// lblMonat's text, then one line per row of Grid from 0 to Rows - 1 with the
// cells separated by TAB; with colours each cell followed by
// " {back=RRGGBB fore=RRGGBB}".
std::string SheetLines(const memory::MemorySurface& ui, bool colours);

// One line "marker<TAB>row<TAB>col<TAB>tag" per loaded marker, in element
// order; row and column are those of the sheet cell the marker sits in.
std::string MarkerLines(const memory::MemorySurface& ui);

// The day grid's title (txtToolbarTag), then one line per row of GridZoom
// from 0 to Rows - 1 with every column, hidden ones included, separated by TAB.
std::string DayGridLines(const memory::MemorySurface& ui);

} // namespace agendor::cli
