#pragma once
// The printer in memory. Every operation that puts something on paper or
// changes the document is kept, in order and with the font, colour and line
// width of the moment, in a PrinterLog that outlives the printer, so a test
// reads the page after the print run has ended.
//
// The log stands for the system's one printer: a document that was begun
// and neither ended nor killed stays open in it, and the next printer opened
// on the same log carries on with that document, as a system printer object
// does. Only EndDoc sends a document (PrinterLog::sent).
//
// Metrics by a fixed rule, in centimetres:
//   TextWidth  = 0.19 × code points of the longest line × size / 8
//   TextHeight = 0.45 × number of lines              × size / 8
// with CR, LF and CR LF breaking lines. Font names must be known to
// MemoryFont.
//
// Characters (CharacterEnds) by a simple rule instead of Unicode's full one:
// a code point joins the one before it when it is a combining mark
// (U+0300–036F, U+1AB0–1AFF, U+1DC0–1DFF, U+20D0–20FF, U+FE20–FE2F), a
// variation selector (U+FE00–FE0F), the zero-width joiner U+200D or what
// follows it, an emoji skin tone (U+1F3FB–1F3FF), a Hangul vowel or final
// jamo (U+1160–11FF), or the second regional indicator of a flag.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "agendor/platform/printer.h"

namespace agendor::memory {

struct PrinterOperation {
    enum Kind { StartDoc, EndDoc, KillDoc, NewPage, Text, Line, Box } kind = Text;
    std::string text;         // Text; StartDoc: the document's title
    double x = 0, y = 0;      // Text: the position written at; Line, Box: first corner
    double x2 = 0, y2 = 0;    // Line, Box: second corner
    std::string fontName;     // font, colour and line width at the time
    double fontSize = 0;
    bool bold = false;
    Colour colour = 0;
    int drawWidth = 1;
    PageOrientation orientation = PageOrientation::Landscape;  // StartDoc
};

struct PrinterLog {
    // Everything every printer on this log did, in order.
    std::vector<PrinterOperation> operations;
    // The documents sent, each with the texts, lines and boxes on its pages
    // and a NewPage between two pages.
    std::vector<std::vector<PrinterOperation>> sent;
    // The document begun and neither sent nor killed.
    std::optional<std::vector<PrinterOperation>> open;
    int printersOpened = 0;
    // Print raises Error(failure) when asked to print this text (a paper jam
    // in the middle of the page).
    std::optional<std::string> failOnText;
    std::string failure = "Papierstau";
    // The bytes of all texts measured with TextWidth, to see that fitting a
    // text costs a bounded amount of work.
    std::size_t measuredBytes = 0;

    std::vector<PrinterOperation> Texts() const;
    std::vector<PrinterOperation> Lines() const;
    std::vector<PrinterOperation> Boxes() const;
    int Count(PrinterOperation::Kind kind) const;
    // The pages of a document (an element of sent), without the NewPage
    // operations between them.
    static std::vector<std::vector<PrinterOperation>> Pages(const std::vector<PrinterOperation>& document);
};

class MemoryPrinter final : public Printer {
public:
    explicit MemoryPrinter(std::shared_ptr<PrinterLog> log = std::make_shared<PrinterLog>());

    void StartDoc(PageOrientation orientation) override;
    void EndDoc() override;
    void KillDoc() noexcept override;
    // Raises Error when no document is open.
    void NewPage() override;
    void SetDocumentTitle(const std::string& title) override { title_ = title; }
    double CurrentX() const override { return x_; }
    double CurrentY() const override { return y_; }
    void SetCurrentX(double cm) override { x_ = cm; }
    void SetCurrentY(double cm) override { y_ = cm; }
    // Raises Error for a name MemoryFont does not know; the font stays.
    void SetFontName(const std::string& name) override;
    // Raises Error for 0 points or less.
    void SetFontSize(double points) override;
    void SetFontBold(bool bold) override { bold_ = bold; }
    Colour ForeColor() const override { return colour_; }
    void SetForeColor(Colour c) override { colour_ = c; }
    // Raises Error below 1.
    void SetDrawWidth(int dots) override;
    void Print(const std::string& text) override;
    void Line(double x1, double y1, double x2, double y2) override;
    void Box(double x1, double y1, double x2, double y2) override;
    double TextWidth(const std::string& text) const override;
    double TextHeight(const std::string& text) const override;
    std::vector<std::size_t> CharacterEnds(const std::string& text) const override;

    std::shared_ptr<PrinterLog> Log() const { return log_; }

private:
    PrinterOperation Stamp(PrinterOperation::Kind kind) const;
    // Keeps op in the log and, when it goes on paper, on the open page.
    void Record(PrinterOperation op);

    std::shared_ptr<PrinterLog> log_;
    PageOrientation orientation_ = PageOrientation::Landscape;
    std::string title_;
    double x_ = 0, y_ = 0;
    std::string fontName_ = "Arial";
    double fontSize_ = 8;
    bool bold_ = false;
    Colour colour_ = 0;
    int drawWidth_ = 1;
};

} // namespace agendor::memory
