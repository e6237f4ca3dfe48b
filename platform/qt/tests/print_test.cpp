// The printed sheet through the Qt printer: a PDF file read back with
// poppler's tools (page size, and where the words stand), the preview, and
// files that cannot be written.
#include <QFile>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <tuple>

#include "agendor/core/date_time.h"
#include "agendor/platform/qt/qt_printer.h"
#include "agendor/platform/qt/tests/qt_sqlite_file.h"
#include "agendor/platform/qt/tests/qt_test_support.h"

namespace agendor::qt {
namespace {

constexpr double kPointsPerCm = 72 / 2.54;
constexpr double kHalfMillimetre = 0.05 * kPointsPerCm;

struct Word {
    QString text;
    double xMin, yMin, xMax, yMax;  // points from the page's top left
    bool operator==(const Word&) const = default;
};

void PrintTo(const Word& w, std::ostream* os) {
    *os << w.text.toStdString() << " [" << w.xMin << ", " << w.yMin << ", " << w.xMax << ", " << w.yMax << "]";
}

QString Output(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(20000) || process.exitCode() != 0) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The words of the PDF, or of its page (from 1) when given.
std::vector<Word> WordsOf(const QString& pdf, int page = 0) {
    QStringList arguments = {"-bbox", pdf, "-"};
    if (page > 0) arguments = QStringList{"-f", QString::number(page), "-l", QString::number(page)} + arguments;
    const QString xml = Output("pdftotext", arguments);
    static const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    std::vector<Word> words;
    for (auto it = word.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        words.push_back({m.captured(5), m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                         m.captured(4).toDouble()});
    }
    return words;
}

// pdfinfo's page count and size in points, or 0s when it cannot say.
std::tuple<int, double, double> PagesAndSize(const QString& pdf) {
    const QString info = Output("pdfinfo", {pdf});
    const auto pages = QRegularExpression(R"(Pages:\s+(\d+)\n)").match(info);
    const auto size = QRegularExpression(R"(Page size:\s+([\d.]+) x ([\d.]+) pts)").match(info);
    return {pages.captured(1).toInt(), size.captured(1).toDouble(), size.captured(2).toDouble()};
}

// A page begun and thrown away, as a print run that fails leaves it.
void KilledPage(Printer& printer) {
    printer.StartDoc(PageOrientation::Landscape);
    printer.Print("halbe Seite");
    printer.KillDoc();
}

const Word* Find(const std::vector<Word>& words, const QString& text) {
    for (const Word& w : words)
        if (w.text == text) return &w;
    return nullptr;
}

class PrintTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        const std::string path = dir.filePath("termine.db").toStdString();
        testing::CreateCalendarFile(path, {"Müller"}, {{dt::FromYmdHms(2001, 11, 14, 10, 0, 0), 1}});
        widget = std::make_unique<AgendorWidget>();
        testing::UseCalendarFile(*widget, path, messages);
        Agendor& c = widget->control();
        c.SetFootnote("Praxis Dr. Albers");
        c.SetDateValue(dt::FromYmd(2001, 11, 14));
    }

    QTemporaryDir dir;
    std::unique_ptr<AgendorWidget> widget;
    std::vector<std::string> messages;
};

