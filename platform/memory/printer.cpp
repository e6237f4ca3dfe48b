#include "agendor/platform/memory/printer.h"

#include "agendor/platform/memory/font.h"
#include "agendor/platform/memory/utf8.h"

namespace agendor::memory {

namespace {

constexpr double kCharWidth = 0.19;   // cm per character at 8 points
constexpr double kLineHeight = 0.45;  // cm per line at 8 points

std::vector<PrinterOperation> OfKind(const std::vector<PrinterOperation>& operations, PrinterOperation::Kind kind) {
    std::vector<PrinterOperation> out;
    for (const auto& op : operations)
        if (op.kind == kind) out.push_back(op);
    return out;
}

} // namespace

std::vector<PrinterOperation> PrinterLog::Texts() const { return OfKind(operations, PrinterOperation::Text); }
std::vector<PrinterOperation> PrinterLog::Lines() const { return OfKind(operations, PrinterOperation::Line); }
std::vector<PrinterOperation> PrinterLog::Boxes() const { return OfKind(operations, PrinterOperation::Box); }
int PrinterLog::Count(PrinterOperation::Kind kind) const { return static_cast<int>(OfKind(operations, kind).size()); }

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

void MemoryPrinter::Record(PrinterOperation op) {
    // Output before StartDoc begins the document, as on the system printer.
    if (!log_->open) log_->open.emplace();
    log_->open->push_back(op);
    log_->operations.push_back(std::move(op));
}

void MemoryPrinter::StartDoc(PageOrientation orientation) {
    orientation_ = orientation;
    log_->operations.push_back(Stamp(PrinterOperation::StartDoc));
    if (!log_->open) log_->open.emplace();
}

void MemoryPrinter::EndDoc() {
    log_->operations.push_back(Stamp(PrinterOperation::EndDoc));
    log_->sent.push_back(log_->open.value_or(std::vector<PrinterOperation>{}));
    log_->open.reset();
}

void MemoryPrinter::KillDoc() noexcept {
    log_->operations.push_back(Stamp(PrinterOperation::KillDoc));
    log_->open.reset();
}

void MemoryPrinter::SetFontName(const std::string& name) {
    if (!MemoryFont::IsKnown(name)) throw Error("Schriftart nicht gefunden: " + name);
    fontName_ = name;
}

void MemoryPrinter::SetFontSize(double points) {
    if (!(points > 0)) throw Error(kInvalidPropertyValue);
    fontSize_ = points;
}

void MemoryPrinter::SetDrawWidth(int dots) {
    if (dots < 1) throw Error(kInvalidPropertyValue);
    drawWidth_ = dots;
}

void MemoryPrinter::Print(const std::string& text) {
    if (log_->failOnText && *log_->failOnText == text) throw Error(log_->failure);
    PrinterOperation op = Stamp(PrinterOperation::Text);
    op.text = text;
    Record(std::move(op));
    y_ += TextHeight(text);
}

void MemoryPrinter::Line(double x1, double y1, double x2, double y2) {
    PrinterOperation op = Stamp(PrinterOperation::Line);
    op.x = x1;
    op.y = y1;
    op.x2 = x2;
    op.y2 = y2;
    Record(std::move(op));
}

void MemoryPrinter::Box(double x1, double y1, double x2, double y2) {
    PrinterOperation op = Stamp(PrinterOperation::Box);
    op.x = x1;
    op.y = y1;
    op.x2 = x2;
    op.y2 = y2;
    Record(std::move(op));
}

double MemoryPrinter::TextWidth(const std::string& text) const {
    return kCharWidth * static_cast<double>(utf8::LongestLine(text)) * fontSize_ / 8.0;
}

double MemoryPrinter::TextHeight(const std::string& text) const {
    return kLineHeight * static_cast<double>(utf8::Lines(text).size()) * fontSize_ / 8.0;
}

} // namespace agendor::memory
