#pragma once
// Small helpers the editing procedures share.
#include <charconv>
#include <cstdint>
#include <string>

#include "agendor/platform/types.h"
#include "agendor/platform/widgets.h"

namespace agendor::editing {

// A focus move is a convenience: a widget that cannot take the focus (the
// control not on screen) is no reason to abandon the edit.
inline void TryFocus(Widget& widget) {
    try {
        widget.SetFocus();
    } catch (const Error&) {
    }
}

// The id in the day grid's hidden column 3: decimal digits, 32 bits.
inline std::int32_t ParseDateId(const std::string& text) {
    std::int32_t id = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        throw Error("Typen unverträglich: keine Termin-ID \"" + text + "\"");
    return id;
}

} // namespace agendor::editing
