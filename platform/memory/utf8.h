#pragma once
// UTF-8 helpers shared by the in-memory metrics, printer and edit boxes.
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace agendor::memory::utf8 {

// Code points of text; a byte that continues a sequence is not counted.
inline std::size_t CountCodePoints(std::string_view text) {
    std::size_t count = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++count;
    return count;
}

// Splits text into code points, each as its bytes and its value (invalid
// bytes stand for themselves).
struct CodePoint {
    std::string bytes;
    char32_t value;
};
inline std::vector<CodePoint> CodePoints(std::string_view text) {
    std::vector<CodePoint> out;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 1;
        if (i + length > text.size()) length = 1;
        char32_t value = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) value = (value << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out.push_back({std::string(text.substr(i, length)), value});
        i += length;
    }
    return out;
}

// The lines of text: CR, LF and CR LF each end a line, so a text with n
// breaks has n + 1 lines and the empty text one line.
inline std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

// Code points of the longest line.
inline std::size_t LongestLine(std::string_view text) {
    std::size_t longest = 0;
    for (auto line : Lines(text)) longest = std::max(longest, CountCodePoints(line));
    return longest;
}

} // namespace agendor::memory::utf8
