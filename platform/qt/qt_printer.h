#pragma once
// The printer page over a QPrinter (the system's printer, or a PDF file):
// centimetre coordinates from the top left corner of the paper, text placed
// with its top at CurrentY.
#include <QFont>
#include <QPainter>
#include <QPrinter>

#include <memory>
#include <string>

#include "agendor/platform/printer.h"

namespace agendor::qt {

class QtPrinter final : public Printer {
public:
    // pdfFile empty: the system's default printer. Raises Error when there
    // is none.
    explicit QtPrinter(const QString& pdfFile = {});
    ~QtPrinter() override;

    void StartDoc(PageOrientation orientation) override;
    void EndDoc() override;
    void NewPage() override;
    double PageWidth() const override;
    double PageHeight() const override;
    double CurrentX() const override { return x_; }
    double CurrentY() const override { return y_; }
    void SetCurrentX(double cm) override { x_ = cm; }
    void SetCurrentY(double cm) override { y_ = cm; }
    void SetFontName(const std::string& name) override;
    void SetFontSize(double points) override;
    void SetFontBold(bool bold) override;
    Colour ForeColor() const override { return fore_; }
    void SetForeColor(Colour c) override { fore_ = c; }
    void SetDrawWidth(double cm) override;
    void Print(const std::string& text) override;
    void Line(double x1, double y1, double x2, double y2) override;
    double TextWidth(const std::string& text) const override;
    double TextHeight(const std::string& text) const override;

    QPrinter& Device() { return printer_; }

private:
    double DevicePerCm() const;
    QPointF ToDevice(double xCm, double yCm) const;
    void RequireDoc() const;

    QPrinter printer_;
    std::unique_ptr<QPainter> painter_;
    QFont font_;
    Colour fore_ = 0;
    double drawWidth_ = 0.02;
    double x_ = 0, y_ = 0;
};

} // namespace agendor::qt
