#pragma once
// What every Qt widget of the control shares: twips <-> pixels with the
// screen's logical DPI, colours, UTF-8 strings, posted focus notifications
// and the placement of a child widget in twips.
#include <QColor>
#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cmath>
#include <functional>
#include <string>
#include <utility>

#include "agendor/platform/types.h"
#include "agendor/platform/widgets.h"

namespace agendor::qt {

inline constexpr const char* kInvalidPropertyValue = "Ungültiger Eigenschaftswert";
inline constexpr const char* kInvalidCall = "Ungültiger Prozeduraufruf oder ungültiges Argument";

// 1440 twips per inch; the widget's logical DPI (the primary screen's before
// the widget is on a screen).
inline double PixelsPerTwipX(const QWidget* w) { return w->logicalDpiX() / 1440.0; }
inline double PixelsPerTwipY(const QWidget* w) { return w->logicalDpiY() / 1440.0; }
inline int ToPixelsX(const QWidget* w, Twips t) { return static_cast<int>(std::lround(t * PixelsPerTwipX(w))); }
inline int ToPixelsY(const QWidget* w, Twips t) { return static_cast<int>(std::lround(t * PixelsPerTwipY(w))); }
inline Twips ToTwipsX(const QWidget* w, double px) { return static_cast<Twips>(std::nearbyint(px / PixelsPerTwipX(w))); }
inline Twips ToTwipsY(const QWidget* w, double px) { return static_cast<Twips>(std::nearbyint(px / PixelsPerTwipY(w))); }

// Colour values are 0x00BBGGRR.
inline QColor ToQColor(Colour c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }
inline Colour FromQColor(const QColor& c) { return RGB(unsigned(c.red()), unsigned(c.green()), unsigned(c.blue())); }

inline QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
inline std::string S(const QString& s) { return s.toUtf8().toStdString(); }

// Runs notification once the current handler has returned, as the desktop
// delivers focus notifications: after the code that moved the focus. Dropped
// when the widget is gone by then.
inline void Post(QObject* receiver, std::function<void()> notification) {
    QMetaObject::invokeMethod(receiver, [n = std::move(notification)] { n(); }, Qt::QueuedConnection);
}

// The Shift/Ctrl/Alt state as 1/2/4.
int ShiftState(Qt::KeyboardModifiers modifiers);
// Virtual key code of a key (13 Enter, 27 Esc, 37..40 arrows, 46 Delete, ...),
// 0 when it has none.
int VirtualKeyCode(int qtKey);
// Character code a key press delivers (13 Enter, 27 Esc, 8 Backspace, the
// character for printable keys), 0 for keys without one.
int CharacterCode(int qtKey, const QString& text);

// The Widget operations over a QWidget that is also the interface object.
// The placement is kept in twips as set (a value reads back exactly) and
// mapped to pixels with edges rounded, so neighbours meet without gaps.
template <class Interface>
class Placed : public Interface {
public:
    Twips Left() const override { return left_; }
    Twips Top() const override { return top_; }
    Twips Width() const override { return width_; }
    Twips Height() const override { return height_; }
    void SetLeft(Twips v) override { left_ = v; ApplyPlacement(); }
    void SetTop(Twips v) override { top_ = v; ApplyPlacement(); }
    void SetWidth(Twips v) override {
        if (v < 0) throw Error(kInvalidPropertyValue);
        width_ = v;
        ApplyPlacement();
    }
    void SetHeight(Twips v) override {
        if (v < 0) throw Error(kInvalidPropertyValue);
        height_ = v;
        ApplyPlacement();
    }
    // The widget's own flag: a child of a window not yet shown still counts
    // as visible.
    bool Visible() const override { return !self_->isHidden(); }
    void SetVisible(bool v) override { self_->setVisible(v); }
    void SetFocus() override {
        const QWidget* top = self_->window();
        if (self_->isHidden() || !self_->isEnabled() || (top != self_ && !self_->isVisibleTo(top)))
            throw Error(kInvalidCall);
        self_->setFocus(Qt::OtherFocusReason);
    }
    void ZOrder() override { self_->raise(); }

    // Design placement, twips.
    void Place(Twips left, Twips top, Twips width, Twips height) {
        left_ = left;
        top_ = top;
        width_ = width;
        height_ = height;
        ApplyPlacement();
    }
    // The DPI may change when the widget reaches its screen.
    void ApplyPlacement() {
        const int x0 = ToPixelsX(self_, left_), y0 = ToPixelsY(self_, top_);
        const int x1 = ToPixelsX(self_, left_ + width_), y1 = ToPixelsY(self_, top_ + height_);
        self_->setGeometry(x0, y0, x1 - x0, y1 - y0);
        OnPlaced();
    }

protected:
    // args: what Interface is made with.
    template <class... Args>
    explicit Placed(QWidget* self, Args&&... args) : Interface(std::forward<Args>(args)...), self_(self) {}
    virtual void OnPlaced() {}

private:
    QWidget* self_;
    Twips left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};

// Focus notifications, posted: when the focus leaves, Validate (returns
// Cancel; true puts the focus back and nothing else follows), then
// LostFocus; when it arrives, GotFocus. The callbacks are called at delivery
// and read the widget's handlers then. A window losing or regaining
// activation, or a drop-down list opening, moves no focus of the control.
class FocusNotifier {
public:
    explicit FocusNotifier(QWidget* self) : self_(self) {}
    void FocusIn(Qt::FocusReason reason, std::function<void()> gotFocus);
    void FocusOut(Qt::FocusReason reason, std::function<bool()> validate, std::function<void()> lostFocus);
    // The same for an edit widget's events (GotFocus; Validate, then LostFocus).
    void FocusIn(Qt::FocusReason reason, EditEvents& events);
    void FocusOut(Qt::FocusReason reason, EditEvents& events);

private:
    QWidget* self_;
    // Whether the control counts the widget as focused: a window that is
    // deactivated and activated again keeps it so, and its first
    // activation counts as the arrival of the focus.
    bool focused_ = false;
};

} // namespace agendor::qt
