#include "agendor/platform/qt/qt_widgets.h"

#include <QAbstractItemView>
#include <QAbstractListModel>
#include <QAction>
#include <QApplication>
#include <QCompleter>
#include <QFocusEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

#include <algorithm>

#include "agendor/platform/qt/qt_font.h"

namespace agendor::qt {

// ---------------------------------------------------------------- Label, Frame

QtLabel::QtLabel(QWidget* parent) : QLabel(parent), Placed<Label>(this) {
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setTextFormat(Qt::PlainText);
}

QtFrame::QtFrame(QWidget* parent) : QFrame(parent), Placed<Frame>(this) { setFrameShape(QFrame::NoFrame); }

// ---------------------------------------------------------------- TextBox

QtTextBox::QtTextBox(QWidget* parent) : QLineEdit(parent), Placed<TextBox>(this) {
    setReadOnly(true);
    setFrame(false);
    setFocusPolicy(Qt::ClickFocus);
}

void QtTextBox::SetText(const std::string& text) {
    setText(Q(text));
    setCursorPosition(0);
}

void QtTextBox::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    focus_.FocusIn(e->reason(), [this] {
        if (GotFocus) GotFocus();
    });
}

// ---------------------------------------------------------------- Validate

ValidateGate::ValidateGate(QWidget* owner, EditEvents& events) : QObject(owner), owner_(owner), events_(events) {}

void ValidateGate::Arm() {
    // A focus move that was validated already keeps that answer until its
    // posted notification arrives, even when the widget has the focus back
    // by then (a click that opened it again): asked then, Validate would
    // judge the new content.
    Disarm();
    window_ = owner_->window()->windowHandle();
    if (window_) window_->installEventFilter(this);
}

void ValidateGate::Disarm() {
    if (window_) window_->removeEventFilter(this);
    window_ = nullptr;
}

bool ValidateGate::Ask() {
    bool cancel = false;
    if (events_.Validate) events_.Validate(cancel);
    return cancel;
}

bool ValidateGate::Refuses() {
    if (Ask()) return true;
    validated_ = true;
    return false;
}

bool ValidateGate::ValidateFocusOut() {
    if (validated_) {
        validated_ = false;
        return false;
    }
    // A widget hidden under the focus is not asked: nothing it showed is
    // left to check.
    if (owner_->isHidden()) return false;
    return Ask();
}

// The widget a press at position would give the focus to, as Qt picks it:
// the first enabled widget up from the one under the mouse that takes the
// focus by click, within the window.
QWidget* ValidateGate::FocusTargetAt(QWindow* window, QPointF position) const {
    QWidget* top = owner_->window();
    if (!top || top->windowHandle() != window) return nullptr;
    QWidget* under = top->childAt(position.toPoint());
    if (!under) under = top;
    for (QWidget* w = under; w; w = w->parentWidget()) {
        if (w->isEnabled() && (w->focusPolicy() & Qt::ClickFocus)) {
            while (w->focusProxy()) w = w->focusProxy();
            return w;
        }
        if (w->isWindow()) break;
    }
    return nullptr;
}

bool ValidateGate::eventFilter(QObject* watched, QEvent* e) {
    const QEvent::Type type = e->type();
    if (type == QEvent::MouseButtonRelease && swallowRelease_) {
        swallowRelease_ = false;
        return true;
    }
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick) return false;
    auto* window = qobject_cast<QWindow*>(watched);
    if (!window || !owner_->hasFocus()) return false;
    QWidget* target = FocusTargetAt(window, static_cast<QMouseEvent*>(e)->position());
    if (!target || target == owner_ || owner_->isAncestorOf(target)) return false;
    if (Ask()) {
        swallowRelease_ = true;
        return true;
    }
    validated_ = true;
    return false;
}

