#include "agendor/platform/qt/qt_printer.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPrinterInfo>

#include "agendor/platform/qt/qt_common.h"
#include "agendor/platform/qt/qt_font.h"

namespace agendor::qt {

namespace {
constexpr double kCmPerInch = 2.54;
constexpr const char* kNoPrinter = "Kein Drucker installiert";
constexpr const char* kNotPrinting = "Der Druckauftrag ist nicht begonnen";
}

QtPrinter::QtPrinter(const QString& pdfFile) : printer_(QPrinter::HighResolution) {
    if (pdfFile.isEmpty()) {
        if (QPrinterInfo::defaultPrinter().isNull()) throw Error(kNoPrinter);
    } else {
        printer_.setOutputFormat(QPrinter::PdfFormat);
        printer_.setOutputFileName(pdfFile);
    }
    printer_.setPageSize(QPageSize(QPageSize::A4));
    printer_.setFullPage(true);
    font_ = QFont(InstalledFamily("Arial"));
    font_.setPointSizeF(8.25);
}

QtPrinter::~QtPrinter() {
    if (painter_ && painter_->isActive()) painter_->end();
}

void QtPrinter::StartDoc(PageOrientation orientation) {
    printer_.setPageOrientation(orientation == PageOrientation::Landscape ? QPageLayout::Landscape
                                                                        : QPageLayout::Portrait);
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(&printer_)) {
        painter_.reset();
        throw Error("Der Drucker kann nicht geöffnet werden");
    }
    x_ = y_ = 0;
}

void QtPrinter::EndDoc() {
    RequireDoc();
    if (!painter_->end()) throw Error("Der Druckauftrag konnte nicht abgeschlossen werden");
    painter_.reset();
}

void QtPrinter::NewPage() {
    RequireDoc();
    if (!printer_.newPage()) throw Error("Neue Seite nicht möglich");
    x_ = y_ = 0;
}

void QtPrinter::RequireDoc() const {
    if (!painter_) throw Error(kNotPrinting);
}

double QtPrinter::DevicePerCm() const { return printer_.resolution() / kCmPerInch; }

QPointF QtPrinter::ToDevice(double xCm, double yCm) const { return {xCm * DevicePerCm(), yCm * DevicePerCm()}; }

double QtPrinter::PageWidth() const {
    return printer_.pageLayout().fullRect(QPageLayout::Millimeter).width() / 10.0;
}

double QtPrinter::PageHeight() const {
    return printer_.pageLayout().fullRect(QPageLayout::Millimeter).height() / 10.0;
}

void QtPrinter::SetFontName(const std::string& name) {
    const QString family = InstalledFamily(name);
    if (family.isEmpty()) throw Error("Schriftart nicht gefunden");
    font_.setFamily(family);
}

void QtPrinter::SetFontSize(double points) {
    if (!(points > 0)) throw Error(kInvalidPropertyValue);
    font_.setPointSizeF(points);
}

void QtPrinter::SetFontBold(bool bold) { font_.setBold(bold); }

void QtPrinter::SetDrawWidth(double cm) {
    if (cm < 0) throw Error(kInvalidPropertyValue);
    drawWidth_ = cm;
}

void QtPrinter::Print(const std::string& text) {
    RequireDoc();
    painter_->setFont(font_);
    painter_->setPen(ToQColor(fore_));
    const QFontMetricsF metrics(font_, &printer_);
    QString t = Q(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    const QStringList lines = t.split(QLatin1Char('\r'));
    for (const QString& line : lines) {
        const QPointF at = ToDevice(x_, y_);
        painter_->drawText(QPointF(at.x(), at.y() + metrics.ascent()), line);
        y_ += metrics.height() / DevicePerCm();
    }
}

void QtPrinter::Line(double x1, double y1, double x2, double y2) {
    RequireDoc();
    QPen pen(ToQColor(fore_));
    pen.setWidthF(std::max(1.0, drawWidth_ * DevicePerCm()));
    painter_->setPen(pen);
    painter_->drawLine(ToDevice(x1, y1), ToDevice(x2, y2));
}

double QtPrinter::TextWidth(const std::string& text) const {
    const QFontMetricsF metrics(font_, const_cast<QPrinter*>(&printer_));
    double widest = 0;
    QString t = Q(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    for (const QString& line : t.split(QLatin1Char('\r'))) widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest / DevicePerCm();
}

double QtPrinter::TextHeight(const std::string& text) const {
    const QFontMetricsF metrics(font_, const_cast<QPrinter*>(&printer_));
    QString t = Q(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    return metrics.height() * double(t.split(QLatin1Char('\r')).size()) / DevicePerCm();
}

} // namespace agendor::qt
