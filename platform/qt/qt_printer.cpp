#include "agendor/platform/qt/qt_printer.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <QScreen>

#include <algorithm>

#include "agendor/platform/qt/qt_common.h"
#include "agendor/platform/qt/qt_font.h"

namespace agendor::qt {

namespace {

constexpr double kCmPerInch = 2.54;
constexpr double kDotsPerInch = 300;  // the unit of DrawWidth
constexpr int kPdfResolution = 1200;  // dpi: positions in a PDF land within 0.03 mm

QStringList LinesOf(const std::string& text) {
    QString t = Q(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t.split(QLatin1Char('\n'));
}

} // namespace

QtPrinter::QtPrinter() {
    font_ = QFont(InstalledFamily("Arial"));
    font_.setPointSizeF(8.25);
}

std::unique_ptr<QtPrinter> QtPrinter::ToPdf(const QString& file) {
    std::unique_ptr<QtPrinter> printer(new QtPrinter());
    printer->fileName_ = file;
    return printer;
}

std::unique_ptr<QtPrinter> QtPrinter::On(QPrinter& target) {
    std::unique_ptr<QtPrinter> printer(new QtPrinter());
    printer->printer_ = &target;
    return printer;
}

std::unique_ptr<QtPrinter> QtPrinter::DefaultPrinter() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) throw Error("Kein Drucker installiert");
    std::unique_ptr<QtPrinter> printer(new QtPrinter());
    printer->ownPrinter_ = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    printer->printer_ = printer->ownPrinter_.get();
    return printer;
}

QtPrinter::~QtPrinter() { KillDoc(); }

void QtPrinter::StartDoc(PageOrientation orientation) {
    if (painter_) return;  // the document is open already
    const QPageLayout::Orientation o = orientation == PageOrientation::Landscape ? QPageLayout::Landscape
                                                                                 : QPageLayout::Portrait;
    if (printer_) {
        printer_->setPageSize(QPageSize(QPageSize::A4));
        printer_->setPageOrientation(o);
        // Positions count from the printable area's corner, not the paper's.
        printer_->setFullPage(false);
        device_ = printer_;
    } else {
        if (fileName_.isEmpty()) throw Error("Kein Dateiname für das PDF angegeben");
        file_ = std::make_unique<QSaveFile>(fileName_);
        if (!file_->open(QIODevice::WriteOnly)) {
            const QString reason = file_->errorString();
            file_.reset();
            throw Error("Die Datei " + S(QFileInfo(fileName_).absoluteFilePath()) +
                        " kann nicht geschrieben werden: " + S(reason));
        }
        pdf_ = std::make_unique<QPdfWriter>(file_.get());
        pdf_->setResolution(kPdfResolution);
        pdf_->setCreator(QStringLiteral("Agendor"));
        pdf_->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), o, QMarginsF(0, 0, 0, 0)));
        device_ = pdf_.get();
    }
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(device_)) {
        KillDoc();
        throw Error("Der Drucker kann nicht geöffnet werden");
    }
    x_ = y_ = 0;
}

void QtPrinter::EndDoc() {
    if (!painter_) throw Error("Der Druckauftrag ist nicht begonnen");
    const bool ended = painter_->end();
    painter_.reset();
    pdf_.reset();
    if (file_) {
        const bool written = ended && file_->commit();
        const QString reason = file_->errorString();
        file_.reset();
        if (!written)
            throw Error("Die Datei " + S(QFileInfo(fileName_).absoluteFilePath()) +
                        " konnte nicht geschrieben werden: " + S(reason));
    } else if (!ended || printer_->printerState() == QPrinter::Error) {
        throw Error("Der Druckauftrag konnte nicht abgeschlossen werden");
    }
    device_ = nullptr;
}

void QtPrinter::KillDoc() noexcept {
    if (painter_ && printer_) printer_->abort();
    if (painter_ && painter_->isActive()) painter_->end();
    painter_.reset();
    pdf_.reset();
    // The temporary file goes; a file of that name stays as it was.
    if (file_) file_->cancelWriting();
    file_.reset();
    device_ = nullptr;
}

QPainter& QtPrinter::Painter() {
    if (!painter_) throw Error("Der Druckauftrag ist nicht begonnen");
    return *painter_;
}

QFontMetricsF QtPrinter::Metrics() const {
    // Before StartDoc there is no device yet; the screen's resolution then
    // gives the same sizes in cm, only less exactly.
    return device_ ? QFontMetricsF(font_, device_) : QFontMetricsF(font_);
}

double QtPrinter::DevicePerCm() const {
    const double dpi = device_ ? device_->logicalDpiY() : QGuiApplication::primaryScreen()->logicalDotsPerInchY();
    return dpi / kCmPerInch;
}

QPointF QtPrinter::ToDevice(double xCm, double yCm) const { return {xCm * DevicePerCm(), yCm * DevicePerCm()}; }

void QtPrinter::SetFontName(const std::string& name) {
    QString family = InstalledFamily(name);
    // A face the font database does not list by that name (an alias such as
    // "Sans Serif") is matched by Qt as on the screen, so the page shows the
    // font the control shows.
    if (family.isEmpty()) family = Q(name).trimmed();
    if (family.isEmpty()) throw Error("Schriftart nicht gefunden: " + name);
    font_.setFamilies({family});
}

void QtPrinter::SetFontSize(double points) {
    if (!(points > 0)) throw Error(kInvalidPropertyValue);
    font_.setPointSizeF(points);
}

void QtPrinter::SetFontBold(bool bold) { font_.setBold(bold); }

void QtPrinter::SetDrawWidth(int dots) {
    if (dots < 1) throw Error(kInvalidPropertyValue);
    drawWidth_ = dots;
}

void QtPrinter::Print(const std::string& text) {
    QPainter& painter = Painter();
    painter.setFont(font_);
    painter.setPen(ToQColor(fore_));
    const QFontMetricsF metrics = Metrics();
    for (const QString& line : LinesOf(text)) {
        const QPointF at = ToDevice(x_, y_);
        painter.drawText(QPointF(at.x(), at.y() + metrics.ascent()), line);
        y_ += metrics.height() / DevicePerCm();
    }
}

QPen QtPrinter::LinePen() const {
    QPen pen(ToQColor(fore_));
    pen.setWidthF(drawWidth_ / kDotsPerInch * kCmPerInch * DevicePerCm());
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

void QtPrinter::Line(double x1, double y1, double x2, double y2) {
    QPainter& painter = Painter();
    painter.setPen(LinePen());
    painter.drawLine(ToDevice(x1, y1), ToDevice(x2, y2));
}

void QtPrinter::Box(double x1, double y1, double x2, double y2) {
    QPainter& painter = Painter();
    painter.setPen(LinePen());
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(ToDevice(x1, y1), ToDevice(x2, y2)).normalized());
}

double QtPrinter::TextWidth(const std::string& text) const {
    const QFontMetricsF metrics = Metrics();
    double widest = 0;
    for (const QString& line : LinesOf(text)) widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest / DevicePerCm();
}

double QtPrinter::TextHeight(const std::string& text) const {
    const QFontMetricsF metrics = Metrics();
    return metrics.height() * double(LinesOf(text).size()) / DevicePerCm();
}

} // namespace agendor::qt