bool IsTabKey(const QKeyEvent* e) {
    return (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab) &&
           !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

// ---------------------------------------------------------------- keys

bool DeliverKey(QWidget* self, EditEvents& events, QKeyEvent* e) {
    QPointer<QWidget> alive(self);
    const int keyCode = VirtualKeyCode(e->key());
    if (keyCode != 0 && events.KeyDown) {
        events.KeyDown(keyCode, ShiftState(e->modifiers()));
        if (!alive) return false;
    }
    int code = CharacterCode(e->key(), e->text());
    if (code != 0 && events.KeyPress) {
        events.KeyPress(code);
        if (!alive) return false;
        if (code == 0) {
            e->accept();
            return false;
        }
    }
    // A handler that hid the widget has taken the key.
    return !self->isHidden();
}

// ---------------------------------------------------------------- MaskedEdit

QtMaskedEdit::QtMaskedEdit(QWidget* parent) : QLineEdit(parent), Placed<MaskedEdit>(this) {
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (events.Change) events.Change();
    });
}

void QtMaskedEdit::ApplyMask() {
    if (mask_.empty()) {
        setInputMask(QString());
        return;
    }
    QString qtMask;
    for (char c : mask_) {
        if (c == '#') {
            qtMask += QLatin1Char('9');
        } else {
            // Every other character stands for itself.
            qtMask += QLatin1Char('\\');
            qtMask += QLatin1Char(c);
        }
    }
    qtMask += QLatin1Char(';');
    qtMask += QLatin1Char(prompt_);
    setInputMask(qtMask);
}

void QtMaskedEdit::SetMask(const std::string& mask) {
    mask_ = mask;
    ApplyMask();
}

void QtMaskedEdit::SetPromptChar(char prompt) {
    prompt_ = prompt;
    ApplyMask();
}

std::string QtMaskedEdit::Text() const {
    if (mask_.empty()) return S(text());
    return S(displayText());
}

void QtMaskedEdit::SetText(const std::string& text) {
    if (mask_.empty()) {
        setText(Q(text));
        return;
    }
    if (text.empty()) {
        clear();
        setCursorPosition(0);
        return;
    }
    if (text.size() != mask_.size()) throw Error(kInvalidPropertyValue);
    QString places;
    for (std::size_t i = 0; i < mask_.size(); ++i) {
        const char m = mask_[i], c = text[i];
        if (m == '#') {
            if (c == prompt_) places += QLatin1Char(' ');
            else if (c >= '0' && c <= '9') places += QLatin1Char(c);
            else throw Error(kInvalidPropertyValue);
        } else if (c != m) {
            throw Error(kInvalidPropertyValue);
        } else {
            places += QLatin1Char(c);
        }
    }
    setText(places);
    setCursorPosition(0);
}

bool QtMaskedEdit::event(QEvent* e) {
    if (e->type() == QEvent::KeyPress && IsTabKey(static_cast<QKeyEvent*>(e)) && gate_.Refuses()) {
        e->accept();
        return true;
    }
    return QLineEdit::event(e);
}

void QtMaskedEdit::keyPressEvent(QKeyEvent* e) {
    if (!DeliverKey(this, events, e)) return;
    const int key = e->key();
    // Enter and Esc are the handler's; they must not reach a dialog's buttons.
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void QtMaskedEdit::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    gate_.Arm();
    focus_.FocusIn(e->reason(), events);
}

void QtMaskedEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    if (e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason) return;
    gate_.Disarm();
    focus_.FocusOut(e->reason(), [this] { return gate_.ValidateFocusOut(); },
                    [this] {
                        if (events.LostFocus) events.LostFocus();
                    });
}

// ---------------------------------------------------------------- ComboBox

// The person box's entries as a plain list of texts: appending many is one
// model update, and no item object is made per entry.
class EntryModel final : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : texts_.size(); }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= texts_.size()) return {};
        if (role == Qt::DisplayRole || role == Qt::EditRole) return texts_[index.row()];
        return {};
    }
    void Append(QStringList& texts) {
        if (texts.isEmpty()) return;
        beginInsertRows({}, texts_.size(), texts_.size() + texts.size() - 1);
        texts_.append(texts);
        texts.clear();
        endInsertRows();
    }
    void Clear() {
        beginResetModel();
        texts_.clear();
        endResetModel();
    }

private:
    QStringList texts_;
};

