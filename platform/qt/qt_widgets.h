#pragma once
// The control's other child widgets over Qt Widgets. Each is the Qt widget
// and the interface object at once, placed in twips in its container.
// Focus notifications (GotFocus, Validate, LostFocus) are posted; events
// that report a change of the widget's own state are raised synchronously.
#include <QComboBox>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QToolBar>
#include <QWindow>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "agendor/platform/qt/qt_common.h"
#include "agendor/platform/widgets.h"

class QAction;

namespace agendor::qt {

class QtLabel final : public QLabel, public Placed<Label> {
public:
    explicit QtLabel(QWidget* parent);
    std::string Caption() const override { return S(text()); }
    void SetCaption(const std::string& text) override { setText(Q(text)); }
};

class QtFrame final : public QFrame, public Placed<Frame> {
public:
    explicit QtFrame(QWidget* parent);
};

// A one-line text box. It shows its text; typing into it is the host's
// business, the control only writes it.
class QtTextBox final : public QLineEdit, public Placed<TextBox> {
public:
    explicit QtTextBox(QWidget* parent);
    std::string Text() const override { return S(text()); }
    void SetText(const std::string& text) override;
    void SetToolTip(const std::string& text) override { setToolTip(Q(text)); }

protected:
    void focusInEvent(QFocusEvent* e) override;

private:
    FocusNotifier focus_{this};
};

// Validate before the focus leaves an edit widget. Qt moves the focus first
// and tells afterwards, so a click elsewhere would already have acted (a
// cell of the day grid opened, a button pressed) by the time a posted
// Validate could refuse. While the widget holds the focus the gate sees the
// mouse presses of its window before Qt does: one that would move the focus
// to another widget asks Validate at once, and a refusal swallows the press
// and its release, so the focus really stays. Tab is asked the same way by
// the widget itself (Refuses). A focus move the gate let pass is not asked
// again when the focus-out notification arrives.
class ValidateGate final : public QObject {
public:
    ValidateGate(QWidget* owner, EditEvents& events);
    void Arm();
    void Disarm();
    // For a Tab or Backtab key: true when Validate refuses (swallow the key).
    bool Refuses();
    // The posted Validate of a focus-out: whether it keeps the focus.
    bool ValidateFocusOut();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    bool Ask();
    QWidget* FocusTargetAt(QWindow* window, QPointF position) const;

    QWidget* owner_;
    EditEvents& events_;
    QPointer<QWindow> window_;
    bool validated_ = false;
    bool swallowRelease_ = false;
};

bool IsTabKey(const QKeyEvent* e);

// Shared key handling of the edit widgets: KeyDown with the virtual key
// code, then KeyPress with the character code (0 swallows the key). Returns
// false when the widget should not see the key any more.
bool DeliverKey(QWidget* self, EditEvents& events, QKeyEvent* e);

// The masked edit box over a QLineEdit input mask: '#' of the mask is a
// digit place, every other character a literal; the prompt character shows
// the empty places. Text() is the shown text, literals and prompts included.
class QtMaskedEdit final : public QLineEdit, public Placed<MaskedEdit> {
public:
    explicit QtMaskedEdit(QWidget* parent);
    std::string Text() const override;
    // A text that fits the mask (digits or prompt characters in the places,
    // the literals in theirs), or the empty text; else Error.
    void SetText(const std::string& text) override;
    void SetMask(const std::string& mask) override;
    void SetFormat(const std::string& format) override { format_ = format; }
    void SetPromptChar(char prompt) override;

    const std::string& Mask() const { return mask_; }

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void ApplyMask();
    std::string mask_;
    std::string format_;
    char prompt_ = '_';
    FocusNotifier focus_{this};
    ValidateGate gate_{this, events};
};

// The editable combo box. ListIndex is the entry whose text the box holds
// (the chosen one, else the first with that exact text), else -1. Typing
// completes from the list. Click follows the user's choice of an entry
// (also by the arrow keys); typing Enter adds nothing to the list.
class QtComboBox final : public QComboBox, public Placed<ComboBox> {
public:
    explicit QtComboBox(QWidget* parent);
    std::string Text() const override { return S(currentText()); }
    void SetText(const std::string& text) override;
    // Leaves the text and ListIndex as they are: Qt would make the first
    // entry of an empty list current, a person nobody chose.
    void AddItem(const std::string& item) override;
    void Clear() override;
    int ListCount() const override { return count(); }
    std::string List(int index) const override;
    int ListIndex() const override;
    void SetListIndex(int index) override;

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    // A person's keys arrive here, at the focus widget, and the combo box
    // hands them to its line edit directly, past the event filter.
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    FocusNotifier focus_{this};
    ValidateGate gate_{this, events};
};

// The 16 x 16 pictures of ImageList1 (1 delete, 2 add, 3 week, 4 month,
// 5 back, 6 forward, 7 print, 8 save), drawn for this control.
QIcon ToolbarImage(int image);
constexpr int kToolbarImageCount = 8;

class QtToolbar final : public QToolBar, public Placed<Toolbar> {
public:
    QtToolbar(QWidget* parent, std::vector<ToolbarButton> buttons);
    int ButtonCount() const override { return static_cast<int>(buttons_.size()); }
    ToolbarButton Button(int index) const override;
    void SetButton(int index, const ToolbarButton& button) override;
    void SetButtonPressed(int index, bool v) override;
    // The focus goes to the first button shown, enabled and reachable by
    // Tab, where it shows; without one, to the bar.
    void SetFocus() override;

    QAction* Action(int index) const;
    // The button's widget, for clicks in tests.
    QWidget* ButtonWidget(int index) const;

protected:
    void OnPlaced() override;

private:
    std::size_t Slot(int index) const;
    void Apply(std::size_t slot);
    void Clicked(std::size_t slot);

    std::vector<ToolbarButton> buttons_;
    std::vector<QAction*> actions_;
};

// The popup menu over QMenu. Popup returns once the menu is closed and the
// chosen item's ItemClick has run. A test or a headless host may answer the
// menu instead of a person (SetChooser).
class QtPopupMenu final : public PopupMenu {
public:
    QtPopupMenu(QWidget* owner, std::vector<MenuItem> items);
    ~QtPopupMenu() override;
    int ItemCount() const override { return static_cast<int>(items_.size()); }
    MenuItem Item(int index) const override;
    void SetItemVisible(int index, bool visible) override;
    void SetItemCaption(int index, const std::string& caption) override;
    void Popup(Twips x, Twips y) override;

    QMenu& Menu() { return *menu_; }
    // Called instead of opening the menu; returns the chosen index or 0.
    void SetChooser(std::function<int(QtPopupMenu&)> chooser) { chooser_ = std::move(chooser); }
    int PopupCount() const { return popups_; }

private:
    std::size_t Slot(int index) const;
    QWidget* owner_;
    std::unique_ptr<QMenu> menu_;
    std::vector<MenuItem> items_;
    std::vector<QAction*> actions_;
    std::function<int(QtPopupMenu&)> chooser_;
    int popups_ = 0;
};

// A timer that ticks after each interval while it is enabled.
class QtTimer final : public Timer {
public:
    explicit QtTimer(int intervalMilliseconds);
    bool Enabled() const override { return timer_.isActive(); }
    void SetEnabled(bool enabled) override;
    int Interval() const override { return timer_.interval(); }
    void SetInterval(int milliseconds) override;

private:
    QTimer timer_;
};

} // namespace agendor::qt
