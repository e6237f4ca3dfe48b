#pragma once
// The printed page on Qt: a PDF file written through QPdfWriter, or a
// QPrinter (the system's default printer, one the person chose in
// QPrintDialog, or the printer of QPrintPreviewDialog). The page is A4 in
// the orientation StartDoc asks for; centimetres count from the top left
// corner of the printable area (of the paper itself for a PDF file), and
// texts are measured with QFontMetricsF at the device's resolution.
//
// A PDF file is written to a temporary file beside it and put in place by
// EndDoc, so a failed or killed print run leaves an existing file as it was
// and no half page behind.
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QString>

#include <memory>
#include <string>

#include "agendor/platform/printer.h"

class QPagedPaintDevice;
class QPdfWriter;
class QPrinter;
class QSaveFile;

namespace agendor::qt {

class QtPrinter final : public Printer {
public:
    // A PDF file; raises Error at StartDoc when it cannot be written.
    static std::unique_ptr<QtPrinter> ToPdf(const QString& file);
    // A printer the host has set up (a print dialog's, the preview's); it
    // must outlive the QtPrinter.
    static std::unique_ptr<QtPrinter> On(QPrinter& printer);
    // The system's default printer; raises Error when there is none.
    static std::unique_ptr<QtPrinter> DefaultPrinter();
    ~QtPrinter() override;

    void StartDoc(PageOrientation orientation) override;
    void EndDoc() override;
    void KillDoc() noexcept override;
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

private:
    QtPrinter();
    QFontMetricsF Metrics() const;
    double DevicePerCm() const;
    QPointF ToDevice(double xCm, double yCm) const;
    QPainter& Painter();
    QPen LinePen() const;

    std::unique_ptr<QSaveFile> file_;
    std::unique_ptr<QPdfWriter> pdf_;
    std::unique_ptr<QPrinter> ownPrinter_;
    QPrinter* printer_ = nullptr;        // the printer painted on, when not a PDF file
    QPagedPaintDevice* device_ = nullptr;
    QString fileName_;
    std::unique_ptr<QPainter> painter_;
    QFont font_;
    Colour fore_ = 0;
    int drawWidth_ = 1;
    double x_ = 0, y_ = 0;
};

} // namespace agendor::qt
