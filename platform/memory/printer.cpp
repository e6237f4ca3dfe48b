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

// Whether c joins the code point before it into one character (the rule in
// the header); afterJoiner when the code point before was U+200D.
bool JoinsPrevious(char32_t c, bool afterJoiner) {
    return afterJoiner || (c >= 0x300 && c <= 0x36F) || (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF) ||
           (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE20 && c <= 0xFE2F) || (c >= 0xFE00 && c <= 0xFE0F) ||
           c == 0x200D || (c >= 0x1F3FB && c <= 0x1F3FF) || (c >= 0x1160 && c <= 0x11FF);
}

bool IsRegionalIndicator(char32_t c) { return c >= 0x1F1E6 && c <= 0x1F1FF; }

} // namespace

std::vector<std::vector<PrinterOperation>> PrinterLog::Pages(const std::vector<PrinterOperation>& document) {
    std::vector<std::vector<PrinterOperation>> pages(1);
    for (const PrinterOperation& op : document) {
        if (op.kind == PrinterOperation::NewPage) pages.emplace_back();
        else pages.back().push_back(op);
    }
    return pages;
}

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
    PrinterOperation op = Stamp(PrinterOperation::StartDoc);
    op.text = title_;
    log_->operations.push_back(std::move(op));
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

void MemoryPrinter::NewPage() {
    if (!log_->open) throw Error("Der Druckauftrag ist nicht begonnen");
    Record(Stamp(PrinterOperation::NewPage));
    x_ = y_ = 0;
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
    log_->measuredBytes += text.size();
    return kCharWidth * static_cast<double>(utf8::LongestLine(text)) * fontSize_ / 8.0;
}

double MemoryPrinter::TextHeight(const std::string& text) const {
    return kLineHeight * static_cast<double>(utf8::Lines(text).size()) * fontSize_ / 8.0;
}

std::vector<std::size_t> MemoryPrinter::CharacterEnds(const std::string& text) const {
    std::vector<std::size_t> ends;
    std::size_t at = 0;
    char32_t previous = 0;
    bool flagOpen = false;  // the code point before is a flag's first half
    for (const utf8::CodePoint& cp : utf8::CodePoints(text)) {
        const bool joins = !ends.empty() && (JoinsPrevious(cp.value, previous == 0x200D) ||
                                             (flagOpen && IsRegionalIndicator(cp.value)));
        flagOpen = IsRegionalIndicator(cp.value) && !(joins && flagOpen);
        at += cp.bytes.size();
        if (joins) ends.back() = at;
        else ends.push_back(at);
        previous = cp.value;
    }
    return ends;
}

} // namespace agendor::memory
