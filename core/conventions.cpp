#include "agendor/core/conventions.h"

namespace agendor {

std::size_t Utf8CharacterStart(const std::string& text, std::size_t at) {
    while (at > 0 && IsUtf8Continuation(text[at])) --at;
    return at;
}

std::vector<std::size_t> Utf8CharacterEnds(const std::string& text) {
    std::vector<std::size_t> ends;
    for (std::size_t i = 1; i <= text.size(); ++i) {
        if (i == text.size() || !IsUtf8Continuation(text[i])) ends.push_back(i);
    }
    return ends;
}

std::string DateLiteral(DateTime day) {
    return std::to_string(dt::Month(day)) + "/" + std::to_string(dt::Day(day)) + "/" + std::to_string(dt::Year(day));
}

std::string TextOrEmpty(const FieldValue& value) { return value.IsNull() ? std::string() : value.AsText(); }

} // namespace agendor
