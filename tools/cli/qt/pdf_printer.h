#pragma once
// agendor-cli's PDF output: the Qt printer writing a file, with the
// off-screen Qt application it needs for fonts.
#include <functional>
#include <memory>
#include <string>

#include "agendor/platform/printer.h"

namespace agendor::cli {

// Opens, on first use, a Qt application without a display (fonts need one)
// and returns what opens a printer writing the PDF file at path.
std::function<std::unique_ptr<Printer>()> PdfPrinter(const std::string& path);
// The same for the system's print queue of that name.
std::function<std::unique_ptr<Printer>()> QueuePrinter(const std::string& queue);

} // namespace agendor::cli
