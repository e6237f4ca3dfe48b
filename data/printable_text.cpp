#include "agendor/data/printable_text.h"

namespace agendor {

std::string PrintableText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (byte < 0x20 || byte == 0x7F) {
            out += ' ';
        } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {  // U+0080–U+009F
            out += ' ';
            ++i;
        } else if (byte == 0xE2 && next == 0x80 && i + 2 < text.size() &&
                   (text[i + 2] == '\xA8' || text[i + 2] == '\xA9')) {  // U+2028, U+2029
            out += ' ';
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace agendor
