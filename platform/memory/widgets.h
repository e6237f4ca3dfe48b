#pragma once
// The child widgets in memory. They behave like the desktop widgets in the
// ways the control can observe:
//
// - Focus notifications are posted, not raised inside the call that causes
//   them. SetFocus and hiding the focused widget queue a focus move on the
//   widgets' shared WidgetContext; ProcessEvents (the message loop going
//   idle) carries the moves out: Validate of the widget that holds the
//   focus (Cancel keeps it there), then its LostFocus, then GotFocus of the
//   new one. Every User... helper runs ProcessEvents before it returns, so a
//   commit started by a key is finished before the LostFocus it causes
//   arrives, as on the desktop.
// - A user's click that takes the focus is asked of Validate at once (a
//   refusal swallows the click); then the focus moves, the click itself is
//   handled, and only then do LostFocus and GotFocus arrive, as Qt delivers
//   a press and release that come together. The click is handled even when
//   Validate or a handler moved the focus elsewhere meanwhile.
// - Hiding the focused widget gives the focus at once to the next widget of
//   the tab chain (the edit boxes and grids in the order they were made)
//   that can take it; its LostFocus and the other's GotFocus are posted, and
//   Validate is not asked, as nothing it showed is left to check.
// - Events that the widget raises on a change of its own state (EnterCell,
//   Change) are raised synchronously from inside the call, so a handler
//   re-enters its caller.
//
// Misuse of the simulation helpers (clicking a hidden widget, choosing an
// invisible menu item) raises std::logic_error, which no error trap of the
// control takes for a platform failure.
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "agendor/platform/widgets.h"

namespace agendor::memory {

class MemoryWidget;

// What the widgets of one surface share: the focus, the stacking counter and
// the queue of posted notifications.
class WidgetContext {
public:
    MemoryWidget* Focused() const { return focused_; }
    // The next stacking value; later values lie in front.
    long NextZ() { return ++zCounter_; }

    // Queues a focus move to target (nullptr: no widget keeps the focus).
    void PostFocus(MemoryWidget* target);
    // Queues the loss of the focus by widget if it still holds it then.
    void PostFocusLoss(MemoryWidget* widget);
    // A user's click on target: Validate of the focused widget now (false
    // when it refuses), then the focus is target's at once, with LostFocus
    // and GotFocus queued behind whatever the click raises.
    bool Take(MemoryWidget* target);
    // Queues any other notification.
    void Post(std::function<void()> notification);
    bool HasPendingEvents() const { return !pending_.empty(); }
    // Delivers the queued notifications in order, including those that
    // handlers queue meanwhile. Raises std::logic_error after 10000
    // notifications in one call (handlers that keep moving the focus).
    void ProcessEvents();
    // A widget going away: it neither holds nor receives the focus any more.
    void Forget(MemoryWidget* widget);
    // A widget made: it joins the tab chain when tabStop.
    void Register(MemoryWidget* widget) { chain_.push_back(widget); }
    // The focused widget is hidden: the next tab stop after it takes the
    // focus (none when there is none).
    void FocusNextAfterHiding();
    // The user presses Tab: a click on the next tab stop that can take the
    // focus, then the notifications. False when Validate refused.
    bool UserTab();
    // Focus moves that Validate refused, for tests.
    int RefusedFocusMoves() const { return refused_; }

private:
    struct Pending {
        enum Kind { Move, Loss, Lost, Got, Other } kind;
        MemoryWidget* widget;
        std::function<void()> notification;
    };
    void Move(MemoryWidget* target);
    MemoryWidget* NextTabStop(MemoryWidget* from) const;