TEST_F(PrintTest, PdfPageShowsTheSheetWhereItBelongs) {
    const QString pdf = dir.filePath("november.pdf");
    ASSERT_TRUE(widget->PrintSheetToPdf(pdf, agMonat));
    EXPECT_TRUE(messages.empty()) << messages[0];

    const auto [pages, width, height] = PagesAndSize(pdf);
    EXPECT_EQ(pages, 1);
    EXPECT_NEAR(width, 842, 0.5);
    EXPECT_NEAR(height, 595, 0.5);

    const std::vector<Word> words = WordsOf(pdf);
    // The words first to last stand with their top at topCm and, when
    // centred, their middle at xCm, else their left edge.
    auto expectAt = [&](const QString& first, const QString& last, double xCm, double topCm, bool centred = true) {
        const Word* a = Find(words, first);
        const Word* b = Find(words, last);
        ASSERT_TRUE(a && b) << first.toStdString();
        EXPECT_NEAR(centred ? (a->xMin + b->xMax) / 2 : a->xMin, xCm * kPointsPerCm, kHalfMillimetre) << first.toStdString();
        EXPECT_NEAR(a->yMin, topCm * kPointsPerCm, kHalfMillimetre) << first.toStdString();
    };
    expectAt("November", "2001", 29.7 / 2, 1.8);
    const char* weekdays[] = {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"};
    for (int i = 0; i < 7; ++i) expectAt(weekdays[i], weekdays[i], 1.0 + 3.8 * i + 1.9, 2.7);
    // Thursday 1 November in row 1, column 3, with its name.
    expectAt("1", "1", 1.0 + 3.8 * 3 + 0.1, 3.5, false);
    const Word* holiday = Find(words, "Allerheiligen");
    ASSERT_TRUE(holiday);
    EXPECT_NEAR(holiday->yMin, 3.5 * kPointsPerCm, kHalfMillimetre);
    EXPECT_LT(holiday->xMax, (1.0 + 3.8 * 4) * kPointsPerCm);
    expectAt("Praxis", "Albers", 30.0 / 2, 19.0);
    // Wednesday 14 November, row 3, column 2: 0.4 cm below the cell's top line.
    expectAt("10:00", "10:00", 1.0 + 3.8 * 2 + 0.1, 3.5 + 2.5 * 2 + 0.4, false);
    EXPECT_TRUE(Find(words, QStringLiteral("Müller")));
}

TEST_F(PrintTest, AFileThatCannotBeWrittenShowsItsBoxAKilledPageLeavesTheOldFileAndReachesNoPrinter) {
    EXPECT_FALSE(widget->PrintSheetToPdf(dir.filePath("fehlt/blatt.pdf")));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Agendor-Fehlercode 3\r\nDie Datei ", 0), 0u) << messages[0];
    EXPECT_NE(messages[0].find("fehlt/blatt.pdf"), std::string::npos) << messages[0];

    const QString old = dir.filePath("alt.pdf");
    {
        QFile file(old);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("das alte Blatt");
    }
    KilledPage(*QtPrinter::ToPdf(old));
    {
        auto printer = QtPrinter::ToPdf(old);
        printer->StartDoc(PageOrientation::Landscape);
        printer->Print("halbe Seite");
    }  // destroyed with its document open
    QFile file(old);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("das alte Blatt"));

    // An aborted job reaches no printer. QPrinter's own abort() does nothing
    // for its PDF and CUPS engines: once a painter has begun on it, the job
    // goes out when the painter ends.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("abgebrochen.pdf"));
    KilledPage(*QtPrinter::On(printer));
    // A print run that fails: the week of 27 December 9999 ends in a year
    // the calendar does not hold.
    widget->control().SetDateValue(dt::FromYmd(9999, 12, 29));
    EXPECT_FALSE(widget->PrintSheetOn(printer, agWoche));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].rfind("Agendor-Fehlercode 3\r\n", 0), 0u) << messages[1];
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).join(' ').toStdString(), "alt.pdf termine.db");
}

TEST_F(PrintTest, ThePrintButtonShowsEveryFailureAndTheControlGoesOn) {
    widget->resize(545, 479);
    widget->show();
    QtSurface& s = widget->surface();
    widget->control().SetView(agMonat);
    s.SetPrinterFactory([]() -> std::unique_ptr<Printer> { throw Error("Kein Drucker installiert"); });
    QTest::mouseClick(s.Toolbar2->ButtonWidget(5), Qt::LeftButton);
    EXPECT_EQ(messages, std::vector<std::string>{"Agendor-Fehlercode 3\r\nKein Drucker installiert"});

    // A database error: its box, and the sheet without appointments still comes out.
    s.SetPrinterFactory(nullptr);
    const QString pdf = dir.filePath("ohne-termine.pdf");
    s.SetPrintFile(pdf);
    widget->control().SetDataSourceDates("Nichts");
    QTest::mouseClick(s.Toolbar2->ButtonWidget(5), Qt::LeftButton);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].rfind("Agendor-Fehlercode 5\r\n", 0), 0u) << messages[1];
    const std::vector<Word> words = WordsOf(pdf);
    EXPECT_TRUE(Find(words, "November"));
    EXPECT_FALSE(Find(words, "10:00"));
    EXPECT_TRUE(widget->isVisible());
}

