#include "agendor/platform/memory/widgets.h"

#include <algorithm>
#include <stdexcept>

#include "agendor/platform/memory/font.h"
#include "agendor/platform/memory/utf8.h"

namespace agendor::memory {

// ---- WidgetContext

void WidgetContext::PostFocus(MemoryWidget* target) { pending_.push_back({Pending::Move, target, {}}); }

void WidgetContext::PostFocusLoss(MemoryWidget* widget) { pending_.push_back({Pending::Loss, widget, {}}); }

void WidgetContext::Post(std::function<void()> notification) {
    pending_.push_back({Pending::Other, nullptr, std::move(notification)});
}

void WidgetContext::ProcessEvents() {
    for (int delivered = 0; !pending_.empty(); ++delivered) {
        if (delivered == 10000) throw std::logic_error("the widgets' notifications never settle");
        Pending next = std::move(pending_.front());
        pending_.pop_front();
        switch (next.kind) {
        case Pending::Move:
            Move(next.widget);
            break;
        case Pending::Loss:
            if (focused_ == next.widget && next.widget) {
                focused_ = nullptr;
                next.widget->OnLostFocus();
            }
            break;
        case Pending::Lost:
            next.widget->OnLostFocus();
            break;
        case Pending::Got:
            if (focused_ == next.widget) next.widget->OnGotFocus();
            break;
        case Pending::Other:
            if (next.notification) next.notification();
            break;
        }
    }
}

void WidgetContext::Move(MemoryWidget* target) {
    if (target == focused_) return;
    // A request made while the widget could take the focus is void once it
    // cannot any more (hidden again before the loop ran).
    if (target && !target->CanTakeFocus()) return;
    MemoryWidget* previous = focused_;
    if (previous) {
        bool cancel = false;
        previous->OnValidate(cancel);
        if (cancel) {
            ++refused_;
            return;
        }
        // Validate may have moved the focus itself or hidden the target.
        if (focused_ != previous) return;
        if (target && !target->CanTakeFocus()) return;
    }
    focused_ = target;
    if (previous) previous->OnLostFocus();
    if (target && focused_ == target) target->OnGotFocus();
}

bool WidgetContext::Take(MemoryWidget* target) {
    if (target == focused_) return true;
    if (focused_) {
        bool cancel = false;
        focused_->OnValidate(cancel);
        if (cancel) {
            ++refused_;
            return false;
        }
    }
    // Validate may have hidden the target or moved the focus: the press
    // gives it to the widget clicked all the same, when it can take it.
    if (target == focused_ || !target->CanTakeFocus()) return true;
    if (focused_) pending_.push_back({Pending::Lost, focused_, {}});
    focused_ = target;
    pending_.push_back({Pending::Got, target, {}});
    return true;
}

MemoryWidget* WidgetContext::NextTabStop(MemoryWidget* from) const {
    const auto at = std::find(chain_.begin(), chain_.end(), from);
    for (std::size_t i = 1; at != chain_.end() && i < chain_.size(); ++i) {
        MemoryWidget* w = chain_[(static_cast<std::size_t>(at - chain_.begin()) + i) % chain_.size()];
        if (w->TabStop() && w->CanTakeFocus()) return w;
    }
    return nullptr;
}

bool WidgetContext::UserTab() {
    ProcessEvents();
    MemoryWidget* next = NextTabStop(focused_);
    const bool taken = !next || Take(next);
    ProcessEvents();
    return taken;
}

void WidgetContext::FocusNextAfterHiding() {
    MemoryWidget* hidden = focused_;
    MemoryWidget* next = NextTabStop(hidden);
    focused_ = next;
    if (hidden) pending_.push_back({Pending::Lost, hidden, {}});
    if (next) pending_.push_back({Pending::Got, next, {}});
}

void WidgetContext::Forget(MemoryWidget* widget) {
    std::erase(chain_, widget);
    if (focused_ == widget) focused_ = nullptr;
    std::erase_if(pending_, [widget](const Pending& p) { return p.kind != Pending::Other && p.widget == widget; });
}

// ---- MemoryWidget

MemoryWidget::MemoryWidget(std::shared_ptr<WidgetContext> context, std::string name, Placement placement,
                           bool visible, MemoryWidget* container)
    : context_(context ? std::move(context) : std::make_shared<WidgetContext>()),
      name_(std::move(name)),
      placement_(placement),
      visible_(visible),
      container_(container),
      z_(context_->NextZ()) {
    if (placement.width < 0 || placement.height < 0) throw Error(kInvalidPropertyValue);
    context_->Register(this);
}

MemoryWidget::~MemoryWidget() { context_->Forget(this); }

void MemoryWidget::SetWidth(Twips v) {
    if (v < 0) throw Error(kInvalidPropertyValue);
    placement_.width = v;
}

void MemoryWidget::SetHeight(Twips v) {
    if (v < 0) throw Error(kInvalidPropertyValue);
    placement_.height = v;
}

void MemoryWidget::SetVisible(bool v) {
    const bool wasShown = Shown();
    visible_ = v;
    if (wasShown && !Shown()) {
        // The focus leaves this widget or any widget inside it.
        MemoryWidget* focused = context_->Focused();
        for (MemoryWidget* w = focused; w; w = w->container_)
            if (w == this) {
                context_->FocusNextAfterHiding();
                break;
            }
    }
}

void MemoryWidget::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (!enabled && HasFocus()) context_->PostFocusLoss(this);
}

