#include "agendor/platform/qt/qt_common.h"

namespace agendor::qt {

int ShiftState(Qt::KeyboardModifiers modifiers) {
    int shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= 1;
    if (modifiers & Qt::ControlModifier) shift |= 2;
    if (modifiers & Qt::AltModifier) shift |= 4;
    return shift;
}

int VirtualKeyCode(int key) {
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 112 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    default: return 0;
    }
}

int CharacterCode(int key, const QString& text) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    default: break;
    }
    if (text.isEmpty()) return 0;
    const char32_t c = text.toUcs4().value(0);
    // Control characters other than the ones above (Ctrl+letter) and
    // characters beyond one 16-bit code carry no character code.
    if (c < 32 || c == 127 || c > 0xFFFF) return 0;
    return static_cast<int>(c);
}

void FocusNotifier::FocusIn(Qt::FocusReason, std::function<void()> gotFocus) {
    if (focused_) return;
    focused_ = true;
    Post(self_, std::move(gotFocus));
}

void FocusNotifier::FocusOut(Qt::FocusReason reason, std::function<bool()> validate,
                             std::function<void()> lostFocus) {
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
    if (!focused_) return;
    focused_ = false;
    QPointer<QWidget> self(self_);
    Post(self_, [this, self, validate = std::move(validate), lostFocus = std::move(lostFocus)] {
        if (validate && validate()) {
            if (self && !self->isHidden() && self->isEnabled()) {
                // The focus never really left: its return is no arrival.
                focused_ = true;
                self->setFocus(Qt::OtherFocusReason);
            }
            return;
        }
        if (lostFocus) lostFocus();
    });
}

void FocusNotifier::FocusIn(Qt::FocusReason reason, EditEvents& events) {
    FocusIn(reason, [&events] {
        if (events.GotFocus) events.GotFocus();
    });
}

void FocusNotifier::FocusOut(Qt::FocusReason reason, EditEvents& events) {
    FocusOut(
        reason,
        [&events] {
            bool cancel = false;
            if (events.Validate) events.Validate(cancel);
            return cancel;
        },
        [&events] {
            if (events.LostFocus) events.LostFocus();
        });
}

} // namespace agendor::qt
