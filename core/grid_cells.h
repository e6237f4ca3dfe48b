#pragma once
// The flex grid's cells and the rules of its events, once for every backend.
// A backend derives its grid from GridCells, adds the widget (placement,
// focus, painting, metrics) through the hooks below and maps its own input
// onto the User... rules, so that no two backends can store or raise
// differently.
//
// Stored: rows of cells (text, colours, alignment, bold) with row 0 the
// fixed header row; row heights and column widths in twips as set (a row
// never counts lower than RowHeightMin where it is laid out); the current
// cell; Redraw; the grid's colours and font. Clear empties the text and
// resets the formatting of every cell, as a desktop flex grid does; a cell
// never coloured shows BackColor (BackColorFixed in row 0) and black text.
//
// Events:
// - EnterCell from inside SetRow, SetCol or a user's move, and only when the
//   current cell really moves, whatever Redraw says; a row count that cuts
//   off the current row moves it to the new last row and raises EnterCell.
//   Code may make the fixed row 0 current; the user never does.
// - A left press on a data cell moves the current cell; the release raises
//   MouseUp, then Click (none for the middle button, for a release whose
//   press did not land on the grid, or for the release of a double click).
//   A double click raises DblClick (left button) at its second press and
//   MouseUp at its release.
// - A key raises KeyDown with its virtual key code and, unless a handler
//   takes it (sets it to 0), KeyPress with its character code.
// - The arrow keys move within the data rows, skip hidden (zero-width)
//   columns and stop at the edges.
// A handler may destroy the grid: no event follows then.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "agendor/platform/grid.h"

namespace agendor {

struct GridCell {
    std::string text;
    std::optional<Colour> back;  // none: the grid's colour
    std::optional<Colour> fore;  // none: black
    CellAlignment alignment = CellAlignment::LeftTop;
    bool bold = false;
};

class AGENDOR_CORE_EXPORT GridCells : public FlexGrid {
public:
    static constexpr Twips kDefaultRowHeight = 240;
    static constexpr Twips kDefaultColWidth = 960;

    int Rows() const final { return static_cast<int>(cells_.size()); }
    void SetRows(int rows) final;
    int Cols() const final { return cols_; }
    int Row() const final { return row_; }
    int Col() const final { return col_; }
    // Raise Error "Ungültiger Zeilenwert" / "Ungültiger Spaltenwert", as
    // every access to a cell outside the table does.
    void SetRow(int row) final;
    void SetCol(int col) final;

    std::string Text() const final { return Cell(row_, col_).text; }
    void SetText(const std::string& text) final;
    std::string TextMatrix(int row, int col) const final { return Cell(row, col).text; }
    void SetTextMatrix(int row, int col, const std::string& text) final;

    void SetCellAlignment(CellAlignment a) final;
    void SetCellBackColor(Colour c) final;
    void SetCellForeColor(Colour c) final;
    void SetCellFontBold(bool bold) final;

    void SetBackColor(Colour c) final;
    void SetBackColorSel(Colour c) final;
    void SetBackColorFixed(Colour c) final;
    void SetFont(std::shared_ptr<Font> font) final;

    Twips ColWidth(int col) const final;
    void SetColWidth(int col, Twips width) final;
    Twips RowHeight(int row) const final;
    // Raises Error "Ungültiger Eigenschaftswert" for a negative height.
    void SetRowHeight(int row, Twips height) final;
    void SetRowHeightMin(Twips height) final;

    bool Redraw() const final { return redraw_; }
    void SetRedraw(bool redraw) final;

    void AddItem(const std::string& text) final;
    void Clear() final;

