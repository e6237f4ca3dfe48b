#include "tools/cli/output.h"

#include <cstdio>

namespace agendor::cli {

namespace {

std::string RowLine(const memory::MemoryGrid& grid, int row, bool colours) {
    std::string line;
    for (int col = 0; col < grid.Cols(); ++col) {
        if (col > 0) line += '\t';
        line += EscapeCell(grid.TextMatrix(row, col));
        if (colours) {
            line += " {back=" + ColourHex(grid.CellBackColor(row, col)) + " fore=" +
                    ColourHex(grid.CellForeColor(row, col)) + "}";
        }
    }
    return line + '\n';
}

// The last row (column) whose top (left) edge lies at or before position,
// twips relative to the grid.
int RowAt(const memory::MemoryGrid& grid, Twips y) {
    int row = 0;
    for (int r = 1; r < grid.Rows(); ++r) {
        if (grid.RowPos(r) <= y) row = r;
    }
    return row;
}

int ColAt(const memory::MemoryGrid& grid, Twips x) {
    int col = 0;
    for (int c = 1; c < grid.Cols(); ++c) {
        if (grid.ColPos(c) <= x) col = c;
    }
    return col;
}

} // namespace

std::string EscapeCell(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\r' || c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else out += c;
    }
    return out;
}

std::string ColourHex(Colour colour) {
    char hex[7];
    std::snprintf(hex, sizeof hex, "%02X%02X%02X", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    return hex;
}

std::string SheetLines(const memory::MemorySurface& ui, bool colours) {
    std::string out = EscapeCell(ui.lblMonat.Caption()) + '\n';
    for (int row = 0; row < ui.Grid.Rows(); ++row) out += RowLine(ui.Grid, row, colours);
    return out;
}

std::string MarkerLines(const memory::MemorySurface& ui) {
    std::string out;
    const memory::MemoryMarkerArray& markers = ui.btnVorlage;
    for (int index = 1; index < markers.Count(); ++index) {
        if (!markers.IsLoaded(index)) continue;
        const memory::MemoryWidget& marker = markers.Memory(index);
        const int row = RowAt(ui.Grid, marker.Top() - ui.Grid.Top());
        const int col = ColAt(ui.Grid, marker.Left() - ui.Grid.Left());
        out += "marker\t" + std::to_string(row) + '\t' + std::to_string(col) + '\t' +
               EscapeCell(markers.Tag(index)) + '\n';
    }
    return out;
}

std::string DayGridLines(const memory::MemorySurface& ui) {
    std::string out = EscapeCell(ui.txtToolbarTag.Text()) + '\n';
    for (int row = 0; row < ui.GridZoom.Rows(); ++row) out += RowLine(ui.GridZoom, row, false);
    return out;
}

} // namespace agendor::cli
