#include "agendor/core/grid_cells.h"

#include <algorithm>

namespace agendor {

namespace {

constexpr const char* kInvalidValue = "Ungültiger Eigenschaftswert";

std::size_t Index(int i) { return static_cast<std::size_t>(i); }

} // namespace

GridCells::GridCells(int rows, int cols) : cols_(cols), row_(rows > 1 ? 1 : 0) {
    if (rows < 1 || cols < 1) throw Error(kInvalidValue);
    cells_.assign(Index(rows), std::vector<GridCell>(Index(cols)));
    rowHeights_.assign(Index(rows), kDefaultRowHeight);
    colWidths_.assign(Index(cols), kDefaultColWidth);
}

GridCells::~GridCells() = default;

void GridCells::CheckRow(int row) const {
    if (row < 0 || row >= Rows()) throw Error("Ungültiger Zeilenwert");
}

void GridCells::CheckCol(int col) const {
    if (col < 0 || col >= cols_) throw Error("Ungültiger Spaltenwert");
}

const GridCell& GridCells::Cell(int row, int col) const {
    CheckRow(row);
    CheckCol(col);
    return cells_[Index(row)][Index(col)];
}

GridCell& GridCells::At(int row, int col) { return const_cast<GridCell&>(Cell(row, col)); }

void GridCells::MoveTo(int row, int col) {
    if (row == row_ && col == col_) return;
    const int oldRow = row_, oldCol = col_;
    row_ = row;
    col_ = col;
    CurrentMoved(oldRow, oldCol);
    if (events.EnterCell) events.EnterCell();
}

void GridCells::SetRows(int rows) {
    if (rows < 1) throw Error(kInvalidValue);
    const int old = Rows();
    if (rows == old) return;
    ResizeRows(old, rows, [&] {
        cells_.resize(Index(rows), std::vector<GridCell>(Index(cols_)));
        rowHeights_.resize(Index(rows), kDefaultRowHeight);
    });
    SizesChanged(std::min(old, rows), cols_);
    if (row_ >= rows) MoveTo(rows - 1, col_);
    LookChanged();
}

void GridCells::SetRow(int row) {
    CheckRow(row);
    MoveTo(row, col_);
}

void GridCells::SetCol(int col) {
    CheckCol(col);
    MoveTo(row_, col);
}

void GridCells::SetText(const std::string& text) { SetTextMatrix(row_, col_, text); }

void GridCells::SetTextMatrix(int row, int col, const std::string& text) {
    At(row, col).text = text;
    CellChanged(row, col);
}

void GridCells::SetCellAlignment(CellAlignment a) {
    At(row_, col_).alignment = a;
    CellChanged(row_, col_);
}

void GridCells::SetCellBackColor(Colour c) {
    At(row_, col_).back = c;
    CellChanged(row_, col_);
}

void GridCells::SetCellForeColor(Colour c) {
    At(row_, col_).fore = c;
    CellChanged(row_, col_);
}

void GridCells::SetCellFontBold(bool bold) {
    At(row_, col_).bold = bold;
    CellChanged(row_, col_);
}

void GridCells::SetBackColor(Colour c) {
    backColor_ = c;
    LookChanged();
}

void GridCells::SetBackColorSel(Colour c) {
    backColorSel_ = c;
    LookChanged();
}

void GridCells::SetBackColorFixed(Colour c) {
    backColorFixed_ = c;
    LookChanged();
}

void GridCells::SetFont(std::shared_ptr<Font> font) {
    font_ = std::move(font);
    FontChanged();
}

Twips GridCells::ColWidth(int col) const {
    CheckCol(col);
    return colWidths_[Index(col)];
}

void GridCells::SetColWidth(int col, Twips width) {
    CheckCol(col);
    if (width < 0) throw Error(kInvalidValue);
    colWidths_[Index(col)] = width;
    SizesChanged(Rows(), col);
}

Twips GridCells::RowHeight(int row) const {
    CheckRow(row);
    return rowHeights_[Index(row)];
}

void GridCells::SetRowHeight(int row, Twips height) {
    CheckRow(row);
    if (height < 0) throw Error(kInvalidValue);
    rowHeights_[Index(row)] = height;
    SizesChanged(row, cols_);
}

void GridCells::SetRowHeightMin(Twips height) {
    if (height < 0) throw Error(kInvalidValue);
    rowHeightMin_ = height;
    SizesChanged(0, cols_);
}

Twips GridCells::EffectiveRowHeight(int row) const { return std::max(RowHeight(row), rowHeightMin_); }

Twips GridCells::RowsAbove(int row) const {
    CheckRow(row);
    Twips top = 0;
    for (int r = 0; r < row; ++r) top += std::max(rowHeights_[Index(r)], rowHeightMin_);
    return top;
}

Twips GridCells::ColsLeftOf(int col) const {
    CheckCol(col);
    Twips left = 0;
    for (int c = 0; c < col; ++c) left += colWidths_[Index(c)];
    return left;
}

void GridCells::SetRedraw(bool redraw) {
    if (redraw == redraw_) return;
    redraw_ = redraw;
    RedrawChanged();
}

void GridCells::AddItem(const std::string& text) {
    const int old = Rows();
    ResizeRows(old, old + 1, [&] {
        cells_.emplace_back(Index(cols_));
        cells_.back()[0].text = text;
        rowHeights_.push_back(kDefaultRowHeight);
    });
    SizesChanged(old, cols_);
    LookChanged();
}

void GridCells::Clear() {
    for (auto& row : cells_) std::fill(row.begin(), row.end(), GridCell{});
    LookChanged();
}

Colour GridCells::CellBackColor(int row, int col) const {
    return Cell(row, col).back.value_or(row == 0 ? backColorFixed_ : backColor_);
}

void GridCells::UserPress(int button, int row, int col) {
    doubleClick_ = false;
    pressed_ = button;
    if (button == 1 && row >= 1) MoveTo(row, col);
}

void GridCells::UserPressOff() {
    doubleClick_ = false;
    pressed_ = 0;
}

void GridCells::UserDoublePress(int button) {
    pressed_ = button;
    doubleClick_ = true;
    if (button == 1 && events.DblClick) events.DblClick();
}

void GridCells::UserRelease(int button, int shift, Twips x, Twips y) {
    const bool click = pressed_ == button && !doubleClick_;
    pressed_ = 0;
    doubleClick_ = false;
    if (button == 0) return;
    const std::weak_ptr<char> alive = life_;
    if (events.MouseUp) events.MouseUp(button, shift, x, y);
    if (alive.expired()) return;
    if (click && button != 4 && events.Click) events.Click();
}

std::optional<int> GridCells::UserKey(int keyCode, int shift, int character) {
    const std::weak_ptr<char> alive = life_;
    if (keyCode != 0 && events.KeyDown) {
        events.KeyDown(keyCode, shift);
        if (alive.expired() || keyCode == 0) return std::nullopt;
    }
    if (character != 0 && events.KeyPress) {
        events.KeyPress(character);
        if (alive.expired()) return std::nullopt;
    }
    return character;
}

std::pair<int, int> GridCells::ArrowTarget(int dRow, int dCol) const {
    int row = row_;
    if (Rows() >= 2) row = std::clamp(row_ + dRow, 1, Rows() - 1);
    int col = col_;
    const int step = dCol > 0 ? 1 : -1;
    for (int left = dCol > 0 ? dCol : -dCol; left > 0; --left) {
        int next = col + step;
        while (next >= 0 && next < cols_ && colWidths_[Index(next)] == 0) next += step;
        if (next < 0 || next >= cols_) break;
        col = next;
    }
    return {row, col};
}

} // namespace agendor
