#pragma once
// The flex grid on a QTableView. Row 0 is a row of the table like the others
// (the control writes its texts and colours) that neither mouse nor keyboard
// makes current. The grid paints its cells itself: a CR in a cell text
// starts a new line, long lines are clipped at the cell's edge, the current
// cell of a data row shows BackColorSel.
//
// The cells and the events are GridCells'; the grid maps Qt's mouse and key
// events onto its rules. The paging keys move within the data rows as the
// table does. LostFocus is posted.
//
// While Redraw is off, texts, colours, sizes and moves of the current cell
// only change the grid's own state; the view is laid out and painted once
// when Redraw comes back on (or earlier, when pixels are asked for).
#include <QAbstractTableModel>
#include <QTableView>

#include <functional>
#include <optional>
#include <utility>

#include "agendor/platform/surface.h"
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

class QtFlexGrid : public QTableView, public Placed<GridCells> {
public:
    // What a screen reader says of a cell; an empty answer (or none) reads
    // the cell's text.
    std::function<QString(int row, int col)> accessibleCellName;

    // rows >= 1 with row 0 fixed, cols >= 1.
    QtFlexGrid(int rows, int cols, QWidget* parent);
    ~QtFlexGrid() override;

    // Where the view draws the row and the column, twips.
    Twips RowPos(int row) const override;
    Twips ColPos(int col) const override;

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
    // What the view shows of the grid's changes.
    void CellChanged(int row, int col) override;
    void LookChanged() override;
    void SizesChanged(int firstRow, int firstCol) override { ApplySizes(firstRow, firstCol); }
    void FontChanged() override;
    void RedrawChanged() override;
    void CurrentMoved(int oldRow, int oldCol) override;
    void ResizeRows(int oldRows, int newRows, const std::function<void()>& change) override;
    // Brings the view's current index in line with the grid's current cell.
    void SyncView();
    // Applies what waited for Redraw: the pixel sizes, the view's current index.
    void Flush() const;
    // Pixel sizes of the rows from firstRow and the columns from firstCol on,
    // each edge rounded from its twips position.
    void ApplySizes(int firstRow, int firstCol);
    int FirstShownRow() const;
    // Height of row 0 kept at the top while the rows are scrolled, pixels
    // (0 when not scrolled); with it the row it covers.
    int FixedRowBand() const;
    // Whether a viewport position lies on row 0 kept at the top.
    bool OnFixedRow(QPoint viewportPos) const;

    bool syncing_ = false;
    // Set while Redraw is off and the view lags behind the grid.
    bool viewStale_ = false;
    bool sizesStale_ = false;
    std::pair<int, int> dropTarget_{-1, -1};
    GridShape* shape_;
};

} // namespace agendor::qt
