#include "agendor/platform/qt/qt_flex_grid.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>

#include "agendor/platform/qt/qt_font.h"

namespace agendor::qt {

namespace {

// Lines between the cells: light grey between data cells, darker around
// the fixed row, as on the desktop's flex grid.
const QColor kGridLine(0xC0, 0xC0, 0xC0);
const QColor kGridLineFixed(0x80, 0x80, 0x80);
// Room between a cell's edge and a left-top text, pixels.
constexpr int kTextPadding = 2;

class CellPainter final : public QStyledItemDelegate {
public:
    CellPainter(const QtFlexGrid& grid, QObject* parent) : QStyledItemDelegate(parent), grid_(grid) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        grid_.PaintCell(*painter, option.rect, index.row(), index.column());
    }

private:
    const QtFlexGrid& grid_;
};

QStringList LinesOf(const std::string& text) {
    QString t = Q(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    t.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    return t.split(QLatin1Char('\r'));
}

} // namespace

int GridShape::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : grid_.Rows(); }
int GridShape::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : grid_.Cols(); }

QVariant GridShape::data(const QModelIndex& index, int role) const {
    // The text for accessibility and tests; the painting is the grid's own.
    if (role == Qt::AccessibleTextRole && index.isValid() && grid_.accessibleCellName) {
        const QString name = grid_.accessibleCellName(index.row(), index.column());
        if (!name.isEmpty()) return name;
    }
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    QString text = Q(grid_.TextMatrix(index.row(), index.column()));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

void GridShape::Resize(int oldRows, int newRows, const std::function<void()>& change) {
    // The view is told before the rows come or go and again after: between
    // the two the row count it reads is still the old one.
    if (newRows > oldRows) beginInsertRows({}, oldRows, newRows - 1);
    else if (newRows < oldRows) beginRemoveRows({}, newRows, oldRows - 1);
    change();
    if (newRows > oldRows) endInsertRows();
    else if (newRows < oldRows) endRemoveRows();
}

QtFlexGrid::QtFlexGrid(int rows, int cols, QWidget* parent)
    : QTableView(parent), Placed<GridCells>(this, rows, cols) {
    shape_ = new GridShape(*this, this);
    setModel(shape_);
    setItemDelegate(new CellPainter(*this, this));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
        header->setMinimumSectionSize(0);
        header->setSectionResizeMode(QHeaderView::Fixed);
    }
    setShowGrid(false);
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setWordWrap(false);
    setFocusPolicy(Qt::StrongFocus);
    ApplySizes(0, 0);
    SyncView();
}

QtFlexGrid::~QtFlexGrid() = default;

void QtFlexGrid::CellChanged(int row, int col) {
    if (Redraw()) viewport()->update(CellRect(row, col));
}

void QtFlexGrid::LookChanged() {
    if (Redraw()) viewport()->update();
}

void QtFlexGrid::FontChanged() {
    if (GridFont()) setFont(ToQFont(*GridFont()));
}

void QtFlexGrid::SyncView() {
    viewStale_ = false;
    // Rows added since the view last laid itself out must count before it
    // scrolls to the current cell: Qt lays out later, and would scroll
    // within the old rows now and to the new one only then, under editors
    // already placed over it.
    executeDelayedItemsLayout();
    syncing_ = true;
    selectionModel()->setCurrentIndex(shape_->index(Row(), Col()), QItemSelectionModel::NoUpdate);
    syncing_ = false;
}

void QtFlexGrid::Flush() const {
    // The view's sizes and current index only mirror the grid's own state.
    auto* self = const_cast<QtFlexGrid*>(this);
    if (sizesStale_) self->ApplySizes(0, 0);
    if (viewStale_) self->SyncView();
}

void QtFlexGrid::CurrentMoved(int oldRow, int oldCol) {
    // While Redraw is off the control moves the current cell once or twice
    // per appointment; the view follows once Redraw is back on.
    if (Redraw()) SyncView();
    else viewStale_ = true;
    CellChanged(oldRow, oldCol);
    CellChanged(Row(), Col());
}

