#pragma once
// The flex grid in memory. Row heights and column widths are twips; a row
// never counts lower than RowHeightMin where positions are summed (RowPos),
// while RowHeight returns the height as set.
//
// Current cell: SetRow and SetCol raise EnterCell from inside the call, and
// only when the cell really moves; a row count that cuts off the current row
// moves it to the last row and raises EnterCell too. Code may make the fixed
// row 0 current; the user simulation never does: a click on a header cell
// leaves the current cell alone, and the arrow keys keep to rows 1 ...
// Rows - 1 and skip hidden (zero-width) columns.
//
// Clear empties the text and resets the formatting of every cell, as a
// desktop flex grid does. Cells report their effective colours: a cell
// never coloured shows the grid's BackColor (BackColorFixed in row 0) and
// black text.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "agendor/platform/grid.h"
#include "agendor/platform/memory/widgets.h"

namespace agendor::memory {

class MemoryGrid final : public FlexGrid, public MemoryWidget {
public:
    static constexpr Twips kDefaultRowHeight = 240;
    static constexpr Twips kDefaultColWidth = 960;

    // rows >= 1 (row 0 fixed), cols >= 1. The current cell starts at row 1
    // (row 0 when there is no other), column 0.
    MemoryGrid(std::shared_ptr<WidgetContext> context, std::string name, Placement placement, bool visible, int rows,
               int cols);

    int Rows() const override { return static_cast<int>(cells_.size()); }
    void SetRows(int rows) override;
    int Cols() const override { return cols_; }

    int Row() const override { return row_; }
    int Col() const override { return col_; }
    // Raise Error "Ungültiger Zeilenwert" / "Ungültiger Spaltenwert".
    void SetRow(int row) override;
    void SetCol(int col) override;

    std::string Text() const override { return At(row_, col_).text; }
    void SetText(const std::string& text) override { At(row_, col_).text = text; }
    std::string TextMatrix(int row, int col) const override;
    void SetTextMatrix(int row, int col, const std::string& text) override;

    void SetCellAlignment(agendor::CellAlignment a) override { At(row_, col_).alignment = a; }
    void SetCellBackColor(Colour c) override { At(row_, col_).back = c; }
    void SetCellForeColor(Colour c) override { At(row_, col_).fore = c; }
    void SetCellFontBold(bool bold) override { At(row_, col_).bold = bold; }

    void SetBackColor(Colour c) override { backColor_ = c; }
    void SetBackColorSel(Colour c) override { backColorSel_ = c; }
    void SetBackColorFixed(Colour c) override { backColorFixed_ = c; }
    void SetFont(std::shared_ptr<Font> font) override { font_ = std::move(font); }

    Twips ColWidth(int col) const override;
    void SetColWidth(int col, Twips width) override;
    Twips RowHeight(int row) const override;
    // Raises Error for a negative height.
    void SetRowHeight(int row, Twips height) override;
    void SetRowHeightMin(Twips height) override;
    Twips RowPos(int row) const override;
    Twips ColPos(int col) const override;

    bool Redraw() const override { return redraw_; }
    void SetRedraw(bool redraw) override;

    void AddItem(const std::string& text) override;
    void Clear() override;

    // For tests: what a person would see.
    Colour CellBackColor(int row, int col) const;
    Colour CellForeColor(int row, int col) const;
    agendor::CellAlignment CellAlignment(int row, int col) const;
    bool CellBold(int row, int col) const;
    // The text of cell (row, col) split into its lines (at CR).
    std::vector<std::string> CellLines(int row, int col) const;
    Colour BackColor() const { return backColor_; }
    Colour BackColorSel() const { return backColorSel_; }
    Colour BackColorFixed() const { return backColorFixed_; }
    std::shared_ptr<Font> GridFont() const { return font_; }
    Twips RowHeightMin() const { return rowHeightMin_; }
    // Changes of the Redraw flag from one value to the other.
    int RedrawToggles() const { return redrawToggles_; }
    int EnterCellCount() const { return enterCells_; }

    // The user's actions, each followed by the delivery of what it posted.
    // A click first takes the focus (false, and nothing else happens, when
    // Validate of the focused widget refuses); then a click on a data cell
    // moves the current cell (EnterCell when it moves), MouseUp(1, 0, x, y)
    // at the cell's centre, Click.
    bool UserClickCell(int row, int col);
    // The click sequence, then DblClick, then the second MouseUp.
    bool UserDblClickCell(int row, int col);
    // Focus, then MouseUp(2, 0, x, y); the current cell stays.
    bool UserRightClick(Twips x, Twips y);
    // KeyPress with the code; the grid itself does nothing with it.
    void UserKeyPress(int keyAscii);
    // KeyDown with the virtual key code and shift state; then, unless the
    // handler took it, KeyPress for Enter and Esc. False when it was taken.
    bool UserKeyDown(int keyCode, int shift);
    // Arrow keys: moves by rows and columns within the data rows.
    void UserArrow(int dRow, int dCol);
    // The focus leaves the grid for no other widget.
    void UserLeave();

    void OnLostFocus() override {
        if (events.LostFocus) events.LostFocus();
    }

private:
    struct Cell {
        std::string text;
        std::optional<Colour> back;
        std::optional<Colour> fore;
        agendor::CellAlignment alignment = agendor::CellAlignment::LeftTop;
        bool bold = false;
    };
    const Cell& At(int row, int col) const;
    Cell& At(int row, int col);
    void CheckRow(int row) const;
    void CheckCol(int col) const;
    void MoveTo(int row, int col);
    void RaiseEnterCell();
    void RaiseMouseUp(int button, Twips x, Twips y);
    Twips CentreX(int col) const { return ColPos(col) + ColWidth(col) / 2; }
    Twips CentreY(int row) const;

    int cols_;
    std::vector<std::vector<Cell>> cells_;  // [row][col]
    std::vector<Twips> rowHeights_;
    std::vector<Twips> colWidths_;
    Twips rowHeightMin_ = 0;
    int row_;
    int col_ = 0;
    bool redraw_ = true;
    int redrawToggles_ = 0;
    int enterCells_ = 0;
    Colour backColor_ = 0xFFFFFF;
    Colour backColorSel_ = 0x8D6B3D;
    Colour backColorFixed_ = 0xC0C0C0;
    std::shared_ptr<Font> font_;
};

} // namespace agendor::memory
