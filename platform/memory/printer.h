#pragma once
// The printer in memory: every call that puts something on paper or changes
// the document is kept, in order, in a PrinterLog that outlives the printer,
// so a test reads the page after the print run has ended.
//
// The page is A4: 29.7 × 21.0 cm in landscape (the orientation until
// StartDoc says otherwise), 21.0 × 29.7 cm in portrait. Metrics by a fixed
// rule, in centimetres:
//   TextWidth  = 0.19 × code points of the longest line × size / 8
//   TextHeight = 0.42 × number of lines              × size / 8
// with CR, LF and CR LF breaking lines as on screen. Print moves CurrentY
// down by TextHeight of the printed text and puts CurrentX back where the
// text started. Font names must be known to MemoryFont.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "agendor/platform/printer.h"

namespace agendor::memory {

struct PrinterOperation {
    enum Kind { StartDoc, NewPage, EndDoc, Text, Line } kind = Text;
    std::string text;         // Text
    double x = 0, y = 0;      // Text: the position written at; Line: start
    double x2 = 0, y2 = 0;    // Line: end
    std::string fontName;     // font and colour state at the time
    double fontSize = 0;
    bool bold = false;
    Colour colour = 0;
    double drawWidth = 1;
    PageOrientation orientation = PageOrientation::Landscape;  // StartDoc
};

struct PrinterLog {
    std::vector<PrinterOperation> operations;
    int printersOpened = 0;

    std::vector<PrinterOperation> Texts() const;
    std::vector<PrinterOperation> Lines() const;
    // Documents sent (EndDoc).
    int Documents() const;
};

class MemoryPrinter final : public Printer {
public:
    explicit MemoryPrinter(std::shared_ptr<PrinterLog> log = std::make_shared<PrinterLog>());

    void StartDoc(PageOrientation orientation) override;
    void EndDoc() override;
    void NewPage() override;
    double PageWidth() const override;
    double PageHeight() const override;
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
    // Raises Error for a negative width.
    void SetDrawWidth(double width) override;
    void Print(const std::string& text) override;
    void Line(double x1, double y1, double x2, double y2) override;
    double TextWidth(const std::string& text) const override;
    double TextHeight(const std::string& text) const override;

    std::shared_ptr<PrinterLog> Log() const { return log_; }
    std::string FontName() const { return fontName_; }
    double FontSize() const { return fontSize_; }
    bool FontBold() const { return bold_; }

private:
    PrinterOperation Stamp(PrinterOperation::Kind kind) const;

    std::shared_ptr<PrinterLog> log_;
    PageOrientation orientation_ = PageOrientation::Landscape;
    double x_ = 0, y_ = 0;
    std::string fontName_ = "Arial";
    double fontSize_ = 8;
    bool bold_ = false;
    Colour colour_ = 0;
    double drawWidth_ = 1;
};

} // namespace agendor::memory