    MemoryWidget* focused_ = nullptr;
    long zCounter_ = 0;
    int refused_ = 0;
    std::deque<Pending> pending_;
    std::vector<MemoryWidget*> chain_;  // in the order made
};

struct Placement {
    Twips left = 0, top = 0, width = 0, height = 0;
};

// Placement, visibility, enabled state, focus and stacking of one widget.
// Concrete: the marker picture boxes are plain MemoryWidgets.
class MemoryWidget : public virtual Widget {
public:
    // container: the widget this one lies in (its visibility counts for
    // focus), or nullptr for the control's surface.
    MemoryWidget(std::shared_ptr<WidgetContext> context, std::string name, Placement placement, bool visible,
                 MemoryWidget* container = nullptr);
    MemoryWidget(const MemoryWidget&) = delete;
    MemoryWidget& operator=(const MemoryWidget&) = delete;
    ~MemoryWidget() override;

    Twips Left() const override { return placement_.left; }
    Twips Top() const override { return placement_.top; }
    Twips Width() const override { return placement_.width; }
    Twips Height() const override { return placement_.height; }
    void SetLeft(Twips v) override { placement_.left = v; }
    void SetTop(Twips v) override { placement_.top = v; }
    // Raise Error "Ungültiger Eigenschaftswert" for negative sizes.
    void SetWidth(Twips v) override;
    void SetHeight(Twips v) override;
    bool Visible() const override { return visible_; }
    void SetVisible(bool v) override;
    // Raises Error "Ungültiger Prozeduraufruf oder ungültiges Argument" when
    // the widget or its container is hidden or disabled; otherwise posts the
    // focus move.
    void SetFocus() override;
    void ZOrder() override { z_ = context_->NextZ(); }

    // For tests.
    const std::string& Name() const { return name_; }
    long z() const { return z_; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool HasFocus() const { return context_->Focused() == this; }
    // Visible and enabled, and so is every container around it.
    bool CanTakeFocus() const;
    bool Shown() const;
    MemoryWidget* Container() const { return container_; }
    WidgetContext& Context() const { return *context_; }
    std::shared_ptr<WidgetContext> SharedContext() const { return context_; }

    // The user clicks into the widget or tabs to it: the focus moves there
    // and the posted notifications are delivered. False when Validate of the
    // previous widget kept the focus. Raises std::logic_error when the
    // widget cannot take the focus.
    bool UserFocus();
    // The focus part of a click: Validate, then the focus moves; the
    // notifications wait for ProcessEvents. False when Validate refused.
    bool TakeFocus();

    // In the tab chain: the edit boxes and grids.
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop) { tabStop_ = tabStop; }

    // Called by WidgetContext when it delivers the focus notifications.
    virtual void OnValidate(bool& /*cancel*/) {}
    virtual void OnGotFocus() {}
    virtual void OnLostFocus() {}

protected:
    void RequireShown(const char* action) const;

private:
    std::shared_ptr<WidgetContext> context_;
    std::string name_;
    Placement placement_;
    bool visible_;
    bool enabled_ = true;
    MemoryWidget* container_;
    long z_;
    bool tabStop_ = false;
};

class MemoryLabel final : public Label, public MemoryWidget {
public:
    MemoryLabel(std::shared_ptr<WidgetContext> context, std::string name, Placement placement, bool visible,
                std::string caption, MemoryWidget* container = nullptr);
    std::string Caption() const override { return caption_; }
    void SetCaption(const std::string& text) override { caption_ = text; }

private:
    std::string caption_;
};

class MemoryFrame final : public Frame, public MemoryWidget {
public:
    using MemoryWidget::MemoryWidget;
};

class MemoryTextBox final : public TextBox, public MemoryWidget {
public:
    MemoryTextBox(std::shared_ptr<WidgetContext> context, std::string name, Placement placement, bool visible,
                  std::string text = {}, std::string toolTip = {});
    std::string Text() const override { return text_; }
    void SetText(const std::string& text) override { text_ = text; }
    void SetToolTip(const std::string& text) override { toolTip_ = text; }
    std::string ToolTip() const { return toolTip_; }
    void OnGotFocus() override {
        if (GotFocus) GotFocus();
    }

private:
    std::string text_;
    std::string toolTip_;
};

// Only '#' (one digit) is a placeholder of the mask; every other mask
// character is a literal. With an empty mask the box takes any text.
class MemoryMaskedEdit final : public MaskedEdit, public MemoryWidget {
public:
    MemoryMaskedEdit(std::shared_ptr<WidgetContext> context, std::string name, Placement placement, bool visible);

