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

constexpr const char* kInvalidRow = "Ungültiger Zeilenwert";
constexpr const char* kInvalidCol = "Ungültiger Spaltenwert";
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
    : QTableView(parent), Placed<FlexGrid>(this), cols_(cols), row_(rows > 1 ? 1 : 0) {
    if (rows < 1 || cols < 1) throw Error(kInvalidPropertyValue);
    cells_.assign(static_cast<std::size_t>(rows), std::vector<Cell>(static_cast<std::size_t>(cols)));
    rowHeights_.assign(static_cast<std::size_t>(rows), kDefaultRowHeight);
    colWidths_.assign(static_cast<std::size_t>(cols), kDefaultColWidth);

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

void QtFlexGrid::CheckRow(int row) const {
    if (row < 0 || row >= Rows()) throw Error(kInvalidRow);
}

void QtFlexGrid::CheckCol(int col) const {
    if (col < 0 || col >= cols_) throw Error(kInvalidCol);
}

const QtFlexGrid::Cell& QtFlexGrid::At(int row, int col) const {
    CheckRow(row);
    CheckCol(col);
    return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

QtFlexGrid::Cell& QtFlexGrid::At(int row, int col) {
    return const_cast<Cell&>(static_cast<const QtFlexGrid&>(*this).At(row, col));
}

void QtFlexGrid::UpdateCell(int row, int col) {
    if (redraw_) viewport()->update(CellRect(row, col));
}

void QtFlexGrid::SyncView() {
    viewStale_ = false;
    // Rows added since the view last laid itself out must count before it
    // scrolls to the current cell: Qt lays out later, and would scroll
    // within the old rows now and to the new one only then, under editors
    // already placed over it.
    executeDelayedItemsLayout();
    syncing_ = true;
    selectionModel()->setCurrentIndex(shape_->index(row_, col_), QItemSelectionModel::NoUpdate);
    syncing_ = false;
}

void QtFlexGrid::Flush() const {
    // The view's sizes and current index only mirror the grid's own state.
    auto* self = const_cast<QtFlexGrid*>(this);
    if (sizesStale_) self->ApplySizes(0, 0);
    if (viewStale_) self->SyncView();
}

void QtFlexGrid::MoveTo(int row, int col) {
    if (row == row_ && col == col_) return;
    const int oldRow = row_, oldCol = col_;
    row_ = row;
    col_ = col;
    // While Redraw is off the control moves the current cell once or twice
    // per appointment; the view follows once Redraw is back on.
    if (redraw_) SyncView();
    else viewStale_ = true;
    UpdateCell(oldRow, oldCol);
    UpdateCell(row_, col_);
    if (events.EnterCell) events.EnterCell();
}

void QtFlexGrid::SetRows(int rows) {
    if (rows < 1) throw Error(kInvalidPropertyValue);
    const int old = Rows();
    if (rows == old) return;
    const auto count = static_cast<std::size_t>(rows);
    const bool cutsCurrent = row_ >= rows;
    // The view's own current index must not lie in rows that go away either.
    if (viewStale_) SyncView();
    // The view must not hold an index into rows that go away.
    if (cutsCurrent) {
        syncing_ = true;
        selectionModel()->setCurrentIndex(shape_->index(rows - 1, col_), QItemSelectionModel::NoUpdate);
        syncing_ = false;
    }
    shape_->Resize(old, rows, [&] {
        cells_.resize(count, std::vector<Cell>(static_cast<std::size_t>(cols_)));
        rowHeights_.resize(count, kDefaultRowHeight);
    });
    ApplySizes(std::min(old, rows), cols_);
    if (cutsCurrent) {
        row_ = rows - 1;
        SyncView();
        if (events.EnterCell) events.EnterCell();
    }
    if (redraw_) viewport()->update();
}

void QtFlexGrid::SetRow(int row) {
    CheckRow(row);
    MoveTo(row, col_);
}

void QtFlexGrid::SetCol(int col) {
    CheckCol(col);
    MoveTo(row_, col);
}

void QtFlexGrid::SetText(const std::string& text) {
    At(row_, col_).text = text;
    UpdateCell(row_, col_);
}

void QtFlexGrid::SetTextMatrix(int row, int col, const std::string& text) {
    At(row, col).text = text;
    UpdateCell(row, col);
}

void QtFlexGrid::SetCellAlignment(CellAlignment a) {
    At(row_, col_).alignment = a;
    UpdateCell(row_, col_);
}

void QtFlexGrid::SetCellBackColor(Colour c) {
    At(row_, col_).back = c;
    UpdateCell(row_, col_);
}

void QtFlexGrid::SetCellForeColor(Colour c) {
    At(row_, col_).fore = c;
    UpdateCell(row_, col_);
}

void QtFlexGrid::SetCellFontBold(bool bold) {
    At(row_, col_).bold = bold;
    UpdateCell(row_, col_);
}

void QtFlexGrid::SetBackColor(Colour c) {
    backColor_ = c;
    if (redraw_) viewport()->update();
}

void QtFlexGrid::SetBackColorSel(Colour c) {
    backColorSel_ = c;
    if (redraw_) viewport()->update();
}

void QtFlexGrid::SetBackColorFixed(Colour c) {
    backColorFixed_ = c;
    if (redraw_) viewport()->update();
}

void QtFlexGrid::SetFont(std::shared_ptr<Font> font) {
    font_ = std::move(font);
    if (font_) setFont(ToQFont(*font_));
}

Twips QtFlexGrid::ColWidth(int col) const {
    CheckCol(col);
    return colWidths_[static_cast<std::size_t>(col)];
}

void QtFlexGrid::SetColWidth(int col, Twips width) {
    CheckCol(col);
    if (width < 0) throw Error(kInvalidPropertyValue);
    colWidths_[static_cast<std::size_t>(col)] = width;
    ApplySizes(Rows(), col);
}

Twips QtFlexGrid::RowHeight(int row) const {
    CheckRow(row);
    return rowHeights_[static_cast<std::size_t>(row)];
}

void QtFlexGrid::SetRowHeight(int row, Twips height) {
    CheckRow(row);
    if (height < 0) throw Error(kInvalidPropertyValue);
    rowHeights_[static_cast<std::size_t>(row)] = height;
    ApplySizes(row, cols_);
}

void QtFlexGrid::SetRowHeightMin(Twips height) {
    if (height < 0) throw Error(kInvalidPropertyValue);
    rowHeightMin_ = height;
    ApplySizes(0, cols_);
}

Twips QtFlexGrid::EffectiveRowHeight(int row) const {
    return std::max(rowHeights_[static_cast<std::size_t>(row)], rowHeightMin_);
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

Twips QtFlexGrid::ColPos(int col) const {
    CheckCol(col);
    Twips left = ToTwipsX(this, frameWidth());
    for (int c = 0; c < col; ++c) left += colWidths_[static_cast<std::size_t>(c)];
    return left;
}

void QtFlexGrid::ApplySizes(int firstRow, int firstCol) {
    // Each section resized lays the view out anew: while Redraw is off the
    // sizes wait for it to come back on, or for someone who needs pixels.
    if (!redraw_) {
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
    for (int c = 0; c < cols_; ++c) {
        const Twips w = colWidths_[static_cast<std::size_t>(c)];
        if (c >= firstCol) {
            setColumnHidden(c, w == 0);
            if (w > 0) cols->resizeSection(c, ToPixelsX(this, left + w) - ToPixelsX(this, left));
        }
        left += w;
    }
}

void QtFlexGrid::SetRedraw(bool redraw) {
    if (redraw == redraw_) return;
    redraw_ = redraw;
    if (redraw) {
        Flush();
        setUpdatesEnabled(true);
        viewport()->update();
    } else {
        setUpdatesEnabled(false);
    }
}

void QtFlexGrid::AddItem(const std::string& text) {
    const int old = Rows();
    shape_->Resize(old, old + 1, [&] {
        cells_.emplace_back(static_cast<std::size_t>(cols_));
        cells_.back()[0].text = text;
        rowHeights_.push_back(kDefaultRowHeight);
    });
    ApplySizes(old, cols_);
    if (redraw_) viewport()->update();
}

void QtFlexGrid::Clear() {
    for (auto& row : cells_) std::fill(row.begin(), row.end(), Cell{});
    if (redraw_) viewport()->update();
}

Colour QtFlexGrid::CellBackColor(int row, int col) const {
    return At(row, col).back.value_or(row == 0 ? backColorFixed_ : backColor_);
}

Colour QtFlexGrid::CellForeColor(int row, int col) const { return At(row, col).fore.value_or(0); }

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
    const Cell& cell = At(row, col);
    const bool fixed = row == 0;
    const bool current = !fixed && row == row_ && col == col_;
    painter.save();
    painter.fillRect(rect, ToQColor(current ? backColorSel_ : CellBackColor(row, col)));

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
    const Cell& c = At(cell->first, cell->second);
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
    if (dropTarget_.first >= 1 && dropTarget_.first < Rows() && dropTarget_.second >= 0 && dropTarget_.second < cols_) {
        QPainter painter(viewport());
        painter.setPen(QPen(palette().color(QPalette::Highlight), 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(CellRect(dropTarget_.first, dropTarget_.second).adjusted(1, 1, -2, -2));
    }
    const int band = FixedRowBand();
    if (band == 0) return;
    QPainter painter(viewport());
    for (int col = 0; col < cols_; ++col) {
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

void QtFlexGrid::mousePressEvent(QMouseEvent* e) {
    doubleClick_ = false;
    pressed_ = e->button();
    if (focusPolicy() & Qt::ClickFocus) setFocus(Qt::MouseFocusReason);
    if (OnFixedRow(e->position().toPoint())) {
        pressed_ = Qt::NoButton;
        return;
    }
    if (e->button() != Qt::LeftButton) return;
    const auto cell = CellAt(e->position().toPoint());
    if (cell && cell->first >= 1) MoveTo(cell->first, cell->second);
}

void QtFlexGrid::mouseDoubleClickEvent(QMouseEvent* e) {
    if (OnFixedRow(e->position().toPoint())) return;
    pressed_ = e->button();
    doubleClick_ = true;
    if (e->button() == Qt::LeftButton && events.DblClick) events.DblClick();
}

void QtFlexGrid::mouseReleaseEvent(QMouseEvent* e) {
    const Qt::MouseButton button = e->button();
    const bool click = pressed_ == button && !doubleClick_;
    pressed_ = Qt::NoButton;
    doubleClick_ = false;
    const int code = button == Qt::LeftButton ? 1 : button == Qt::RightButton ? 2 : button == Qt::MiddleButton ? 4 : 0;
    if (code == 0) return;
    const QPointF at = viewport()->mapTo(this, e->position().toPoint());
    QPointer<QtFlexGrid> self(this);
    if (events.MouseUp)
        events.MouseUp(code, ShiftState(e->modifiers()), ToTwipsX(this, at.x()), ToTwipsY(this, at.y()));
    if (!self) return;
    if (click && code != 4 && events.Click) events.Click();
}

void QtFlexGrid::mouseMoveEvent(QMouseEvent*) {
    // No selection of ranges: moving with the button down changes nothing.
}

void QtFlexGrid::keyPressEvent(QKeyEvent* e) {
    // A host may leave Redraw off; the keys still move from the current cell.
    Flush();
    int keyCode = VirtualKeyCode(e->key());
    if (keyCode != 0 && events.KeyDown) {
        QPointer<QtFlexGrid> self(this);
        events.KeyDown(keyCode, ShiftState(e->modifiers()));
        if (!self) return;
        if (keyCode == 0) {
            e->accept();
            return;
        }
    }
    int code = CharacterCode(e->key(), e->text());
    if (code != 0 && events.KeyPress) {
        QPointer<QtFlexGrid> self(this);
        events.KeyPress(code);
        if (!self) return;
    }
    if (code != 0) {
        // Characters are the handler's; the grid has no use for them.
        e->accept();
        return;
    }
    QTableView::keyPressEvent(e);
}

QModelIndex QtFlexGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex current = shape_->index(row_, col_);
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
