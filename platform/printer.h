#pragma once
// The printed page of one print run: centimetre coordinates from the top left
// corner of the printable area, x to the right and y downwards, whatever the
// device's resolution. Text is written at a current position (CurrentX,
// CurrentY) in the current font and colour; lines and box outlines in the
// current colour and line width. Every failure raises Error with a
// description a person can read.
//
// A document runs from StartDoc to EndDoc (sent) or KillDoc (thrown away),
// with NewPage between its pages. Only EndDoc hands anything to the printer
// or writes the file; until then nothing leaves the process, so a document
// that is killed, or whose device is destroyed with it still open, leaves no
// trace on any printer, queue or file.
#include <cstddef>
#include <string>
#include <vector>

#include "agendor/platform/types.h"

namespace agendor {

enum class PageOrientation { Portrait, Landscape };

class Printer {
public:
    virtual ~Printer() = default;

    // Begins the document on an A4 page in the given orientation. Raises when
    // the device cannot be opened (no printer, a file that cannot be written).
    virtual void StartDoc(PageOrientation orientation) = 0;
    // Ends the page and sends the document. Raises when the document cannot
    // be sent; it is then thrown away, and nothing counts as printed.
    virtual void EndDoc() = 0;
    // Throws away everything since StartDoc; nothing of it reaches the printer
    // or the file. Harmless when no document is open.
    virtual void KillDoc() noexcept = 0;
    // Ends the current page and begins the next one, in the same orientation
    // and with the position at (0, 0); raises when no document is open.
    virtual void NewPage() = 0;
    // The title of the next document: a PDF keeps it in its metadata, a print
    // queue names the job after it. Set before StartDoc.
    virtual void SetDocumentTitle(const std::string& title) = 0;

    virtual double CurrentX() const = 0;  // cm
    virtual double CurrentY() const = 0;  // cm
    virtual void SetCurrentX(double cm) = 0;
    virtual void SetCurrentY(double cm) = 0;

    // The face of the control's font; raises for a face the device lacks.
    virtual void SetFontName(const std::string& name) = 0;
    // Points; raises for 0 or less.
    virtual void SetFontSize(double points) = 0;
    virtual void SetFontBold(bool bold) = 0;
    virtual Colour ForeColor() const = 0;
    virtual void SetForeColor(Colour c) = 0;
    // Line width in printer dots of 1/300 inch, so that a frame of 5 is as
    // bold on every device as on a 300-dpi printer; raises below 1.
    virtual void SetDrawWidth(int dots) = 0;

    // Writes text with the top of its first line at (CurrentX, CurrentY);
    // afterwards CurrentX is where it was and CurrentY one line of the
    // current font lower per line of the text (CR, LF and CR LF break lines).
    virtual void Print(const std::string& text) = 0;
    // A straight line from (x1, y1) to (x2, y2).
    virtual void Line(double x1, double y1, double x2, double y2) = 0;
    // The outline of the box with the corners (x1, y1) and (x2, y2).
    virtual void Box(double x1, double y1, double x2, double y2) = 0;
    // The size the text takes in the current font: the width of its longest
    // line and the height of all its lines, in cm.
    virtual double TextWidth(const std::string& text) const = 0;
    virtual double TextHeight(const std::string& text) const = 0;
    // Where text may be cut without splitting what a reader sees as one
    // character (a letter with its accents, a syllable, a flag): the byte
    // offsets of the ends of these characters, ascending, the last being
    // text.size(); empty for the empty text. Linear in the text's length.
    virtual std::vector<std::size_t> CharacterEnds(const std::string& text) const = 0;
};

} // namespace agendor