    std::string Text() const override { return text_; }
    // Takes a text that fits the mask: as long as the mask, a digit or the
    // prompt character in each '#' place, the literals in their places. The
    // empty text empties every place. Anything else raises Error
    // "Ungültiger Eigenschaftswert". Raises Change when the text changes and
    // puts the caret at the start.
    void SetText(const std::string& text) override;
    // Empties every place.
    void SetMask(const std::string& mask) override;
    void SetFormat(const std::string& format) override { format_ = format; }
    void SetPromptChar(char prompt) override;

    std::string Mask() const { return mask_; }
    std::string Format() const { return format_; }
    char PromptChar() const { return prompt_; }
    // Index of the place the next typed character goes to, [0, mask length].
    std::size_t Caret() const { return caret_; }
    void SetCaret(std::size_t position);

    // Types text at the caret, focusing the box first: each character is
    // offered to KeyPress (0 swallows it); a digit fills the next '#' place,
    // a literal's own character steps over it, other characters are refused.
    // Change follows each accepted character.
    void UserType(const std::string& text);
    // A key that is no character (13 Enter, 27 Esc, ...): KeyDown with the
    // code and shift state, then KeyPress for Enter, Esc and Backspace.
    void UserKey(int keyCode, int shift = 0);

    void OnValidate(bool& cancel) override {
        if (events.Validate) events.Validate(cancel);
    }
    void OnGotFocus() override {
        if (events.GotFocus) events.GotFocus();
    }
    void OnLostFocus() override {
        if (events.LostFocus) events.LostFocus();
    }

private:
    std::string Empty() const;
    void Store(std::string text);

    std::string mask_;
    std::string format_;
    char prompt_ = '_';
    std::string text_;
    std::size_t caret_ = 0;
};

class MemoryComboBox final : public ComboBox, public MemoryWidget {
public:
    MemoryComboBox(std::shared_ptr<WidgetContext> context, std::string name, Placement placement, bool visible);

    std::string Text() const override { return text_; }
    // ListIndex becomes the first entry equal to text, or -1. Raises Change
    // when the text changes.
    void SetText(const std::string& text) override;
    void AddItem(const std::string& item) override { list_.push_back(item); }
    // Empties the list and the text.
    void Clear() override;
    int ListCount() const override { return static_cast<int>(list_.size()); }
    // Raises Error for an index outside the list.
    std::string List(int index) const override;
    int ListIndex() const override { return listIndex_; }
    // -1 ... ListCount() - 1, else Error; takes the entry's text (-1 keeps
    // the text). Raises no Click: only the user's choice does.
    void SetListIndex(int index) override;

    // The user picks list entry index from the drop-down: focus, then the
    // entry's text and index, then Click.
    void UserChoose(int index);
    // Types text at the end of the edit field: KeyPress per character (0
    // swallows it), Change after each accepted one; ListIndex becomes the
    // entry the text now equals, else -1.
    void UserTypeText(const std::string& text);
    void UserKey(int keyCode, int shift = 0);

    void OnValidate(bool& cancel) override {
        if (events.Validate) events.Validate(cancel);
    }
    void OnGotFocus() override {
        if (events.GotFocus) events.GotFocus();
    }
    void OnLostFocus() override {
        if (events.LostFocus) events.LostFocus();
    }

private:
    std::vector<std::string> list_;
    std::string text_;
    int listIndex_ = -1;
};

// A click on a button does not take the focus from the widget that holds it.
class MemoryToolbar final : public Toolbar, public MemoryWidget {
public:
    MemoryToolbar(std::shared_ptr<WidgetContext> context, std::string name, Placement placement, bool visible,
                  std::vector<ToolbarButton> buttons, MemoryWidget* container = nullptr);

    int ButtonCount() const override { return static_cast<int>(buttons_.size()); }
    ToolbarButton Button(int index) const override;
    // Pressing a grouped button this way also releases the rest of its group.
    void SetButton(int index, const ToolbarButton& button) override;
    void SetButtonPressed(int index, bool v) override;

