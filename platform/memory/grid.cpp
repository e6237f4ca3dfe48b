#include "agendor/platform/memory/grid.h"

#include "agendor/platform/memory/utf8.h"

#include <algorithm>
#include <stdexcept>

#include "agendor/platform/memory/font.h"

namespace agendor::memory {

MemoryGrid::MemoryGrid(std::shared_ptr<WidgetContext> context, std::string name, Placement placement, bool visible,
                       int rows, int cols)
    : MemoryWidget(std::move(context), std::move(name), placement, visible), cols_(cols), row_(rows > 1 ? 1 : 0) {
    if (rows < 1 || cols < 1) throw Error(kInvalidPropertyValue);
    SetTabStop(true);
    cells_.assign(static_cast<std::size_t>(rows), std::vector<Cell>(static_cast<std::size_t>(cols)));
    rowHeights_.assign(static_cast<std::size_t>(rows), kDefaultRowHeight);
    colWidths_.assign(static_cast<std::size_t>(cols), kDefaultColWidth);
}

void MemoryGrid::CheckRow(int row) const {
    if (row < 0 || row >= Rows()) throw Error("Ungültiger Zeilenwert");
}

void MemoryGrid::CheckCol(int col) const {
    if (col < 0 || col >= cols_) throw Error("Ungültiger Spaltenwert");
}

const MemoryGrid::Cell& MemoryGrid::At(int row, int col) const {
    CheckRow(row);
    CheckCol(col);
    return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

MemoryGrid::Cell& MemoryGrid::At(int row, int col) {
    return const_cast<Cell&>(static_cast<const MemoryGrid&>(*this).At(row, col));
}

void MemoryGrid::RaiseEnterCell() {
    ++enterCells_;
    if (events.EnterCell) events.EnterCell();
}

void MemoryGrid::MoveTo(int row, int col) {
    if (row == row_ && col == col_) return;
    row_ = row;
    col_ = col;
    RaiseEnterCell();
}

void MemoryGrid::SetRows(int rows) {
    if (rows < 1) throw Error(kInvalidPropertyValue);
    const auto count = static_cast<std::size_t>(rows);
    cells_.resize(count, std::vector<Cell>(static_cast<std::size_t>(cols_)));
    rowHeights_.resize(count, kDefaultRowHeight);
    if (row_ >= rows) MoveTo(rows - 1, col_);
}

void MemoryGrid::SetRow(int row) {
    CheckRow(row);
    MoveTo(row, col_);
}

void MemoryGrid::SetCol(int col) {
    CheckCol(col);
    MoveTo(row_, col);
}

std::string MemoryGrid::TextMatrix(int row, int col) const { return At(row, col).text; }

void MemoryGrid::SetTextMatrix(int row, int col, const std::string& text) { At(row, col).text = text; }

Twips MemoryGrid::ColWidth(int col) const {
    CheckCol(col);
    return colWidths_[static_cast<std::size_t>(col)];
}

void MemoryGrid::SetColWidth(int col, Twips width) {
    CheckCol(col);
    if (width < 0) throw Error(kInvalidPropertyValue);
    colWidths_[static_cast<std::size_t>(col)] = width;
}

Twips MemoryGrid::RowHeight(int row) const {
    CheckRow(row);
    return rowHeights_[static_cast<std::size_t>(row)];
}

void MemoryGrid::SetRowHeight(int row, Twips height) {
    CheckRow(row);
    if (height < 0) throw Error(kInvalidPropertyValue);
    rowHeights_[static_cast<std::size_t>(row)] = height;
}

void MemoryGrid::SetRowHeightMin(Twips height) {
    if (height < 0) throw Error(kInvalidPropertyValue);
    rowHeightMin_ = height;
}

Twips MemoryGrid::RowPos(int row) const {
    CheckRow(row);
    Twips top = 0;
    for (int r = 0; r < row; ++r) top += std::max(rowHeights_[static_cast<std::size_t>(r)], rowHeightMin_);
    return top;
}

Twips MemoryGrid::ColPos(int col) const {
    CheckCol(col);
    Twips left = 0;
    for (int c = 0; c < col; ++c) left += colWidths_[static_cast<std::size_t>(c)];
    return left;
}

Twips MemoryGrid::CentreY(int row) const {
    return RowPos(row) + std::max(RowHeight(row), rowHeightMin_) / 2;
}

void MemoryGrid::SetRedraw(bool redraw) {
    if (redraw != redraw_) ++redrawToggles_;
    redraw_ = redraw;
}

void MemoryGrid::AddItem(const std::string& text) {
    cells_.emplace_back(static_cast<std::size_t>(cols_));
    cells_.back()[0].text = text;
    rowHeights_.push_back(kDefaultRowHeight);
}

void MemoryGrid::Clear() {
    for (auto& row : cells_) std::fill(row.begin(), row.end(), Cell{});
}

Colour MemoryGrid::CellBackColor(int row, int col) const {
    const Cell& cell = At(row, col);
    return cell.back.value_or(row == 0 ? backColorFixed_ : backColor_);
}

Colour MemoryGrid::CellForeColor(int row, int col) const { return At(row, col).fore.value_or(0); }

agendor::CellAlignment MemoryGrid::CellAlignment(int row, int col) const { return At(row, col).alignment; }

bool MemoryGrid::CellBold(int row, int col) const { return At(row, col).bold; }

void MemoryGrid::RaiseMouseUp(int button, Twips x, Twips y) {
    if (events.MouseUp) events.MouseUp(button, 0, x, y);
}

bool MemoryGrid::UserClickCell(int row, int col) {
    CheckRow(row);
    CheckCol(col);
    RequireShown("UserClickCell");
    if (!TakeFocus()) return false;
    if (row >= 1) MoveTo(row, col);
    RaiseMouseUp(1, CentreX(col), CentreY(row));
    if (events.Click) events.Click();
    Context().ProcessEvents();
    return true;
}

bool MemoryGrid::UserDblClickCell(int row, int col) {
    if (!UserClickCell(row, col)) return false;
    if (events.DblClick) events.DblClick();
    RaiseMouseUp(1, CentreX(col), CentreY(row));
    Context().ProcessEvents();
    return true;
}

bool MemoryGrid::UserRightClick(Twips x, Twips y) {
    RequireShown("UserRightClick");
    if (!TakeFocus()) return false;
    RaiseMouseUp(2, x, y);
    Context().ProcessEvents();
    return true;
}

void MemoryGrid::UserKeyPress(int keyAscii) {
    RequireShown("UserKeyPress");
    if (events.KeyPress) events.KeyPress(keyAscii);
    Context().ProcessEvents();
}

bool MemoryGrid::UserKeyDown(int keyCode, int shift) {
    RequireShown("UserKeyDown");
    if (events.KeyDown) events.KeyDown(keyCode, shift);
    Context().ProcessEvents();
    if (keyCode == 0) return false;
    if (keyCode == 13 || keyCode == 27) UserKeyPress(keyCode);
    return true;
}

void MemoryGrid::UserArrow(int dRow, int dCol) {
    RequireShown("UserArrow");
    int row = row_;
    if (Rows() >= 2) row = std::clamp(row_ + dRow, 1, Rows() - 1);
    int col = col_;
    const int step = dCol > 0 ? 1 : -1;
    for (int left = dCol > 0 ? dCol : -dCol; left > 0; --left) {
        int next = col + step;
        while (next >= 0 && next < cols_ && colWidths_[static_cast<std::size_t>(next)] == 0) next += step;
        if (next < 0 || next >= cols_) break;
        col = next;
    }
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
