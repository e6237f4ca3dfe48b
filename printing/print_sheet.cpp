#include "agendor/printing/print_sheet.h"

namespace agendor {

void PrintPage(Instance&, DateTime, int) {
    // Until the printed page is built, say so instead of pretending a print
    // run happened.
    throw Error("Drucken ist in dieser Version noch nicht verfügbar.");
}

} // namespace agendor