TEST_F(PrintTest, PreviewShowsThePage) {
    int pages = -1;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QPrintPreviewDialog*>(w);
            if (!dialog) continue;
            if (auto* preview = dialog->findChild<QPrintPreviewWidget*>()) {
                preview->updatePreview();
                pages = preview->pageCount();
            }
            dialog->resize(1000, 760);
            testing::SaveShot(dialog->grab(), "print-preview");
            dialog->reject();
        }
    });
    widget->PrintPreview(agWoche);
    EXPECT_EQ(pages, 1);
    EXPECT_TRUE(messages.empty()) << messages[0];
}

// May 2027 (Whit Monday on the 17th) with the kinds of names a typesetter
// looks at: ligature pairs, a line break, a cell of exactly six lines.
class MayTest : public PrintTest {
protected:
    void SetUp() override {
        PrintTest::SetUp();
        const std::string path = dir.filePath("mai.db").toStdString();
        std::vector<testing::Appointment> appointments;
        for (int hour = 8; hour < 14; ++hour)
            appointments.push_back({dt::FromYmdHms(2027, 5, 12, hour, 0, 0), hour % 2 + 1});
        appointments.push_back({dt::FromYmdHms(2027, 5, 17, 9, 0, 0), 3});
        appointments.push_back({dt::FromYmdHms(2027, 6, 2, 9, 0, 0), 1});
        testing::CreateCalendarFile(path, {"Hoffmann", "Pfeiffer", "Meier\nSchulze\nSchmidt"}, appointments);
        testing::UseCalendarFile(*widget, path, messages);
        widget->control().SetFootnote(
            QString("Praxis Dr. Hoffmann, Pfingstweide 12, 68199 Mannheim · ").repeated(4).toStdString());
        widget->control().SetDateValue(dt::FromYmd(2027, 5, 12));
    }
    // Renders the PDF's pages as PNG files beside the other test output,
    // where the PDF stays too.
    static void Render(const QString& pdf, const QString& name) {
        QDir().mkpath(QStringLiteral(AGENDOR_QT_TEST_OUTPUT));
        QFile::remove(QStringLiteral(AGENDOR_QT_TEST_OUTPUT "/") + name + ".pdf");
        QFile::copy(pdf, QStringLiteral(AGENDOR_QT_TEST_OUTPUT "/") + name + ".pdf");
        Output("pdftoppm", {"-png", "-r", "100", pdf, QStringLiteral(AGENDOR_QT_TEST_OUTPUT "/") + name});
    }
};

