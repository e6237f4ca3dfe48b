#pragma once
// The order German readers expect of names (DIN 5007, variant 1: letters
// compared without regard to case, ä ö ü as a o u, ß as ss; then accents,
// then case), from ICU's collator for the locale "de", registered on a
// connection as a collation the translated queries name.
struct sqlite3;

namespace agendor::sqlite {

// The collation's name in SQL: ORDER BY x COLLATE agendor_de.
inline constexpr const char* kGermanCollation = "agendor_de";

// Registers the collation on connection (replacing one of the same name).
// Raises SqliteError when ICU has no collator for German.
void RegisterGermanCollation(sqlite3* connection);

} // namespace agendor::sqlite
