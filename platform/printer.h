#pragma once
// The printer page: centimetre coordinates from the page's top left corner,
// a current position (CurrentX, CurrentY) at which Print writes and which it
// moves below the printed line, fonts and colours. Failures raise Error.
#include <string>

#include "agendor/platform/types.h"

namespace agendor {

enum class PageOrientation { Portrait, Landscape };

class Printer {
public:
    virtual ~Printer() = default;
    virtual void StartDoc(PageOrientation orientation) = 0;
    virtual void EndDoc() = 0;
    virtual void NewPage() = 0;
    virtual double PageWidth() const = 0;   // cm
    virtual double PageHeight() const = 0;  // cm
    virtual double CurrentX() const = 0;
    virtual double CurrentY() const = 0;
    virtual void SetCurrentX(double cm) = 0;
    virtual void SetCurrentY(double cm) = 0;
    virtual void SetFontName(const std::string& name) = 0;
    virtual void SetFontSize(double points) = 0;
    virtual void SetFontBold(bool bold) = 0;
    virtual Colour ForeColor() const = 0;
    virtual void SetForeColor(Colour c) = 0;
    virtual void SetDrawWidth(double cm) = 0;
    // Writes text at the current position; afterwards CurrentX is back at the
    // left edge where it started and CurrentY one line lower.
    virtual void Print(const std::string& text) = 0;
    virtual void Line(double x1, double y1, double x2, double y2) = 0;
    virtual double TextWidth(const std::string& text) const = 0;   // cm
    virtual double TextHeight(const std::string& text) const = 0;  // cm
};

} // namespace agendor