TEST_F(MayTest, ThePageReadsBackAsTheDataHoldsIt) {
    const QString pdf = dir.filePath("mai.pdf");
    ASSERT_TRUE(widget->PrintSheetToPdf(pdf, agMonat));
    EXPECT_TRUE(messages.empty()) << messages[0];
    Render(pdf, "mai-2027");
    const QString text = Output("pdftotext", {"-layout", pdf, "-"});
    ASSERT_FALSE(text.isEmpty());
    for (const char* found : {"Hoffmann", "Pfeiffer", "Pfingstmontag", "Pfingstweide"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(found))) << found;
    for (QChar c : text) EXPECT_FALSE(c.unicode() >= 0xFB00 && c.unicode() <= 0xFB06) << text.toStdString();

    const std::vector<Word> words = WordsOf(pdf);
    // Six appointments on Wednesday 12 May (row 3, column 2): six lines and
    // no asterisks.
    int lines = 0;
    for (const Word& w : words) {
        lines += w.text.contains(QRegularExpression(R"(^\d\d:00$)")) && w.xMin > 8.6 * kPointsPerCm &&
                 w.xMin < 12.4 * kPointsPerCm && w.yMin > 8.5 * kPointsPerCm && w.yMax < 11.0 * kPointsPerCm;
        EXPECT_FALSE(w.text.contains('*')) << w.text.toStdString();
        // The footnote, like every text, stays on the page.
        EXPECT_GE(w.xMin, 0);
        EXPECT_LE(w.xMax, 29.7 * kPointsPerCm);
    }
    EXPECT_EQ(lines, 6);
    // The name with line breaks stands on one line, after its time.
    const Word* meier = Find(words, "Meier");
    const Word* schulze = Find(words, "Schulze");
    ASSERT_TRUE(meier && schulze);
    EXPECT_EQ(meier->yMin, schulze->yMin);
    EXPECT_EQ(Find(words, "Schmidt"), nullptr);  // cut at the cell's edge

    const QString info = Output("pdfinfo", {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(R"(Title:\s+Termine Mai 2027\n)"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(R"(Creator:\s+Agendor\n)"))) << info.toStdString();
}

TEST_F(MayTest, ThreeMonthsInOneJobArePageForPageThreeSinglePrints) {
    std::vector<std::vector<Word>> single;
    for (int month : {5, 6, 7}) {
        widget->control().SetDateValue(dt::FromYmd(2027, month, 1));
        const QString pdf = dir.filePath(QString("monat-%1.pdf").arg(month));
        ASSERT_TRUE(widget->PrintSheetToPdf(pdf, agMonat));
        single.push_back(WordsOf(pdf));
    }
    const QString pdf = dir.filePath("drei-monate.pdf");
    widget->SetPrintFile(pdf);
    ASSERT_TRUE(widget->PrintSheets(dt::FromYmd(2027, 5, 31), dt::FromYmd(2027, 7, 1), agMonat));
    EXPECT_TRUE(messages.empty()) << messages[0];
    Render(pdf, "drei-monate");
    EXPECT_EQ(std::get<0>(PagesAndSize(pdf)), 3);
    EXPECT_TRUE(Output("pdfinfo", {pdf}).contains(QString::fromUtf8("Termine Mai 2027 – Juli 2027")));
    for (int page = 1; page <= 3; ++page) {
        const std::vector<Word> words = WordsOf(pdf, page);
        ASSERT_FALSE(words.empty()) << page;
        EXPECT_EQ(words, single[std::size_t(page - 1)]) << page;
    }
}

// A print queue of the tests' own (scripts/cups-test-server.sh, started by
// CTest for the run agendor_qt_cups): its jobs arrive as PDF files, which
// cups-pdf has re-distilled, so they are compared by their looks.
class CupsTest : public MayTest {
protected:
    void SetUp() override {
        queue = qEnvironmentVariable("AGENDOR_CUPS_QUEUE");
        out = qEnvironmentVariable("AGENDOR_CUPS_OUT");
        if (queue.isEmpty()) GTEST_SKIP() << "runs in agendor_qt_cups, beside a print queue of its own";
        MayTest::SetUp();
        ASSERT_FALSE(QPrinterInfo::printerInfo(queue).isNull()) << queue.toStdString();
        // Jobs of others (agendor-cli's test) are done before these count.
        ASSERT_TRUE(QTest::qWaitFor([&] { return Idle(); }, 60000));
    }
    bool Idle() const { return Output("lpstat", {"-o", queue}).trimmed().isEmpty(); }
    QStringList Jobs() const {
        return Output("lpstat", {"-W", "all", "-o", queue}).split('\n', Qt::SkipEmptyParts);
    }
    QStringList Files() const { return QDir(out).entryList({"*.pdf"}, QDir::Files, QDir::Time | QDir::Reversed); }
    // Prints the sheet of day on the queue and waits (60 s at most) until
    // its file has arrived; the file's path, empty when none came.
    QString PrintAndFetch(double day) {
        const int before = int(Files().size());
        widget->control().SetDateValue(day);
        QPrinter printer(QPrinterInfo::printerInfo(queue), QPrinter::HighResolution);
        if (!widget->PrintSheetOn(printer, agMonat)) return {};
        if (!QTest::qWaitFor([&] { return Files().size() > before; }, 60000)) return {};
        // cups-pdf writes the file under its final name; it is complete once
        // the queue reports the job done.
        if (!QTest::qWaitFor([&] { return Idle(); }, 60000)) return {};
        return Files().size() > before ? QDir(out).filePath(Files().last()) : QString();
    }
    // The page rendered in grey at 20 dpi.
    QImage Rendered(const QString& pdf) const {
        const QString base = dir.filePath(QFileInfo(pdf).completeBaseName() + "-grau");
        Output("pdftoppm", {"-gray", "-r", "20", "-singlefile", pdf, base});
        return QImage(base + ".pgm");
    }
    QString queue, out;
};

TEST_F(CupsTest, ASheetArrivesAsOneA4JobThatLooksLikeTheDirectPdf) {
    const QString direct = dir.filePath("direkt.pdf");
    ASSERT_TRUE(widget->PrintSheetToPdf(direct, agMonat));
    const int jobs = int(Jobs().size());
    const QString arrived = PrintAndFetch(dt::FromYmd(2027, 5, 12));
    ASSERT_FALSE(arrived.isEmpty());
    EXPECT_TRUE(messages.empty()) << messages[0];
    EXPECT_EQ(Jobs().size(), jobs + 1);
    const auto [pages, width, height] = PagesAndSize(arrived);
    EXPECT_EQ(pages, 1);
    // A4, turned as the page is or lying on its side.
    EXPECT_NEAR(std::max(width, height), 842, 1);
    EXPECT_NEAR(std::min(width, height), 595, 1);

    QImage queued = Rendered(arrived), expected = Rendered(direct);
    ASSERT_FALSE(queued.isNull() || expected.isNull());
    testing::SaveShot(queued, "cups-warteschlange");
    testing::SaveShot(expected, "cups-direkt");
    // The queue's page begins at its printable area, which the printer
    // reports; the sheet stands that far right and down on the paper.
    QPrinter probe(QPrinterInfo::printerInfo(queue), QPrinter::HighResolution);
    probe.setPageSize(QPageSize(QPageSize::A4));
    probe.setPageOrientation(QPageLayout::Landscape);
    const QMarginsF margins = probe.pageLayout().margins(QPageLayout::Inch);
    const int dx = qRound(margins.left() * 20), dy = qRound(margins.top() * 20);
    // Pixels more than 100 of 255 grey steps apart from every pixel around
    // their place on the other page (a line falls on other pixels when the
    // margin is no whole number of them); the strip the margin pushes off
    // the paper is left out.
    auto differing = [&](const QImage& image) {
        if (image.size() != expected.size()) return expected.width() * expected.height();
        const QRect inside = image.rect();
        int count = 0;
        for (int y = 0; y + dy + 1 < expected.height(); ++y) {
            for (int x = 0; x + dx + 1 < expected.width(); ++x) {
                bool near = false;
                for (int oy = -1; oy <= 1 && !near; ++oy)
                    for (int ox = -1; ox <= 1 && !near; ++ox) {
                        const QPoint at(x + dx + ox, y + dy + oy);
                        near = inside.contains(at) &&
                               std::abs(qGray(expected.pixel(x, y)) - qGray(image.pixel(at))) <= 100;
                    }
                count += !near;
            }
        }
        return count;
    };
    // A landscape page may arrive as a portrait page with the sheet turned.
    const int apart = std::min({differing(queued), differing(queued.transformed(QTransform().rotate(90))),
                                differing(queued.transformed(QTransform().rotate(-90)))});
    int inked = 0;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) inked += qGray(expected.pixel(x, y)) < 200;
    // Ink on the page, and at most a few per cent of pixels apart (glyph edges).
    EXPECT_GT(inked, 500);
    EXPECT_LT(apart, expected.width() * expected.height() / 50)
        << apart << " apart, " << inked << " inked, margins " << dx << ", " << dy;
}