bool MemoryWidget::Shown() const {
    for (const MemoryWidget* w = this; w; w = w->container_)
        if (!w->visible_) return false;
    return true;
}

bool MemoryWidget::CanTakeFocus() const {
    for (const MemoryWidget* w = this; w; w = w->container_)
        if (!w->visible_ || !w->enabled_) return false;
    return true;
}

void MemoryWidget::SetFocus() {
    if (!CanTakeFocus()) throw Error(kInvalidCall);
    context_->PostFocus(this);
}

bool MemoryWidget::UserFocus() {
    if (!TakeFocus()) return false;
    context_->ProcessEvents();
    return HasFocus();
}

bool MemoryWidget::TakeFocus() {
    // What was posted before the user acts has been delivered by then.
    context_->ProcessEvents();
    if (!CanTakeFocus()) throw std::logic_error(name_ + " cannot take the focus");
    return context_->Take(this);
}

void MemoryWidget::RequireShown(const char* action) const {
    if (!CanTakeFocus()) throw std::logic_error(std::string(action) + ": " + name_ + " is hidden or disabled");
}

// ---- Label, TextBox

MemoryLabel::MemoryLabel(std::shared_ptr<WidgetContext> context, std::string name, Placement placement,
                         bool visible, std::string caption, MemoryWidget* container)
    : MemoryWidget(std::move(context), std::move(name), placement, visible, container), caption_(std::move(caption)) {}

MemoryTextBox::MemoryTextBox(std::shared_ptr<WidgetContext> context, std::string name, Placement placement,
                             bool visible, std::string text, std::string toolTip)
    : MemoryWidget(std::move(context), std::move(name), placement, visible),
      text_(std::move(text)),
      toolTip_(std::move(toolTip)) {}

// ---- MaskedEdit

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Raises KeyPress; returns the code the handler left (0: swallowed).
int OfferKey(const EditEvents& events, int code) {
    if (events.KeyPress) events.KeyPress(code);
    return code;
}

void RaiseKey(const EditEvents& events, int keyCode, int shift) {
    if (events.KeyDown) events.KeyDown(keyCode, shift);
    if (keyCode == 13 || keyCode == 27 || keyCode == 8) OfferKey(events, keyCode);
}

} // namespace

MemoryMaskedEdit::MemoryMaskedEdit(std::shared_ptr<WidgetContext> context, std::string name, Placement placement,
                                   bool visible)
    : MemoryWidget(std::move(context), std::move(name), placement, visible) {
    SetTabStop(true);
}

