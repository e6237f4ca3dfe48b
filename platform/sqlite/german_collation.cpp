#include "agendor/platform/sqlite/german_collation.h"

#include <string>

#include <sqlite3.h>
#include <unicode/ucol.h>

#include "agendor/platform/sqlite/sqlite_error.h"

namespace agendor::sqlite {
namespace {

int Compare(void* collator, int leftSize, const void* left, int rightSize, const void* right) {
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result =
        ucol_strcollUTF8(static_cast<UCollator*>(collator), static_cast<const char*>(left), leftSize,
                         static_cast<const char*>(right), rightSize, &status);
    // Invalid UTF-8 is compared by ICU as U+FFFD and raises no error; any
    // other failure leaves the bytes to decide, so the order stays total.
    if (U_FAILURE(status)) {
        const int common = leftSize < rightSize ? leftSize : rightSize;
        const int bytes = std::char_traits<char>::compare(static_cast<const char*>(left),
                                                          static_cast<const char*>(right),
                                                          static_cast<std::size_t>(common));
        return bytes != 0 ? bytes : leftSize - rightSize;
    }
    return result == UCOL_LESS ? -1 : result == UCOL_GREATER ? 1 : 0;
}

void Close(void* collator) { ucol_close(static_cast<UCollator*>(collator)); }

} // namespace

void RegisterGermanCollation(sqlite3* connection) {
    UErrorCode status = U_ZERO_ERROR;
    // "de" is the dictionary order (variant 1); ICU's phone-book variant,
    // ä as ae, would be "de@collation=phonebook".
    UCollator* collator = ucol_open("de", &status);
    if (U_FAILURE(status) || collator == nullptr)
        throw SqliteError(std::string("Die deutsche Sortierfolge ist nicht verfügbar: ") + u_errorName(status));
    // Once registered, SQLite closes the collator through Close; when
    // registering fails, it stays ours.
    const int rc = sqlite3_create_collation_v2(connection, kGermanCollation, SQLITE_UTF8, collator, Compare, Close);
    if (rc != SQLITE_OK) {
        ucol_close(collator);
        throw SqliteError(std::string("Die deutsche Sortierfolge lässt sich nicht einrichten: ") +
                              sqlite3_errmsg(connection),
                          {}, rc);
    }
}

} // namespace agendor::sqlite