QtComboBox::QtComboBox(QWidget* parent)
    : QComboBox(parent), Placed<ComboBox>(this), entries_(new EntryModel(this)) {
    setModel(entries_);
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Typing completes from the list, in place.
    if (QCompleter* completer = this->completer()) {
        completer->setCompletionMode(QCompleter::InlineCompletion);
        completer->setCaseSensitivity(Qt::CaseInsensitive);
    }
    lineEdit()->installEventFilter(this);
    connect(this, &QComboBox::activated, this, [this] {
        if (Click) Click();
    });
    connect(this, &QComboBox::editTextChanged, this, [this] {
        if (events.Change) events.Change();
    });
}

void QtComboBox::AddItem(const std::string& item) {
    // What a person sees and types into is complete by the next turn of
    // the event loop at the latest.
    if (pending_.isEmpty()) QTimer::singleShot(0, this, [this] { Flush(); });
    pending_.append(Q(item));
}

void QtComboBox::Flush() const {
    if (pending_.isEmpty()) return;
    auto* self = const_cast<QtComboBox*>(this);
    if (currentIndex() >= 0) {
        entries_->Append(pending_);
        return;
    }
    // Qt makes the first entry of an empty list current: a person nobody
    // chose. The box keeps what it showed.
    const QString text = currentText();
    const QSignalBlocker quiet(self);
    entries_->Append(pending_);
    if (currentIndex() >= 0) self->setCurrentIndex(-1);
    if (currentText() != text) self->setEditText(text);
}

int QtComboBox::ListCount() const {
    Flush();
    return count();
}

void QtComboBox::showPopup() {
    Flush();
    const QString text = currentText();
    QComboBox::showPopup();
    // The list opens on the first entry the typed text begins, as the
    // completion matches it: shown, not chosen. The box's text and entry
    // stay until the person picks one.
    if (text.isEmpty()) return;
    const QModelIndexList found =
        model()->match(model()->index(0, modelColumn()), Qt::DisplayRole, text, 1, Qt::MatchStartsWith);
    if (found.isEmpty()) return;
    view()->selectionModel()->setCurrentIndex(found.first(), QItemSelectionModel::ClearAndSelect);
    view()->scrollTo(found.first());
}

void QtComboBox::SetText(const std::string& text) {
    Flush();
    const QString t = Q(text);
    const int found = findText(t, Qt::MatchExactly | Qt::MatchCaseSensitive);
    setCurrentIndex(found);
    setEditText(t);
}

void QtComboBox::Clear() {
    pending_.clear();
    entries_->Clear();
    clearEditText();
}

std::string QtComboBox::List(int index) const {
    Flush();
    if (index < 0 || index >= count()) throw Error(kInvalidCall);
    return S(itemText(index));
}