void QtFlexGrid::ResizeRows(int oldRows, int newRows, const std::function<void()>& change) {
    // The view must not hold an index into rows that go away, its own
    // lagging one included.
    if (newRows < oldRows && viewStale_) SyncView();
    if (Row() >= newRows) {
        syncing_ = true;
        selectionModel()->setCurrentIndex(shape_->index(newRows - 1, Col()), QItemSelectionModel::NoUpdate);
        syncing_ = false;
    }
    shape_->Resize(oldRows, newRows, change);
}

int QtFlexGrid::FirstShownRow() const {
    // Scrolling goes by whole rows, so the scroll bar's value is the first row shown.
    Flush();
    return std::clamp(verticalScrollBar()->value(), 0, std::max(0, Rows() - 1));
}

Twips QtFlexGrid::RowPos(int row) const {
    CheckRow(row);
    Flush();
    // Where the view really draws the row, scrolled as it is: an editor
    // placed at this position in twips lands on the row's pixel edge,
    // however the rows' heights were rounded to pixels above it.
    const int y = viewport()->mapTo(this, QPoint(0, rowViewportPosition(row))).y();
    return ToTwipsY(this, y);
}

Twips QtFlexGrid::ColPos(int col) const { return ToTwipsX(this, frameWidth()) + ColsLeftOf(col); }

void QtFlexGrid::ApplySizes(int firstRow, int firstCol) {
    // Each section resized lays the view out anew: while Redraw is off the
    // sizes wait for it to come back on, or for someone who needs pixels.
    if (!Redraw()) {
        sizesStale_ = true;
        return;
    }
    if (sizesStale_) {
        sizesStale_ = false;
        firstRow = firstCol = 0;
    }
    QHeaderView* rows = verticalHeader();
    Twips top = 0;
    for (int r = 0; r < Rows(); ++r) {
        const Twips h = EffectiveRowHeight(r);
        if (r >= firstRow) rows->resizeSection(r, ToPixelsY(this, top + h) - ToPixelsY(this, top));
        top += h;
    }
    QHeaderView* cols = horizontalHeader();
    Twips left = 0;
    for (int c = 0; c < Cols(); ++c) {
        const Twips w = ColWidth(c);
        if (c >= firstCol) {
            setColumnHidden(c, w == 0);
            if (w > 0) cols->resizeSection(c, ToPixelsX(this, left + w) - ToPixelsX(this, left));
        }
        left += w;
    }
}

void QtFlexGrid::RedrawChanged() {
    if (Redraw()) {
        Flush();
        setUpdatesEnabled(true);
        viewport()->update();
    } else {
        setUpdatesEnabled(false);
    }
}

QRect QtFlexGrid::CellRect(int row, int col) const {
    Flush();
    return visualRect(shape_->index(row, col));
}

std::optional<std::pair<int, int>> QtFlexGrid::CellAt(QPoint viewportPos) const {
    Flush();
    const QModelIndex index = indexAt(viewportPos);
    if (!index.isValid()) return std::nullopt;
    return std::make_pair(index.row(), index.column());
}

