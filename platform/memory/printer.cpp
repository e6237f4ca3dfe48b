#include "agendor/platform/memory/printer.h"

#include "agendor/platform/memory/font.h"
#include "agendor/platform/memory/utf8.h"

namespace agendor::memory {

namespace {

constexpr double kA4Long = 29.7;   // cm
constexpr double kA4Short = 21.0;  // cm
constexpr double kCharWidth = 0.19;   // cm per character at 8 points
constexpr double kLineHeight = 0.42;  // cm per line at 8 points

std::vector<PrinterOperation> OfKind(const std::vector<PrinterOperation>& operations, PrinterOperation::Kind kind) {
    std::vector<PrinterOperation> out;
    for (const auto& op : operations)
        if (op.kind == kind) out.push_back(op);
    return out;
}

} // namespace

std::vector<PrinterOperation> PrinterLog::Texts() const { return OfKind(operations, PrinterOperation::Text); }

std::vector<PrinterOperation> PrinterLog::Lines() const { return OfKind(operations, PrinterOperation::Line); }

int PrinterLog::Documents() const { return static_cast<int>(OfKind(operations, PrinterOperation::EndDoc).size()); }

MemoryPrinter::MemoryPrinter(std::shared_ptr<PrinterLog> log) : log_(log ? std::move(log) : std::make_shared<PrinterLog>()) {
    ++log_->printersOpened;
}

PrinterOperation MemoryPrinter::Stamp(PrinterOperation::Kind kind) const {
    PrinterOperation op;
    op.kind = kind;
    op.x = x_;
    op.y = y_;
    op.fontName = fontName_;
    op.fontSize = fontSize_;
    op.bold = bold_;
    op.colour = colour_;
    op.drawWidth = drawWidth_;
    op.orientation = orientation_;
    return op;
}

void MemoryPrinter::StartDoc(PageOrientation orientation) {
    orientation_ = orientation;
    log_->operations.push_back(Stamp(PrinterOperation::StartDoc));
}

void MemoryPrinter::EndDoc() { log_->operations.push_back(Stamp(PrinterOperation::EndDoc)); }

void MemoryPrinter::NewPage() {
    log_->operations.push_back(Stamp(PrinterOperation::NewPage));
    x_ = 0;
    y_ = 0;
}

double MemoryPrinter::PageWidth() const { return orientation_ == PageOrientation::Landscape ? kA4Long : kA4Short; }

double MemoryPrinter::PageHeight() const { return orientation_ == PageOrientation::Landscape ? kA4Short : kA4Long; }

void MemoryPrinter::SetFontName(const std::string& name) {
    if (!MemoryFont::IsKnown(name)) throw Error(kInvalidPropertyValue);
    fontName_ = name;
}

void MemoryPrinter::SetFontSize(double points) {
    if (!(points > 0)) throw Error(kInvalidPropertyValue);
    fontSize_ = points;
}

void MemoryPrinter::SetDrawWidth(double width) {
    if (width < 0) throw Error(kInvalidPropertyValue);
    drawWidth_ = width;
}

void MemoryPrinter::Print(const std::string& text) {
    PrinterOperation op = Stamp(PrinterOperation::Text);
    op.text = text;
    log_->operations.push_back(std::move(op));
    y_ += TextHeight(text);
}

void MemoryPrinter::Line(double x1, double y1, double x2, double y2) {
    PrinterOperation op = Stamp(PrinterOperation::Line);
    op.x = x1;
    op.y = y1;
    op.x2 = x2;
    op.y2 = y2;
    log_->operations.push_back(std::move(op));
}

double MemoryPrinter::TextWidth(const std::string& text) const {
    return kCharWidth * static_cast<double>(utf8::LongestLine(text)) * fontSize_ / 8.0;
}

double MemoryPrinter::TextHeight(const std::string& text) const {
    return kLineHeight * static_cast<double>(utf8::Lines(text).size()) * fontSize_ / 8.0;
}

} // namespace agendor::memory