std::string MemoryMaskedEdit::Empty() const {
    std::string empty = mask_;
    for (char& c : empty)
        if (c == '#') c = prompt_;
    return empty;
}

void MemoryMaskedEdit::Store(std::string text) {
    const bool changed = text != text_;
    text_ = std::move(text);
    if (changed && events.Change) events.Change();
}

void MemoryMaskedEdit::SetText(const std::string& text) {
    caret_ = 0;
    if (mask_.empty()) return Store(text);
    if (text.empty()) return Store(Empty());
    if (text.size() != mask_.size()) throw Error(kInvalidPropertyValue);
    for (std::size_t i = 0; i < mask_.size(); ++i) {
        const bool fits = mask_[i] == '#' ? IsDigit(text[i]) || text[i] == prompt_ : text[i] == mask_[i];
        if (!fits) throw Error(kInvalidPropertyValue);
    }
    Store(text);
}

void MemoryMaskedEdit::SetMask(const std::string& mask) {
    mask_ = mask;
    caret_ = 0;
    Store(Empty());
}

void MemoryMaskedEdit::SetPromptChar(char prompt) {
    std::string text = text_;
    for (std::size_t i = 0; i < mask_.size() && i < text.size(); ++i)
        if (mask_[i] == '#' && text[i] == prompt_) text[i] = prompt;
    prompt_ = prompt;
    Store(text);
}

void MemoryMaskedEdit::SetCaret(std::size_t position) { caret_ = std::min(position, text_.size()); }

void MemoryMaskedEdit::UserType(const std::string& text) {
    UserFocus();
    for (const auto& point : utf8::CodePoints(text)) {
        const int code = OfferKey(events, static_cast<int>(point.value));
        if (code == 0) continue;
        if (mask_.empty()) {
            std::string next = text_;
            next.insert(std::min(caret_, next.size()), point.bytes);
            caret_ += point.bytes.size();
            Store(next);
            continue;
        }
        if (code > 0x7F) continue;
        const char c = static_cast<char>(code);
        if (caret_ < mask_.size() && mask_[caret_] != '#' && c == mask_[caret_]) {
            ++caret_;
            continue;
        }
        if (!IsDigit(c)) continue;
        std::size_t place = caret_;
        while (place < mask_.size() && mask_[place] != '#') ++place;
        if (place >= mask_.size()) continue;
        std::string next = text_;
        next[place] = c;
        caret_ = place + 1;
        Store(next);
    }
    Context().ProcessEvents();
}

void MemoryMaskedEdit::UserKey(int keyCode, int shift) {
    RequireShown("UserKey");
    RaiseKey(events, keyCode, shift);
    Context().ProcessEvents();
}

// ---- ComboBox

MemoryComboBox::MemoryComboBox(std::shared_ptr<WidgetContext> context, std::string name, Placement placement,
                               bool visible)
    : MemoryWidget(std::move(context), std::move(name), placement, visible) {
    SetTabStop(true);
}

void MemoryComboBox::SetText(const std::string& text) {
    const auto found = std::find(list_.begin(), list_.end(), text);
    listIndex_ = found == list_.end() ? -1 : static_cast<int>(found - list_.begin());
    const bool changed = text != text_;
    text_ = text;
    if (changed && events.Change) events.Change();
}

void MemoryComboBox::Clear() {
    list_.clear();
    listIndex_ = -1;
    const bool changed = !text_.empty();
    text_.clear();
    if (changed && events.Change) events.Change();
}

std::string MemoryComboBox::List(int index) const {
    if (index < 0 || index >= ListCount()) throw Error(kInvalidCall);
    return list_[static_cast<std::size_t>(index)];
}

void MemoryComboBox::SetListIndex(int index) {
    if (index < -1 || index >= ListCount()) throw Error(kInvalidPropertyValue);
    listIndex_ = index;
    if (index >= 0 && text_ != list_[static_cast<std::size_t>(index)]) {
        text_ = list_[static_cast<std::size_t>(index)];
        if (events.Change) events.Change();
    }
}