TEST_F(CupsTest, AnAbortedPrintLeavesNoJobAndNoFile) {
    const int jobs = int(Jobs().size());
    const int files = int(Files().size());
    QPrinter printer(QPrinterInfo::printerInfo(queue), QPrinter::HighResolution);
    KilledPage(*QtPrinter::On(printer));
    // A print run that fails: the week of 27 December 9999.
    widget->control().SetDateValue(dt::FromYmd(9999, 12, 29));
    EXPECT_FALSE(widget->PrintSheetOn(printer, agWoche));
    ASSERT_EQ(messages.size(), 1u);
    // A sheet printed after it is the only job and the only file: the queue
    // takes jobs in order, so an aborted one would have come first.
    ASSERT_FALSE(PrintAndFetch(dt::FromYmd(2027, 5, 12)).isEmpty());
    EXPECT_EQ(Jobs().size(), jobs + 1);
    EXPECT_EQ(Files().size(), files + 1);
}

TEST(QtPrinterCharacters, EndWhereAReaderSeesACharacterEnd) {
    auto printer = QtPrinter::ToPdf(QString());
    // u with a combining diaeresis, the German flag, Hangul "gak" in jamo.
    EXPECT_EQ(printer->CharacterEnds("u\u0308\U0001F1E9\U0001F1EA\u1100\u1161\u11A8x"),
              (std::vector<std::size_t>{3, 11, 20, 21}));
    EXPECT_EQ(printer->CharacterEnds("a\xFF\xC3"), (std::vector<std::size_t>{1, 2, 3}));
    EXPECT_TRUE(printer->CharacterEnds("").empty());
}

} // namespace
} // namespace agendor::qt
