#pragma once
// The child widgets of the control's surface, as narrow interfaces. Every
// length is twips in the coordinates of the widget's container. A widget
// raises its events synchronously on the UI thread through the callbacks in
// its events member; an unset callback means nobody listens. Operations that
// the platform cannot carry out raise agendor::Error.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "agendor/platform/types.h"

namespace agendor {

// A font object shared by reference between the control surface and Grid.
class Font {
public:
    virtual ~Font() = default;
    virtual std::string Name() const = 0;
    // Raises Error when the platform has no font of that name; the font keeps
    // its previous name then.
    virtual void SetName(const std::string& name) = 0;
    virtual double Size() const = 0;  // points, may be fractional
    virtual void SetSize(double points) = 0;
    virtual bool Bold() const = 0;
    virtual void SetBold(bool bold) = 0;
    // A new font object with the same name, size and bold state.
    virtual std::shared_ptr<Font> Clone() const = 0;
};

class Widget {
public:
    virtual ~Widget() = default;
    virtual Twips Left() const = 0;
    virtual Twips Top() const = 0;
    virtual Twips Width() const = 0;
    virtual Twips Height() const = 0;
    // Raises Error for a negative width or height; nothing changes then.
    virtual void SetLeft(Twips v) = 0;
    virtual void SetTop(Twips v) = 0;
    virtual void SetWidth(Twips v) = 0;
    virtual void SetHeight(Twips v) = 0;
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool v) = 0;
    // Gives the widget the keyboard focus. Raises Error when it (or its
    // container) is invisible or disabled.
    virtual void SetFocus() = 0;
    // Brings the widget in front of its siblings.
    virtual void ZOrder() = 0;
};

class Label : public virtual Widget {
public:
    virtual std::string Caption() const = 0;
    virtual void SetCaption(const std::string& text) = 0;
};

class Frame : public virtual Widget {};

class TextBox : public virtual Widget {
public:
    virtual std::string Text() const = 0;
    virtual void SetText(const std::string& text) = 0;
    virtual void SetToolTip(const std::string& text) = 0;
    // The box received the keyboard focus (posted after the move).
    std::function<void()> GotFocus;
};

struct EditEvents {
    std::function<void()> Change;
    // Character code; a handler may set it to 0 to swallow the key.
    std::function<void(int& keyAscii)> KeyPress;
    std::function<void(int keyCode, int shift)> KeyDown;
    std::function<void()> GotFocus;
    std::function<void()> LostFocus;
    // Raised when the focus is about to leave; setting cancel keeps it.
    std::function<void(bool& cancel)> Validate;
};

// A masked edit box: the mask "##:##" lets only digits into the # places,
// the prompt character fills the empty places.
class MaskedEdit : public virtual Widget {
public:
    virtual std::string Text() const = 0;  // with literals and prompt characters
    virtual void SetText(const std::string& text) = 0;
    virtual void SetMask(const std::string& mask) = 0;
    virtual void SetFormat(const std::string& format) = 0;
    virtual void SetPromptChar(char prompt) = 0;
    EditEvents events;
};

// A combo box with an editable text and a drop-down list.
class ComboBox : public virtual Widget {
public:
    virtual std::string Text() const = 0;
    virtual void SetText(const std::string& text) = 0;
    virtual void AddItem(const std::string& item) = 0;
    virtual void Clear() = 0;
    virtual int ListCount() const = 0;
    virtual std::string List(int index) const = 0;
    // -1 when the text matches no chosen list entry.
    virtual int ListIndex() const = 0;
    virtual void SetListIndex(int index) = 0;
    EditEvents events;
    std::function<void()> Click;  // a list entry was chosen
};

struct ToolbarButton {
    std::string key;
    std::string toolTip;
    int image = 0;      // index into the image list, 1-based, 0 none
    bool visible = true;
    bool enabled = true;
    bool pressed = false;
    bool grouped = false;  // one of a group of which at most one is pressed
};

class Toolbar : public virtual Widget {
public:
    // Buttons are numbered from 1. Raises Error for an index without button.
    virtual int ButtonCount() const = 0;
    virtual ToolbarButton Button(int index) const = 0;
    virtual void SetButton(int index, const ToolbarButton& button) = 0;
    void SetButtonVisible(int index, bool v) { auto b = Button(index); b.visible = v; SetButton(index, b); }
    void SetButtonEnabled(int index, bool v) { auto b = Button(index); b.enabled = v; SetButton(index, b); }
    // Pressing a grouped button releases the other buttons of the group.
    virtual void SetButtonPressed(int index, bool v) = 0;
    std::function<void(int index)> ButtonClick;
};

// The marker picture boxes: element 0 is the template and is never shown;
// elements 1... are copies loaded at run time.
class MarkerArray {
public:
    virtual ~MarkerArray() = default;
    // The highest loaded index + 1 (1 when only the template exists).
    virtual int Count() const = 0;
    // Creates element index as a copy of the template (same size, hidden).
    // Raises Error when it is loaded already or index is 0 or negative.
    virtual void Load(int index) = 0;
    // Raises Error for the template or an element not loaded.
    virtual void Unload(int index) = 0;
    virtual Widget& Element(int index) = 0;
    virtual std::string Tag(int index) const = 0;
    virtual void SetTag(int index, const std::string& tag) = 0;
    std::function<void(int index)> Click;
};

struct MenuItem {
    std::string caption;  // "-" is a separator
    bool visible = true;
};

// A popup menu with an item array numbered from 1.
class PopupMenu {
public:
    virtual ~PopupMenu() = default;
    virtual int ItemCount() const = 0;
    virtual MenuItem Item(int index) const = 0;
    virtual void SetItemVisible(int index, bool visible) = 0;
    virtual void SetItemCaption(int index, const std::string& caption) = 0;
    // Opens the menu at a position of the control (twips) and returns once
    // it is closed; a chosen item's ItemClick runs before it returns.
    virtual void Popup(Twips x, Twips y) = 0;
    std::function<void(int index)> ItemClick;
};

class Timer {
public:
    virtual ~Timer() = default;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual int Interval() const = 0;  // milliseconds
    virtual void SetInterval(int milliseconds) = 0;
    // Raised after each interval while enabled.
    std::function<void()> Tick;
};

} // namespace agendor