void MemoryComboBox::UserChoose(int index) {
    if (index < 0 || index >= ListCount()) throw std::logic_error("UserChoose: no list entry " + std::to_string(index));
    if (!TakeFocus()) return;
    text_ = list_[static_cast<std::size_t>(index)];
    listIndex_ = index;
    if (Click) Click();
    Context().ProcessEvents();
}

void MemoryComboBox::UserTypeText(const std::string& text) {
    if (!UserFocus()) return;
    for (const auto& point : utf8::CodePoints(text)) {
        if (OfferKey(events, static_cast<int>(point.value)) == 0) continue;
        text_ += point.bytes;
        // A typed name that is a whole entry of the list names that entry.
        const auto found = std::find(list_.begin(), list_.end(), text_);
        listIndex_ = found == list_.end() ? -1 : static_cast<int>(found - list_.begin());
        if (events.Change) events.Change();
    }
    Context().ProcessEvents();
}

void MemoryComboBox::UserKey(int keyCode, int shift) {
    RequireShown("UserKey");
    RaiseKey(events, keyCode, shift);
    Context().ProcessEvents();
}

// ---- Toolbar

MemoryToolbar::MemoryToolbar(std::shared_ptr<WidgetContext> context, std::string name, Placement placement,
                             bool visible, std::vector<ToolbarButton> buttons, MemoryWidget* container)
    : MemoryWidget(std::move(context), std::move(name), placement, visible, container), buttons_(std::move(buttons)) {}

std::size_t MemoryToolbar::Slot(int index) const {
    if (index < 1 || index > ButtonCount()) throw Error(kInvalidCall);
    return static_cast<std::size_t>(index - 1);
}

ToolbarButton MemoryToolbar::Button(int index) const { return buttons_[Slot(index)]; }

void MemoryToolbar::ReleaseGroupExcept(std::size_t slot) {
    for (std::size_t i = 0; i < buttons_.size(); ++i)
        if (i != slot && buttons_[i].grouped) buttons_[i].pressed = false;
}

void MemoryToolbar::SetButton(int index, const ToolbarButton& button) {
    const std::size_t slot = Slot(index);
    buttons_[slot] = button;
    if (button.grouped && button.pressed) ReleaseGroupExcept(slot);
}

void MemoryToolbar::SetButtonPressed(int index, bool v) {
    const std::size_t slot = Slot(index);
    buttons_[slot].pressed = v;
    if (v && buttons_[slot].grouped) ReleaseGroupExcept(slot);
}

bool MemoryToolbar::UserClickButton(int index) {
    const std::size_t slot = Slot(index);
    if (!CanTakeFocus() || !buttons_[slot].visible || !buttons_[slot].enabled) return false;
    if (buttons_[slot].grouped) SetButtonPressed(index, true);
    ++clicks_;
    if (ButtonClick) ButtonClick(index);
    Context().ProcessEvents();
    return true;
}

// ---- MarkerArray

MemoryMarkerArray::MemoryMarkerArray(std::shared_ptr<WidgetContext> context, std::string name,
                                     Placement templatePlacement)
    : context_(context ? std::move(context) : std::make_shared<WidgetContext>()), name_(std::move(name)) {
    elements_.push_back({std::make_unique<MemoryWidget>(context_, name_ + "(0)", templatePlacement, false), {}});
}

int MemoryMarkerArray::Count() const {
    // Unload drops the empty slots at the end, so the last slot is loaded;
    // counting from the back keeps the control's unload loop linear.
    for (std::size_t i = elements_.size(); i-- > 1;)
        if (elements_[i].widget) return static_cast<int>(i) + 1;
    return 1;
}

bool MemoryMarkerArray::IsLoaded(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < elements_.size() &&
           elements_[static_cast<std::size_t>(index)].widget != nullptr;
}

int MemoryMarkerArray::LoadedCount() const {
    int count = 0;
    for (std::size_t i = 1; i < elements_.size(); ++i)
        if (elements_[i].widget) ++count;
    return count;
}

