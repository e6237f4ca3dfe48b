#pragma once
// The control's small conventions, each written once: the codes and title
// of its error box, rounding lengths to twips, the sheet's header row, cutting
// UTF-8 text on whole characters, and the engine's date literals.
// Internal to the core; not installed.
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "agendor/core/date_time.h"
#include "agendor/core/field_value.h"
#include "agendor/platform/types.h"

namespace agendor {

// N of the error box's "Agendor-Fehlercode N": which kind of procedure
// failed. Unscoped, so it passes where the box takes its code as a number.
enum ErrorBoxCode : int {
    kDayGridCommandError = 1,  // the day grid's toolbar commands
    kSheetCommandError = 2,    // the sheet commands
    kSheetPrintError = 3,      // printing the sheet
    kLoadDatesError = 4,       // loading the sheet's appointments
    kPrintDatesError = 5,      // printing the appointments
};

// The title of every error box the control shows.
inline constexpr const char* kErrorBoxTitle = "Agendor3.ocx";

// Height of the sheet grid's header row (the day names), in twips.
inline constexpr Twips kSheetHeaderRowHeight = 400;

// A computed length in whole twips, halves to even, as every length the
// control lays out.
inline Twips RoundTwips(double twips) { return static_cast<Twips>(std::nearbyint(twips)); }

// Whether byte continues a UTF-8 sequence (10xxxxxx) rather than starting a
// character.
inline bool IsUtf8Continuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// The start of the UTF-8 sequence that holds byte at, so that text cut there
// keeps whole characters.
std::size_t Utf8CharacterStart(const std::string& text, std::size_t at);

// Byte lengths of the prefixes of text that end on a character boundary, in
// increasing order; a stray continuation byte belongs to the character before.
std::vector<std::size_t> Utf8CharacterEnds(const std::string& text);

// month/day/year without leading zeros, as the engine's #...# literals read.
std::string DateLiteral(DateTime day);

// A null field as the empty text: one incomplete record must not hide the rest.
std::string TextOrEmpty(const FieldValue& value);

} // namespace agendor