int QtComboBox::ListIndex() const {
    Flush();
    const int index = currentIndex();
    if (index >= 0 && itemText(index) == currentText()) return index;
    // A name typed (or completed) in full names that entry.
    return findText(currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void QtComboBox::SetListIndex(int index) {
    Flush();
    if (index < -1 || index >= count()) throw Error(kInvalidCall);
    if (index == -1) {
        const QString text = currentText();
        setCurrentIndex(-1);
        setEditText(text);
        return;
    }
    setCurrentIndex(index);
}

bool QtComboBox::event(QEvent* e) {
    if (e->type() == QEvent::KeyPress && IsTabKey(static_cast<QKeyEvent*>(e)) && gate_.Refuses()) {
        e->accept();
        return true;
    }
    return QComboBox::event(e);
}

bool QtComboBox::eventFilter(QObject* watched, QEvent* e) {
    if (watched == lineEdit() && e->type() == QEvent::KeyPress) {
        // Completion reads the list.
        Flush();
        if (IsTabKey(static_cast<QKeyEvent*>(e)) && gate_.Refuses()) return true;
    }
    return QComboBox::eventFilter(watched, e);
}

void QtComboBox::keyPressEvent(QKeyEvent* e) {
    Flush();
    // A person's keys arrive here, not at the line edit inside: the box is
    // the focus widget and hands the line edit each key itself, past any
    // filter. A key sent to the line edit directly that it does not use
    // (Enter, Esc) comes here the same way.
    if (!DeliverKey(this, events, e)) return;
    const int k = e->key();
    // Enter and Esc are the handler's; they must not reach a dialog's buttons.
    if (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QComboBox::keyPressEvent(e);
}

void QtComboBox::focusInEvent(QFocusEvent* e) {
    Flush();
    QComboBox::focusInEvent(e);
    gate_.Arm();
    focus_.FocusIn(e->reason(), events);
}

void QtComboBox::focusOutEvent(QFocusEvent* e) {
    // The focus goes into the box's own list as it opens (twice: to the
    // popup, then to its view): the box still has the person's attention.
    // Neither the core nor the line edit may take that as leaving: the line
    // edit would report its editing finished, and Qt then makes the entry
    // the text names current and reports it activated, choosing a person
    // nobody chose and closing the list as it opens.
    if (QApplication::activePopupWidget() == view()->window()) {
        update();
        return;
    }
    QComboBox::focusOutEvent(e);
    if (e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason) return;
    gate_.Disarm();
    focus_.FocusOut(e->reason(), [this] { return gate_.ValidateFocusOut(); },
                    [this] {
                        if (events.LostFocus) events.LostFocus();
                    });
}

// ---------------------------------------------------------------- Toolbar

QtToolbar::QtToolbar(QWidget* parent, std::vector<ToolbarButton> buttons)
    : QToolBar(parent), Placed<Toolbar>(this), buttons_(std::move(buttons)) {
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(16, 16));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setContentsMargins(0, 0, 0, 0);
    layout()->setContentsMargins(0, 0, 0, 0);
    layout()->setSpacing(0);
    // A click on a button leaves the focus where it is.
    setFocusPolicy(Qt::NoFocus);
    for (std::size_t slot = 0; slot < buttons_.size(); ++slot) {
        QAction* action = addAction(QString());
        connect(action, &QAction::triggered, this, [this, slot] { Clicked(slot); });
        actions_.push_back(action);
        if (QWidget* w = widgetForAction(action)) w->setFocusPolicy(Qt::NoFocus);
        Apply(slot);
    }
}

std::size_t QtToolbar::Slot(int index) const {
    if (index < 1 || index > ButtonCount()) throw Error("Index außerhalb des gültigen Bereichs");
    return static_cast<std::size_t>(index - 1);
}

ToolbarButton QtToolbar::Button(int index) const { return buttons_[Slot(index)]; }

void QtToolbar::SetButton(int index, const ToolbarButton& button) {
    const std::size_t slot = Slot(index);
    buttons_[slot] = button;
    if (button.grouped && button.pressed) {
        for (std::size_t other = 0; other < buttons_.size(); ++other) {
            if (other != slot && buttons_[other].grouped && buttons_[other].pressed) {
                buttons_[other].pressed = false;
                Apply(other);
            }
        }
    }
    Apply(slot);
}

void QtToolbar::SetButtonPressed(int index, bool v) {
    ToolbarButton b = Button(index);
    b.pressed = v;
    SetButton(index, b);
}

void QtToolbar::SetFocus() {
    const QWidget* top = window();
    if (isHidden() || !isEnabled() || (top != this && !isVisibleTo(top))) throw Error(kInvalidCall);
    for (QAction* action : actions_) {
        QWidget* button = widgetForAction(action);
        if (action->isVisible() && action->isEnabled() && button && (button->focusPolicy() & Qt::TabFocus)) {
            button->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    // No button to take it (Add is off while a change is stored): the bar
    // itself, whose keys the control's keyboard path handles.
    setFocus(Qt::OtherFocusReason);
}

QAction* QtToolbar::Action(int index) const { return actions_[Slot(index)]; }

QWidget* QtToolbar::ButtonWidget(int index) const { return widgetForAction(Action(index)); }

void QtToolbar::Apply(std::size_t slot) {
    const ToolbarButton& b = buttons_[slot];
    QAction* action = actions_[slot];
    const QSignalBlocker block(action);
    action->setIcon(b.image > 0 ? ToolbarImage(b.image) : QIcon());
    action->setToolTip(Q(b.toolTip));
    action->setText(Q(b.toolTip.empty() ? b.key : b.toolTip));
    action->setCheckable(b.grouped || b.pressed);
    action->setChecked(b.pressed);
    action->setEnabled(b.enabled);
    action->setVisible(b.visible);
}

void QtToolbar::Clicked(std::size_t slot) {
    if (buttons_[slot].grouped) {
        // A grouped button stays pressed when clicked again.
        SetButtonPressed(static_cast<int>(slot) + 1, true);
    } else {
        Apply(slot);
    }
    if (ButtonClick) ButtonClick(static_cast<int>(slot) + 1);
}

void QtToolbar::OnPlaced() {
    // Buttons fill the bar's height; the width follows the 16-pixel pictures.
    const int h = std::max(16, height());
    for (QAction* action : actions_) {
        if (QWidget* w = widgetForAction(action)) w->setFixedSize(std::min(h + 1, 24), h);
    }
}

// ---------------------------------------------------------------- PopupMenu

namespace {

// "-" is a separator. It carries no text: a style draws a separator's text
// as a section title, and the menu read "-" beside the line.
void ShowCaption(QAction* action, const std::string& caption) {
    const bool separator = caption == "-";
    action->setSeparator(separator);
    action->setText(separator ? QString() : Q(caption));
}

} // namespace

QtPopupMenu::QtPopupMenu(QWidget* owner, std::vector<MenuItem> items)
    : owner_(owner), menu_(std::make_unique<QMenu>()), items_(std::move(items)) {
    for (const MenuItem& item : items_) {
        QAction* action = menu_->addAction(QString());
        ShowCaption(action, item.caption);
        action->setVisible(item.visible);
        actions_.push_back(action);
    }
}

QtPopupMenu::~QtPopupMenu() = default;

std::size_t QtPopupMenu::Slot(int index) const {
    if (index < 1 || index > ItemCount()) throw Error("Index außerhalb des gültigen Bereichs");
    return static_cast<std::size_t>(index - 1);
}

MenuItem QtPopupMenu::Item(int index) const { return items_[Slot(index)]; }

void QtPopupMenu::SetItemVisible(int index, bool visible) {
    const std::size_t slot = Slot(index);
    items_[slot].visible = visible;
    actions_[slot]->setVisible(visible);
}

void QtPopupMenu::SetItemCaption(int index, const std::string& caption) {
    const std::size_t slot = Slot(index);
    items_[slot].caption = caption;
    ShowCaption(actions_[slot], caption);
}

void QtPopupMenu::Popup(Twips x, Twips y) {
    ++popups_;
    int chosen = 0;
    if (chooser_) {
        chosen = chooser_(*this);
    } else {
        const QPoint at = owner_->mapToGlobal(QPoint(ToPixelsX(owner_, x), ToPixelsY(owner_, y)));
        // A choice made by keyboard or by code reaches triggered; exec
        // returns only what the mouse released on.
        QAction* triggered = nullptr;
        const auto connection =
            QObject::connect(menu_.get(), &QMenu::triggered, [&triggered](QAction* a) { triggered = a; });
        QAction* action = menu_->exec(at);
        QObject::disconnect(connection);
        if (!action) action = triggered;
        auto it = std::find(actions_.begin(), actions_.end(), action);
        if (it != actions_.end()) chosen = static_cast<int>(it - actions_.begin()) + 1;
    }
    if (chosen < 1 || chosen > ItemCount()) return;
    const MenuItem& item = items_[static_cast<std::size_t>(chosen - 1)];
    if (!item.visible || item.caption == "-") return;
    if (ItemClick) ItemClick(chosen);
}

// ---------------------------------------------------------------- Timer

QtTimer::QtTimer(int intervalMilliseconds) {
    timer_.setInterval(std::max(0, intervalMilliseconds));
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
        if (Tick) Tick();
    });
}

void QtTimer::SetEnabled(bool enabled) {
    if (enabled) timer_.start();
    else timer_.stop();
}

void QtTimer::SetInterval(int milliseconds) {
    if (milliseconds < 0) throw Error(kInvalidPropertyValue);
    const bool running = timer_.isActive();
    timer_.setInterval(milliseconds);
    if (running) timer_.start();
}

} // namespace agendor::qt
