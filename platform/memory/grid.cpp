#include "agendor/platform/memory/grid.h"

#include "agendor/platform/memory/utf8.h"

namespace agendor::memory {

namespace {

// The character a key gives, as on a desktop keyboard: Enter, Esc, and the
// letters and digits unless Ctrl or Alt is down (1 Shift, 2 Ctrl, 4 Alt).
int CharacterOf(int keyCode, int shift) {
    if (keyCode == 13 || keyCode == 27) return keyCode;
    if ((shift & 6) != 0) return 0;
    if (keyCode >= '0' && keyCode <= '9') return keyCode;
    if (keyCode >= 'A' && keyCode <= 'Z') return (shift & 1) != 0 ? keyCode : keyCode - 'A' + 'a';
    return 0;
}

} // namespace

MemoryGrid::MemoryGrid(std::shared_ptr<WidgetContext> context, std::string name, Placement placement, bool visible,
                       int rows, int cols)
    : GridCells(rows, cols), MemoryWidget(std::move(context), std::move(name), placement, visible) {
    SetTabStop(true);
}

bool MemoryGrid::UserClickCell(int row, int col) {
    const Twips y = CentreY(row), x = CentreX(col);  // raise for a cell outside the table
    RequireShown("UserClickCell");
    if (!TakeFocus()) return false;
    UserPress(1, row, col);
    UserRelease(1, 0, x, y);
    Context().ProcessEvents();
    return true;
}

bool MemoryGrid::UserDblClickCell(int row, int col) {
    if (!UserClickCell(row, col)) return false;
    UserDoublePress(1);
    UserRelease(1, 0, CentreX(col), CentreY(row));
    Context().ProcessEvents();
    return true;
}

bool MemoryGrid::UserRightClick(Twips x, Twips y) {
    RequireShown("UserRightClick");
    if (!TakeFocus()) return false;
    UserPress(2, -1, -1);
    UserRelease(2, 0, x, y);
    Context().ProcessEvents();
    return true;
}

void MemoryGrid::UserKeyPress(int keyAscii) {
    RequireShown("UserKeyPress");
    UserKey(0, 0, keyAscii);
    Context().ProcessEvents();
}

bool MemoryGrid::UserKeyDown(int keyCode, int shift) {
    RequireShown("UserKeyDown");
    const bool taken = !UserKey(keyCode, shift, CharacterOf(keyCode, shift));
    Context().ProcessEvents();
    return !taken;
}

void MemoryGrid::UserArrow(int dRow, int dCol) {
    RequireShown("UserArrow");
    const auto [row, col] = ArrowTarget(dRow, dCol);
    MoveTo(row, col);
    Context().ProcessEvents();
}

void MemoryGrid::UserLeave() {
    if (HasFocus()) Context().PostFocus(nullptr);
    Context().ProcessEvents();
}

std::vector<std::string> MemoryGrid::CellLines(int row, int col) const {
    const std::string text = TextMatrix(row, col);  // the lines are views into it
    std::vector<std::string> lines;
    for (std::string_view line : utf8::Lines(text)) lines.emplace_back(line);
    return lines;
}

} // namespace agendor::memory
