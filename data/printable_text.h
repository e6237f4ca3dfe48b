#pragma once
// Texts from the database as the sheet and the printed page show them: one
// line each, so a name holding a line break or a tab cannot run over the
// lines below it or pass for a second appointment.
#include <string>

namespace agendor {

// text with every control character (U+0000–U+001F, U+007F–U+009F) and the
// line and paragraph separators U+2028 and U+2029 replaced by one blank each;
// every other byte stays as it is.
std::string PrintableText(const std::string& text);

} // namespace agendor