void MemoryMarkerArray::Load(int index) {
    if (index <= 0) throw Error(kInvalidCall);
    if (IsLoaded(index)) throw Error("Objekt bereits geladen");
    if (static_cast<std::size_t>(index) >= elements_.size()) elements_.resize(static_cast<std::size_t>(index) + 1);
    const MemoryWidget& model = *elements_[0].widget;
    // A copy takes the template's place and size and starts hidden.
    elements_[static_cast<std::size_t>(index)].widget = std::make_unique<MemoryWidget>(
        context_, name_ + "(" + std::to_string(index) + ")",
        Placement{model.Left(), model.Top(), model.Width(), model.Height()}, false);
    elements_[static_cast<std::size_t>(index)].tag.clear();
}

void MemoryMarkerArray::Unload(int index) {
    if (index == 0) throw Error("Zur Entwurfszeit erstellte Steuerelemente können nicht entladen werden.");
    if (!IsLoaded(index)) throw Error("Element des Steuerelementdatenfelds existiert nicht");
    elements_[static_cast<std::size_t>(index)] = {};
    while (elements_.size() > 1 && !elements_.back().widget) elements_.pop_back();
}

const MemoryMarkerArray::Loaded& MemoryMarkerArray::Find(int index) const {
    if (!IsLoaded(index)) throw Error("Element des Steuerelementdatenfelds existiert nicht");
    return elements_[static_cast<std::size_t>(index)];
}

MemoryWidget& MemoryMarkerArray::Memory(int index) const { return *Find(index).widget; }

std::string MemoryMarkerArray::Tag(int index) const { return Find(index).tag; }

void MemoryMarkerArray::SetTag(int index, const std::string& tag) {
    Find(index);
    elements_[static_cast<std::size_t>(index)].tag = tag;
}

void MemoryMarkerArray::UserClickMarker(int index) {
    if (index == 0 || !IsLoaded(index) || !Memory(index).Shown())
        throw std::logic_error("UserClickMarker: marker " + std::to_string(index) + " is not shown");
    if (Click) Click(index);
    context_->ProcessEvents();
}

// ---- PopupMenu

MemoryPopupMenu::MemoryPopupMenu(std::vector<MenuItem> items) : items_(std::move(items)) {}

std::size_t MemoryPopupMenu::Slot(int index) const {
    if (index < 1 || index > ItemCount()) throw Error(kInvalidCall);
    return static_cast<std::size_t>(index - 1);
}

MenuItem MemoryPopupMenu::Item(int index) const { return items_[Slot(index)]; }

void MemoryPopupMenu::SetItemVisible(int index, bool visible) { items_[Slot(index)].visible = visible; }

void MemoryPopupMenu::SetItemCaption(int index, const std::string& caption) { items_[Slot(index)].caption = caption; }

void MemoryPopupMenu::Popup(Twips x, Twips y) {
    ++popups_;
    lastPosition_ = std::make_pair(x, y);
    if (modalLoop_) modalLoop_();
    if (choices_.empty()) return;
    const int choice = choices_.front();
    choices_.pop_front();
    if (choice == 0) return;
    const MenuItem& item = items_.at(Slot(choice));
    if (!item.visible || item.caption == "-")
        throw std::logic_error("ChooseNext: menu item " + std::to_string(choice) + " cannot be chosen");
    if (ItemClick) ItemClick(choice);
}

// ---- Timer

MemoryTimer::MemoryTimer(int intervalMilliseconds, bool enabled, std::shared_ptr<WidgetContext> context)
    : interval_(intervalMilliseconds), enabled_(enabled), context_(std::move(context)) {}

void MemoryTimer::SetInterval(int milliseconds) {
    if (milliseconds < 0) throw Error(kInvalidPropertyValue);
    interval_ = milliseconds;
}

bool MemoryTimer::FireTick() {
    if (!enabled_) return false;
    ++ticks_;
    if (Tick) Tick();
    if (context_) context_->ProcessEvents();
    return true;
}

} // namespace agendor::memory
