#pragma once
// The flex grid: a table widget that the control only drives. Rows 0 ...
// Rows()-1 with row 0 a fixed header row (never current by mouse or keyboard),
// a fixed number of columns, one current cell (Row, Col) on which the cell
// operations act. Sizes are twips.
#include <functional>
#include <memory>
#include <string>

#include "agendor/platform/types.h"
#include "agendor/platform/widgets.h"

namespace agendor {

struct GridEvents {
    // The current cell has moved. Raised synchronously from inside SetRow /
    // SetCol (and user moves), so a handler re-enters the caller.
    std::function<void()> EnterCell;
    std::function<void()> Click;
    std::function<void()> DblClick;
    // A key with its virtual key code (37 to 40 the arrows, 27 Esc, 65 to
    // 90 the letters) and shift state (1 Shift, 2 Ctrl, 4 Alt), before any
    // KeyPress; a handler sets keyCode to 0 to take the key.
    std::function<void(int& keyCode, int shift)> KeyDown;
    std::function<void(int& keyAscii)> KeyPress;
    // button: 1 left, 2 right, 4 middle; x, y twips relative to the grid.
    std::function<void(int button, int shift, Twips x, Twips y)> MouseUp;
    std::function<void()> LostFocus;
};

// 0 left-top, 1 left and centred vertically, 4 centred both ways.
enum class CellAlignment { LeftTop = 0, LeftCenter = 1, CenterCenter = 4 };

class FlexGrid : public virtual Widget {
public:
    virtual int Rows() const = 0;
    // Shrinks or grows the table; 1 keeps only the header row. Raises for < 1.
    virtual void SetRows(int rows) = 0;
    virtual int Cols() const = 0;

    virtual int Row() const = 0;
    virtual int Col() const = 0;
    // Moving the current cell raises EnterCell when it really moves. Raises
    // Error for a row or column outside the table.
    virtual void SetRow(int row) = 0;
    virtual void SetCol(int col) = 0;

    // Text of the current cell; a CR ('\r') starts a new line inside the cell.
    virtual std::string Text() const = 0;
    virtual void SetText(const std::string& text) = 0;
    virtual std::string TextMatrix(int row, int col) const = 0;
    virtual void SetTextMatrix(int row, int col, const std::string& text) = 0;

    virtual void SetCellAlignment(CellAlignment a) = 0;
    virtual void SetCellBackColor(Colour c) = 0;
    virtual void SetCellForeColor(Colour c) = 0;
    // The further text attribute of the header cells (shown bold).
    virtual void SetCellFontBold(bool bold) = 0;

    virtual void SetBackColor(Colour c) = 0;
    virtual void SetBackColorSel(Colour c) = 0;
    virtual void SetBackColorFixed(Colour c) = 0;
    virtual void SetFont(std::shared_ptr<Font> font) = 0;

    virtual Twips ColWidth(int col) const = 0;
    // 0 hides the column. Raises for a negative width.
    virtual void SetColWidth(int col, Twips width) = 0;
    virtual Twips RowHeight(int row) const = 0;
    virtual void SetRowHeight(int row, Twips height) = 0;
    virtual void SetRowHeightMin(Twips height) = 0;
    // Top of row i / left of column i relative to the grid.
    virtual Twips RowPos(int row) const = 0;
    virtual Twips ColPos(int col) const = 0;
    Twips CellLeft() const { return ColPos(Col()); }
    Twips CellTop() const { return RowPos(Row()); }

    // While false nothing is painted; the control also uses it as the guard
    // that tells its own cell moves from the user's.
    virtual bool Redraw() const = 0;
    virtual void SetRedraw(bool redraw) = 0;

    // Appends one row; text goes into column 0.
    virtual void AddItem(const std::string& text) = 0;
    // Empties every cell, header row included.
    virtual void Clear() = 0;

    GridEvents events;
};

} // namespace agendor