void QtFlexGrid::PaintCell(QPainter& painter, const QRect& rect, int row, int col) const {
    const GridCell& cell = Cell(row, col);
    const bool fixed = row == 0;
    const bool current = !fixed && row == Row() && col == Col();
    painter.save();
    painter.fillRect(rect, ToQColor(current ? BackColorSel() : CellBackColor(row, col)));

    QFont f = font();
    f.setBold(cell.bold);
    painter.setFont(f);
    painter.setPen(ToQColor(CellForeColor(row, col)));
    const QFontMetrics metrics(f);
    const QStringList lines = LinesOf(cell.text);
    const QRect inner = rect.adjusted(kTextPadding, 1, -kTextPadding, -1);
    painter.setClipRect(rect.adjusted(0, 0, -1, -1));
    if (cell.alignment != CellAlignment::LeftTop) {
        const int total = metrics.height() * static_cast<int>(lines.size());
        int y = inner.top() + (inner.height() - total) / 2;
        const Qt::Alignment across = cell.alignment == CellAlignment::CenterCenter ? Qt::AlignHCenter : Qt::AlignLeft;
        for (const QString& line : lines) {
            painter.drawText(QRect(inner.left(), y, inner.width(), metrics.height()),
                             across | Qt::AlignTop | Qt::TextSingleLine, line);
            y += metrics.height();
        }
    } else {
        // A sheet cell holds a dozen lines: drawn at their baselines and
        // clipped to the padded cell they look as drawn in a box each, but
        // no text layout is built per line.
        painter.setClipRect(QRect(inner.left(), rect.top(), std::max(0, inner.width()), rect.height() - 1));
        int y = inner.top();
        for (const QString& line : lines) {
            if (y > rect.bottom()) break;
            painter.drawText(QPoint(inner.left(), y + metrics.ascent()), line);
            y += metrics.height();
        }
    }
    painter.setClipping(false);
    // Right and bottom edge of the cell.
    painter.setPen(fixed ? kGridLineFixed : kGridLine);
    painter.drawLine(rect.topRight(), rect.bottomRight());
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    if (current && hasFocus()) {
        QPen focus(Qt::black, 1, Qt::DotLine);
        painter.setPen(focus);
        painter.drawRect(rect.adjusted(1, 1, -2, -2));
    }
    painter.restore();
}

int QtFlexGrid::FixedRowBand() const {
    if (FirstShownRow() == 0) return 0;
    // Scrolled to the end, the view puts the last row on the bottom edge and
    // the row under row 0 may stick out below it: that row is covered whole,
    // never shown as a strip of cut text.
    int band = rowHeight(0);
    const int under = rowAt(band - 1);
    if (under > 0) band = std::max(band, rowViewportPosition(under) + rowHeight(under));
    return band;
}

bool QtFlexGrid::OnFixedRow(QPoint viewportPos) const { return viewportPos.y() < FixedRowBand(); }

int QtFlexGrid::LineAt(QPoint viewportPos) const {
    const auto cell = CellAt(viewportPos);
    if (!cell) return -1;
    const GridCell& c = Cell(cell->first, cell->second);
    if (c.alignment != CellAlignment::LeftTop) return -1;
    QFont f = font();
    f.setBold(c.bold);
    const int height = std::max(1, QFontMetrics(f).height());
    const int y = viewportPos.y() - (CellRect(cell->first, cell->second).top() + 1);
    if (y < 0) return -1;
    const int line = y / height;
    return line < static_cast<int>(LinesOf(c.text).size()) ? line : -1;
}

void QtFlexGrid::SetDropTarget(int row, int col) {
    if (dropTarget_ == std::pair{row, col}) return;
    dropTarget_ = {row, col};
    viewport()->update();
}

void QtFlexGrid::paintEvent(QPaintEvent* e) {
    QTableView::paintEvent(e);
    if (dropTarget_.first >= 1 && dropTarget_.first < Rows() && dropTarget_.second >= 0 && dropTarget_.second < Cols()) {
        QPainter painter(viewport());
        painter.setPen(QPen(palette().color(QPalette::Highlight), 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(CellRect(dropTarget_.first, dropTarget_.second).adjusted(1, 1, -2, -2));
    }
    const int band = FixedRowBand();
    if (band == 0) return;
    QPainter painter(viewport());
    for (int col = 0; col < Cols(); ++col) {
        if (isColumnHidden(col)) continue;
        PaintCell(painter, QRect(columnViewportPosition(col), 0, columnWidth(col), band), 0, col);
    }
}

void QtFlexGrid::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    // Scrolling moves the painted pixels along, the fixed row with them.
    viewport()->update();
}

void QtFlexGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
    QTableView::scrollTo(index, hint);
    // Without a horizontal scroll bar nothing scrolls sideways: a wide
    // column made current would push the first columns out of view for good.
    if (horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff) horizontalScrollBar()->setValue(0);
    const int first = FirstShownRow();
    if (index.isValid() && index.row() >= 1 && first > 0 && index.row() <= first)
        verticalScrollBar()->setValue(index.row() - 1);
}

