#pragma once
// The flex grid in memory: the shared cells and event rules (GridCells)
// with deterministic metrics and the user's actions for tests. RowPos and
// ColPos sum the twips sizes from the grid's top left corner, a row never
// lower than RowHeightMin.
#include <memory>
#include <string>
#include <vector>

#include "agendor/platform/surface.h"
#include "agendor/platform/memory/widgets.h"

namespace agendor::memory {

class MemoryGrid final : public GridCells, public MemoryWidget {
public:
    // rows >= 1 (row 0 fixed), cols >= 1.
    MemoryGrid(std::shared_ptr<WidgetContext> context, std::string name, Placement placement, bool visible, int rows,
               int cols);

    Twips RowPos(int row) const override { return RowsAbove(row); }
    Twips ColPos(int col) const override { return ColsLeftOf(col); }

    // For tests. The text of cell (row, col) split into its lines (at CR).
    std::vector<std::string> CellLines(int row, int col) const;
    agendor::CellAlignment CellAlignment(int row, int col) const { return CellAlignmentAt(row, col); }

    // The user's actions, each followed by the delivery of what it posted.
    // A click first takes the focus (false, and nothing else happens, when
    // Validate of the focused widget refuses); then the press and release
    // at the cell's centre.
    bool UserClickCell(int row, int col);
    // The click, then the second press and its release.
    bool UserDblClickCell(int row, int col);
    // Focus, then a right press and release at (x, y); the current cell stays.
    bool UserRightClick(Twips x, Twips y);
    // KeyPress with the code; the grid itself does nothing with it.
    void UserKeyPress(int keyAscii);
    // KeyDown with the virtual key code and shift state; then, unless the
    // handler took it, KeyPress for Enter, Esc, letters and digits typed
    // without Ctrl or Alt. False when it was taken.
    bool UserKeyDown(int keyCode, int shift);
    // Arrow keys: moves by rows and columns within the data rows.
    void UserArrow(int dRow, int dCol);
    // The focus leaves the grid for no other widget.
    void UserLeave();

    void OnLostFocus() override {
        if (events.LostFocus) events.LostFocus();
    }

private:
    Twips CentreX(int col) const { return ColPos(col) + ColWidth(col) / 2; }
    Twips CentreY(int row) const { return RowPos(row) + EffectiveRowHeight(row) / 2; }
};

} // namespace agendor::memory
