#pragma once
// The printed page on Qt: a PDF file written through QPdfWriter, or a
// QPrinter (the system's default printer, one the person chose in
// QPrintDialog, or the printer of QPrintPreviewDialog). The page is A4 in
// the orientation StartDoc asks for; centimetres count from the top left
// corner of the printable area (of the paper itself for a PDF file), and
// texts are measured with QFontMetricsF at the device's resolution.
//
// The pages are drawn into a buffer (the painter's commands, in the device's
// coordinates) and only EndDoc opens a painter on the device and replays
// them. Aborting a QPrinter job does nothing on most engines (CUPS, PDF):
// once a painter is begun on a printer, ending it sends the job. So a killed
// print run never begins one, and nothing reaches any queue. A PDF file is
// written to a temporary file beside it and put in place by EndDoc, so a
// failed or killed print run leaves an existing file as it was and no half
// page behind.
//
// Texts are set without ligatures: the PDF's text then reads back as the
// data holds it ("ff", not U+FB00), so a search in a viewer finds a name.
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "agendor/platform/printer.h"
#include "agendor/qt_export.h"

class QPagedPaintDevice;
class QPdfWriter;
class QPrinter;
class QSaveFile;

namespace agendor::qt {

class AGENDOR_QT_EXPORT QtPrinter final : public Printer {
public:
    // A PDF file; raises Error at StartDoc when it cannot be written.
    static std::unique_ptr<QtPrinter> ToPdf(const QString& file);
    // A printer the host has set up (a print dialog's, the preview's); it
    // must outlive the QtPrinter.
    static std::unique_ptr<QtPrinter> On(QPrinter& printer);
    // The system's default printer; raises Error when there is none.
    static std::unique_ptr<QtPrinter> DefaultPrinter();
    // The print queue of that name; raises Error when the system has none.
    static std::unique_ptr<QtPrinter> Named(const QString& queue);
    ~QtPrinter() override;

    void StartDoc(PageOrientation orientation) override;
    void EndDoc() override;
    void KillDoc() noexcept override;
    void NewPage() override;
    void SetDocumentTitle(const std::string& title) override;
    double CurrentX() const override { return x_; }
    double CurrentY() const override { return y_; }
    void SetCurrentX(double cm) override { x_ = cm; }
    void SetCurrentY(double cm) override { y_ = cm; }
    void SetFontName(const std::string& name) override;
    void SetFontSize(double points) override;
    void SetFontBold(bool bold) override;
    Colour ForeColor() const override { return fore_; }
    void SetForeColor(Colour c) override { fore_ = c; }
    void SetDrawWidth(int dots) override;
    void Print(const std::string& text) override;
    void Line(double x1, double y1, double x2, double y2) override;
    void Box(double x1, double y1, double x2, double y2) override;
    double TextWidth(const std::string& text) const override;
    double TextHeight(const std::string& text) const override;
    // The ends of the grapheme clusters, as QTextBoundaryFinder finds them.
    std::vector<std::size_t> CharacterEnds(const std::string& text) const override;

private:
    using Command = std::function<void(QPainter&)>;

    QtPrinter();
    QFontMetricsF Metrics() const;
    double DevicePerCm() const;
    QPointF ToDevice(double xCm, double yCm) const;
    // Adds a command to the open page; raises when no document is open.
    void Draw(Command command);
    QPen LinePen() const;

    std::unique_ptr<QSaveFile> file_;
    std::unique_ptr<QPdfWriter> pdf_;
    std::unique_ptr<QPrinter> ownPrinter_;
    QPrinter* printer_ = nullptr;        // the printer painted on, when not a PDF file
    QPagedPaintDevice* device_ = nullptr;
    QString fileName_;
    QString title_;
    // The pages of the open document, each its painter's commands; empty
    // when no document is open.
    std::vector<std::vector<Command>> pages_;
    QFont font_;
    Colour fore_ = 0;
    int drawWidth_ = 1;
    double x_ = 0, y_ = 0;
};

} // namespace agendor::qt