namespace {

int ButtonCode(Qt::MouseButton button) {
    return button == Qt::LeftButton ? 1 : button == Qt::RightButton ? 2 : button == Qt::MiddleButton ? 4 : 0;
}

} // namespace

void QtFlexGrid::mousePressEvent(QMouseEvent* e) {
    if (focusPolicy() & Qt::ClickFocus) setFocus(Qt::MouseFocusReason);
    const QPoint at = e->position().toPoint();
    if (OnFixedRow(at)) {
        UserPressOff();
        return;
    }
    const auto cell = e->button() == Qt::LeftButton ? CellAt(at) : std::nullopt;
    UserPress(ButtonCode(e->button()), cell ? cell->first : -1, cell ? cell->second : -1);
}

void QtFlexGrid::mouseDoubleClickEvent(QMouseEvent* e) {
    if (!OnFixedRow(e->position().toPoint())) UserDoublePress(ButtonCode(e->button()));
}

void QtFlexGrid::mouseReleaseEvent(QMouseEvent* e) {
    const QPointF at = viewport()->mapTo(this, e->position().toPoint());
    UserRelease(ButtonCode(e->button()), ShiftState(e->modifiers()), ToTwipsX(this, at.x()), ToTwipsY(this, at.y()));
}

void QtFlexGrid::mouseMoveEvent(QMouseEvent*) {
    // No selection of ranges: moving with the button down changes nothing.
}

void QtFlexGrid::keyPressEvent(QKeyEvent* e) {
    // A host may leave Redraw off; the keys still move from the current cell.
    Flush();
    const std::optional<int> code =
        UserKey(VirtualKeyCode(e->key()), ShiftState(e->modifiers()), CharacterCode(e->key(), e->text()));
    // Characters are the handler's; the grid has no use for them.
    if (!code || *code != 0) {
        e->accept();
        return;
    }
    QTableView::keyPressEvent(e);
}

QModelIndex QtFlexGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const auto arrow = [this](int dRow, int dCol) {
        const auto [row, col] = ArrowTarget(dRow, dCol);
        return shape_->index(row, col);
    };
    switch (action) {
    case MoveUp: return arrow(-1, 0);
    case MoveDown: return arrow(1, 0);
    case MoveLeft: return arrow(0, -1);
    case MoveRight: return arrow(0, 1);
    default: break;
    }
    // The paging keys are the table's, kept off the fixed row.
    const QModelIndex current = shape_->index(Row(), Col());
    QModelIndex next = QTableView::moveCursor(action, modifiers);
    if (!next.isValid()) return current;
    if (next.row() < 1) {
        if (Rows() < 2) return current;
        next = shape_->index(1, next.column());
    }
    return next;
}

void QtFlexGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (syncing_ || !current.isValid()) return;
    // The view moved on its own (keyboard): a fixed cell never becomes current.
    if (current.row() < 1) {
        SyncView();
        return;
    }
    MoveTo(current.row(), current.column());
}

void QtFlexGrid::focusInEvent(QFocusEvent* e) {
    QTableView::focusInEvent(e);
    viewport()->update();
}

void QtFlexGrid::focusOutEvent(QFocusEvent* e) {
    QTableView::focusOutEvent(e);
    viewport()->update();
    const Qt::FocusReason reason = e->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
    Post(this, [this] {
        if (events.LostFocus) events.LostFocus();
    });
}

void QtFlexGrid::changeEvent(QEvent* e) {
    QTableView::changeEvent(e);
    if (e->type() == QEvent::FontChange) viewport()->update();
}

} // namespace agendor::qt
