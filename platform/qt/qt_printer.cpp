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
#include <QTextBoundaryFinder>

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
    // Latin text is set glyph by glyph, without the font's ligatures ("ff",
    // "fi" as one glyph), which would make the PDF's text unsearchable.
    font_.setStyleStrategy(QFont::PreferNoShaping);
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

std::unique_ptr<QtPrinter> QtPrinter::Named(const QString& queue) {
    const QPrinterInfo info = QPrinterInfo::printerInfo(queue);
    if (info.isNull()) throw Error("Drucker nicht gefunden: " + S(queue));
    std::unique_ptr<QtPrinter> printer(new QtPrinter());
    printer->ownPrinter_ = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    printer->printer_ = printer->ownPrinter_.get();
    return printer;
}

QtPrinter::~QtPrinter() { KillDoc(); }

void QtPrinter::StartDoc(PageOrientation orientation) {
    if (!pages_.empty()) return;  // the document is open already
    const QPageLayout::Orientation o = orientation == PageOrientation::Landscape ? QPageLayout::Landscape
                                                                                 : QPageLayout::Portrait;
    if (printer_) {
        printer_->setPageSize(QPageSize(QPageSize::A4));
        printer_->setPageOrientation(o);
        // Positions count from the printable area's corner, not the paper's.
        printer_->setFullPage(false);
        printer_->setDocName(title_);
        printer_->setCreator(QStringLiteral("Agendor"));
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
        pdf_->setTitle(title_);
        pdf_->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), o, QMarginsF(0, 0, 0, 0)));
        device_ = pdf_.get();
    }
    pages_.emplace_back();
    x_ = y_ = 0;
}

void QtPrinter::NewPage() {
    if (pages_.empty()) throw Error("Der Druckauftrag ist nicht begonnen");
    pages_.emplace_back();
    x_ = y_ = 0;
}

void QtPrinter::SetDocumentTitle(const std::string& title) { title_ = Q(title); }

void QtPrinter::EndDoc() {
    if (pages_.empty()) throw Error("Der Druckauftrag ist nicht begonnen");
    const std::vector<std::vector<Command>> pages = std::move(pages_);
    pages_.clear();
    QPainter painter;
    if (!painter.begin(device_)) {
        KillDoc();
        throw Error("Der Drucker kann nicht geöffnet werden");
    }
    bool ended = true;
    for (std::size_t i = 0; i < pages.size() && ended; ++i) {
        if (i > 0) ended = device_->newPage();
        for (const Command& command : pages[i]) command(painter);
    }
    ended = painter.end() && ended;
    pdf_.reset();
    device_ = nullptr;
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
}

void QtPrinter::KillDoc() noexcept {
    // No painter was ever begun on the device, so there is no job to take back.
    pages_.clear();
    pdf_.reset();
    // The temporary file goes; a file of that name stays as it was.
    if (file_) file_->cancelWriting();
    file_.reset();
    device_ = nullptr;
}

void QtPrinter::Draw(Command command) {
    if (pages_.empty()) throw Error("Der Druckauftrag ist nicht begonnen");
    pages_.back().push_back(std::move(command));
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
    const QFontMetricsF metrics = Metrics();
    for (const QString& line : LinesOf(text)) {
        const QPointF at = ToDevice(x_, y_);
        Draw([font = font_, colour = ToQColor(fore_), at = QPointF(at.x(), at.y() + metrics.ascent()),
              line](QPainter& painter) {
            painter.setFont(font);
            painter.setPen(colour);
            painter.drawText(at, line);
        });
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
    Draw([pen = LinePen(), from = ToDevice(x1, y1), to = ToDevice(x2, y2)](QPainter& painter) {
        painter.setPen(pen);
        painter.drawLine(from, to);
    });
}

void QtPrinter::Box(double x1, double y1, double x2, double y2) {
    Draw([pen = LinePen(), box = QRectF(ToDevice(x1, y1), ToDevice(x2, y2)).normalized()](QPainter& painter) {
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box);
    });
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

std::vector<std::size_t> QtPrinter::CharacterEnds(const std::string& text) const {
    std::vector<std::size_t> ends;
    const QString q = Q(text);
    if (q.toStdString() != text) {
        // Not valid UTF-8: Qt would count replacement characters, not the
        // text's bytes. Every code point, and every stray byte, is a character.
        for (std::size_t i = 0; i < text.size();) {
            std::size_t next = i + 1;
            while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) ++next;
            ends.push_back(i = next);
        }
        return ends;
    }
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, q);
    std::size_t bytes = 0;
    qsizetype previous = 0;
    for (qsizetype at = finder.toNextBoundary(); at > 0; at = finder.toNextBoundary()) {
        bytes += static_cast<std::size_t>(q.mid(previous, at - previous).toUtf8().size());
        ends.push_back(bytes);
        previous = at;
    }
    return ends;
}

} // namespace agendor::qt