    // The user clicks button index. Raises ButtonClick and returns true only
    // when the toolbar is shown and enabled and the button visible and
    // enabled; a grouped button is pressed first.
    bool UserClickButton(int index);
    int ClickCount() const { return clicks_; }

private:
    std::size_t Slot(int index) const;
    void ReleaseGroupExcept(std::size_t slot);

    std::vector<ToolbarButton> buttons_;
    int clicks_ = 0;
};

class MemoryMarkerArray final : public MarkerArray {
public:
    // The template, element 0, is never shown.
    MemoryMarkerArray(std::shared_ptr<WidgetContext> context, std::string name, Placement templatePlacement);
    int Count() const override;
    // Raises Error "Objekt bereits geladen" for a loaded index and
    // "Ungültiger Prozeduraufruf oder ungültiges Argument" for 0 or below.
    void Load(int index) override;
    // Raises Error for the template ("Zur Entwurfszeit erstellte
    // Steuerelemente können nicht entladen werden.") and for elements not
    // loaded ("Element des Steuerelementdatenfelds existiert nicht").
    void Unload(int index) override;
    Widget& Element(int index) override { return Memory(index); }
    std::string Tag(int index) const override;
    void SetTag(int index, const std::string& tag) override;

    bool IsLoaded(int index) const;
    MemoryWidget& Memory(int index) const;
    // Loaded elements other than the template.
    int LoadedCount() const;
    // The user clicks marker index: raises Click when it is loaded and shown;
    // std::logic_error otherwise.
    void UserClickMarker(int index);

private:
    struct Loaded {
        std::unique_ptr<MemoryWidget> widget;
        std::string tag;
    };
    const Loaded& Find(int index) const;

    std::shared_ptr<WidgetContext> context_;
    std::string name_;
    std::vector<Loaded> elements_;  // index = element number; empty widget: not loaded
};

class MemoryPopupMenu final : public PopupMenu {
public:
    explicit MemoryPopupMenu(std::vector<MenuItem> items);
    int ItemCount() const override { return static_cast<int>(items_.size()); }
    MenuItem Item(int index) const override;
    void SetItemVisible(int index, bool visible) override;
    void SetItemCaption(int index, const std::string& caption) override;
    // Records the position, runs the modal loop (if one is set) and then
    // takes the next queued choice: raises ItemClick(index) for an item, or
    // nothing for a queued 0 or an empty queue (closed without a choice).
    // A queued choice of an invisible item or a separator raises
    // std::logic_error.
    void Popup(Twips x, Twips y) override;

    // The choice the user makes the next time the menu opens; 0 closes it.
    void ChooseNext(int index) { choices_.push_back(index); }
    int PopupCount() const { return popups_; }
    std::optional<std::pair<Twips, Twips>> LastPosition() const { return lastPosition_; }
    // Runs while the menu is open, as the host's message loop would.
    void SetModalLoop(std::function<void()> loop) { modalLoop_ = std::move(loop); }

private:
    std::size_t Slot(int index) const;

    std::vector<MenuItem> items_;
    std::deque<int> choices_;
    int popups_ = 0;
    std::optional<std::pair<Twips, Twips>> lastPosition_;
    std::function<void()> modalLoop_;
};

class MemoryTimer final : public Timer {
public:
    explicit MemoryTimer(int intervalMilliseconds = 0, bool enabled = false,
                         std::shared_ptr<WidgetContext> context = nullptr);
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    int Interval() const override { return interval_; }
    // Raises Error for a negative interval.
    void SetInterval(int milliseconds) override;

    // One interval has passed: raises Tick when enabled, then delivers what
    // the tick posted. Returns whether Tick was raised.
    bool FireTick();
    int TickCount() const { return ticks_; }

private:
    int interval_;
    bool enabled_;
    int ticks_ = 0;
    std::shared_ptr<WidgetContext> context_;
};

inline constexpr const char* kInvalidCall = "Ungültiger Prozeduraufruf oder ungültiges Argument";

} // namespace agendor::memory
