#pragma once
// The flex grid on a QTableView. Row 0 is a row of the table like the others
// (the control writes its texts and colours) that neither mouse nor keyboard
// makes current. The grid paints its cells itself: a CR in a cell text
// starts a new line, long lines are clipped at the cell's edge, the current
// cell of a data row shows BackColorSel.
//
// Events: a left press on a data cell moves the current cell (EnterCell);
// the release raises MouseUp, then Click; a double click raises DblClick at
// the second press and MouseUp at its release. Keys deliver KeyPress with
// their character code first (0 swallows the key); the arrow and paging keys
// then move the current cell within the data rows, skipping hidden columns.
// SetRow and SetCol raise EnterCell from inside the call whenever the cell
// really moves, whatever Redraw says. LostFocus is posted.
//
// While Redraw is off, texts, colours, sizes and moves of the current cell
// only change the grid's own state; the view is laid out and painted once
// when Redraw comes back on (or earlier, when pixels are asked for).
#include <QAbstractTableModel>
#include <QTableView>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "agendor/platform/grid.h"
#include "agendor/platform/qt/qt_common.h"

namespace agendor::qt {

class QtFlexGrid;

// The table's shape for the view; the cells themselves live in the grid.
class GridShape final : public QAbstractTableModel {
public:
    explicit GridShape(QtFlexGrid& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Runs change, which makes the grid's row count newRows, inside the
    // model's insert or remove notification.
    void Resize(int oldRows, int newRows, const std::function<void()>& change);

private:
    QtFlexGrid& grid_;
};

class QtFlexGrid : public QTableView, public Placed<FlexGrid> {
public:
    // What a screen reader says of a cell; an empty answer (or none) reads
    // the cell's text.
    std::function<QString(int row, int col)> accessibleCellName;

    static constexpr Twips kDefaultRowHeight = 240;
    static constexpr Twips kDefaultColWidth = 960;

    // rows >= 1 with row 0 fixed, cols >= 1. The current cell starts at row
    // 1 (row 0 when there is no other), column 0.
    QtFlexGrid(int rows, int cols, QWidget* parent);
    ~QtFlexGrid() override;

    int Rows() const override { return static_cast<int>(cells_.size()); }
    void SetRows(int rows) override;
    int Cols() const override { return cols_; }
    int Row() const override { return row_; }
    int Col() const override { return col_; }
    void SetRow(int row) override;
    void SetCol(int col) override;

    std::string Text() const override { return At(row_, col_).text; }
    void SetText(const std::string& text) override;
    std::string TextMatrix(int row, int col) const override { return At(row, col).text; }
    void SetTextMatrix(int row, int col, const std::string& text) override;

    void SetCellAlignment(CellAlignment a) override;
    void SetCellBackColor(Colour c) override;
    void SetCellForeColor(Colour c) override;
    void SetCellFontBold(bool bold) override;

    void SetBackColor(Colour c) override;
    void SetBackColorSel(Colour c) override;
    void SetBackColorFixed(Colour c) override;
    void SetFont(std::shared_ptr<Font> font) override;

    Twips ColWidth(int col) const override;
    void SetColWidth(int col, Twips width) override;
    Twips RowHeight(int row) const override;
    void SetRowHeight(int row, Twips height) override;
    void SetRowHeightMin(Twips height) override;
    Twips RowPos(int row) const override;
    Twips ColPos(int col) const override;

    bool Redraw() const override { return redraw_; }
    void SetRedraw(bool redraw) override;

    void AddItem(const std::string& text) override;
    void Clear() override;

    // What a person sees, for tests and printing.
    Colour CellBackColor(int row, int col) const;
    Colour CellForeColor(int row, int col) const;
    bool CellBold(int row, int col) const { return At(row, col).bold; }
    CellAlignment CellAlignmentAt(int row, int col) const { return At(row, col).alignment; }
    // Pixel rectangle of a cell in the viewport's coordinates.
    QRect CellRect(int row, int col) const;
    // The cell under a position of the viewport; nullopt outside the cells.
    std::optional<std::pair<int, int>> CellAt(QPoint viewportPos) const;

    // The line of a cell's text under a position of the viewport (0 the
    // first), as a cell drawn from its top shows it; -1 off the text.
    int LineAt(QPoint viewportPos) const;
    // The cell a dragged appointment would land on, framed in the
    // selection colour; (-1, -1) frames none.
    void SetDropTarget(int row, int col);
    std::pair<int, int> DropTarget() const { return dropTarget_; }

    // Called by the view's delegate.
    void PaintCell(QPainter& painter, const QRect& rect, int row, int col) const;

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    // Row 0 stays at the top while the rows scroll: it is painted over the
    // first row shown, which therefore counts as scrolled out.
    void paintEvent(QPaintEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void keyboardSearch(const QString&) override {}
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void changeEvent(QEvent* e) override;
    void OnPlaced() override { ApplySizes(0, 0); }

private:
    friend class GridShape;
    struct Cell {
        std::string text;
        std::optional<Colour> back;
        std::optional<Colour> fore;
        CellAlignment alignment = CellAlignment::LeftTop;
        bool bold = false;
    };
    const Cell& At(int row, int col) const;
    Cell& At(int row, int col);
    void CheckRow(int row) const;
    void CheckCol(int col) const;
    void MoveTo(int row, int col);
    // Brings the view's current index in line with (row_, col_).
    void SyncView();
    // Applies what waited for Redraw: the pixel sizes, the view's current index.
    void Flush() const;
    void UpdateCell(int row, int col);
    Twips EffectiveRowHeight(int row) const;
    // Pixel sizes of the rows from firstRow and the columns from firstCol on,
    // each edge rounded from its twips position.
    void ApplySizes(int firstRow, int firstCol);
    int FirstShownRow() const;
    // Height of row 0 kept at the top while the rows are scrolled, pixels
    // (0 when not scrolled); with it the row it covers.
    int FixedRowBand() const;
    // Whether a viewport position lies on row 0 kept at the top.
    bool OnFixedRow(QPoint viewportPos) const;

    int cols_;
    std::vector<std::vector<Cell>> cells_;  // [row][col]
    std::vector<Twips> rowHeights_;
    std::vector<Twips> colWidths_;
    Twips rowHeightMin_ = 0;
    int row_;
    int col_ = 0;
    bool redraw_ = true;
    bool syncing_ = false;
    // Set while Redraw is off and the view lags behind the grid.
    bool viewStale_ = false;
    bool sizesStale_ = false;
    // The press of this click landed on the grid (a release alone is no click).
    Qt::MouseButton pressed_ = Qt::NoButton;
    std::pair<int, int> dropTarget_{-1, -1};
    bool doubleClick_ = false;
    Colour backColor_ = 0xFFFFFF;
    Colour backColorSel_ = 0xC0FFFF;
    Colour backColorFixed_ = 0xC0C0C0;
    std::shared_ptr<Font> font_;
    GridShape* shape_;
};

} // namespace agendor::qt