    // What a person sees, for the painting and for tests.
    const GridCell& Cell(int row, int col) const;
    Colour CellBackColor(int row, int col) const;
    Colour CellForeColor(int row, int col) const { return Cell(row, col).fore.value_or(0); }
    CellAlignment CellAlignmentAt(int row, int col) const { return Cell(row, col).alignment; }
    bool CellBold(int row, int col) const { return Cell(row, col).bold; }
    Colour BackColor() const { return backColor_; }
    Colour BackColorSel() const { return backColorSel_; }
    Colour BackColorFixed() const { return backColorFixed_; }
    std::shared_ptr<Font> GridFont() const { return font_; }
    Twips RowHeightMin() const { return rowHeightMin_; }
    // The height row takes where it is laid out: at least RowHeightMin.
    Twips EffectiveRowHeight(int row) const;

protected:
    // rows >= 1 with row 0 fixed, cols >= 1, or Error "Ungültiger
    // Eigenschaftswert". The current cell starts at row 1 (row 0 when there
    // is no other), column 0.
    GridCells(int rows, int cols);
    ~GridCells() override;

    // Raise Error "Ungültiger Zeilenwert" / "Ungültiger Spaltenwert" for a
    // row or column outside the table.
    void CheckRow(int row) const;
    void CheckCol(int col) const;
    // Makes (row, col) current, both within the table; EnterCell when it moves.
    void MoveTo(int row, int col);
    // Twips from the top of row 0 to the top of row / from the left of
    // column 0 to the left of col, laid out.
    Twips RowsAbove(int row) const;
    Twips ColsLeftOf(int col) const;

    // The user's input, as the backend receives it. Buttons: 1 left, 2
    // right, 4 middle, 0 any other. A press on cell (row, col); row -1 when
    // it landed on no cell.
    void UserPress(int button, int row, int col);
    // A press no click may follow (on the fixed row kept in view while the
    // rows are scrolled).
    void UserPressOff();
    void UserDoublePress(int button);
    // x, y twips relative to the grid.
    void UserRelease(int button, int shift, Twips x, Twips y);
    // KeyDown with keyCode (none for 0), then, unless it was taken, KeyPress
    // with character (none for 0). The character code as the handlers left
    // it; nullopt when KeyDown took the key or the grid went away.
    std::optional<int> UserKey(int keyCode, int shift, int character);
    // The cell an arrow key leads to: dRow rows down, dCol visible columns
    // right (negative: up, left).
    std::pair<int, int> ArrowTarget(int dRow, int dCol) const;

    // What the backend shows of a change, called after the stored state changed.
    virtual void CellChanged(int /*row*/, int /*col*/) {}
    virtual void LookChanged() {}
    // The sizes of the rows from firstRow and of the columns from firstCol
    // on (Rows() and Cols(): none).
    virtual void SizesChanged(int /*firstRow*/, int /*firstCol*/) {}
    virtual void FontChanged() {}
    virtual void RedrawChanged() {}
    // Before EnterCell; (oldRow, oldCol) may lie in rows gone.
    virtual void CurrentMoved(int /*oldRow*/, int /*oldCol*/) {}
    // Runs change, which makes the row count newRows; the current cell may
    // still lie in rows that go away and is moved right after.
    virtual void ResizeRows(int /*oldRows*/, int /*newRows*/, const std::function<void()>& change) { change(); }

private:
    GridCell& At(int row, int col);

    int cols_;
    std::vector<std::vector<GridCell>> cells_;  // [row][col]
    std::vector<Twips> rowHeights_;
    std::vector<Twips> colWidths_;
    Twips rowHeightMin_ = 0;
    int row_;
    int col_ = 0;
    bool redraw_ = true;
    Colour backColor_ = 0xFFFFFF;
    Colour backColorSel_ = 0xC0FFFF;
    Colour backColorFixed_ = 0xC0C0C0;
    std::shared_ptr<Font> font_;
    // The button whose press landed on the grid (0 none), and whether that
    // press was a double click's second.
    int pressed_ = 0;
    bool doubleClick_ = false;
    // Expires with the grid: a handler may destroy it.
    std::shared_ptr<char> life_ = std::make_shared<char>();
};

} // namespace agendor
