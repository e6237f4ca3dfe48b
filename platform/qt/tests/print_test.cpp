// The printed sheet through the Qt printer: a PDF file read back with
// poppler's tools (page size, and where the words stand), the preview, and
// files that cannot be written.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "agendor/control/agendor.h"
#include "agendor/platform/date_time.h"
#include "agendor/platform/qt/agendor_widget.h"
#include "agendor/platform/qt/qt_printer.h"
#include "agendor/platform/qt/qt_surface.h"
#include "agendor/platform/qt/tests/qt_sqlite_file.h"

namespace agendor::qt {
namespace {

constexpr double kPointsPerCm = 72 / 2.54;
constexpr double kHalfMillimetre = 0.05 * kPointsPerCm;

struct Word {
    QString text;
    double xMin, yMin, xMax, yMax;  // points from the page's top left
    double CentreX() const { return (xMin + xMax) / 2; }
};

QString Output(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(20000) || process.exitCode() != 0) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

std::vector<Word> WordsOf(const QString& pdf) {
    const QString xml = Output("pdftotext", {"-bbox", pdf, "-"});
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

const Word* Find(const std::vector<Word>& words, const QString& text, int nth = 0) {
    for (const Word& w : words)
        if (w.text == text && nth-- == 0) return &w;
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

    const QString info = Output("pdfinfo", {pdf});
    if (info.isEmpty()) GTEST_SKIP() << "pdfinfo not available";
    EXPECT_TRUE(info.contains(QRegularExpression(R"(Pages:\s+1\n)"))) << info.toStdString();
    const auto size = QRegularExpression(R"(Page size:\s+([\d.]+) x ([\d.]+) pts)").match(info);
    ASSERT_TRUE(size.hasMatch()) << info.toStdString();
    EXPECT_NEAR(size.captured(1).toDouble(), 842, 0.5);
    EXPECT_NEAR(size.captured(2).toDouble(), 595, 0.5);

    const std::vector<Word> words = WordsOf(pdf);
    auto expectAt = [&](const QString& text, double leftCm, double topCm, int nth = 0) {
        const Word* w = Find(words, text, nth);
        ASSERT_TRUE(w) << text.toStdString();
        EXPECT_NEAR(w->xMin, leftCm * kPointsPerCm, kHalfMillimetre) << text.toStdString();
        EXPECT_NEAR(w->yMin, topCm * kPointsPerCm, kHalfMillimetre) << text.toStdString();
    };
    auto expectCentred = [&](const QString& first, const QString& last, double centreCm, double topCm) {
        const Word* a = Find(words, first);
        const Word* b = Find(words, last);
        ASSERT_TRUE(a && b) << first.toStdString();
        EXPECT_NEAR((a->xMin + b->xMax) / 2, centreCm * kPointsPerCm, kHalfMillimetre) << first.toStdString();
        EXPECT_NEAR(a->yMin, topCm * kPointsPerCm, kHalfMillimetre) << first.toStdString();
    };
    expectCentred("November", "2001", 29.7 / 2, 1.8);
    const char* weekdays[] = {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"};
    for (int i = 0; i < 7; ++i) expectCentred(weekdays[i], weekdays[i], 1.0 + 3.8 * i + 1.9, 2.7);
    // Thursday 1 November in row 1, column 3, with its name.
    expectAt("1", 1.0 + 3.8 * 3 + 0.1, 3.5);
    const Word* holiday = Find(words, "Allerheiligen");
    ASSERT_TRUE(holiday);
    EXPECT_NEAR(holiday->yMin, 3.5 * kPointsPerCm, kHalfMillimetre);
    EXPECT_LT(holiday->xMax, (1.0 + 3.8 * 4) * kPointsPerCm);
    expectCentred("Praxis", "Albers", 30.0 / 2, 19.0);
    // Wednesday 14 November, row 3, column 2: 0.4 cm below the cell's top line.
    expectAt("10:00", 1.0 + 3.8 * 2 + 0.1, 3.5 + 2.5 * 2 + 0.4);
    EXPECT_TRUE(Find(words, QStringLiteral("Müller")));
}

TEST_F(PrintTest, AFileThatCannotBeWrittenShowsItsBoxAndAKilledPageLeavesTheOldFile) {
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
    {
        auto printer = QtPrinter::ToPdf(old);
        printer->StartDoc(PageOrientation::Landscape);
        printer->Print("halbe Seite");
        printer->KillDoc();
    }
    {
        auto printer = QtPrinter::ToPdf(old);
        printer->StartDoc(PageOrientation::Landscape);
        printer->Print("halbe Seite");
    }  // destroyed with its document open
    QFile file(old);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("das alte Blatt"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"alt.pdf", "termine.db"}));
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
            QDir().mkpath(QStringLiteral(AGENDOR_QT_TEST_OUTPUT));
            dialog->grab().save(QStringLiteral(AGENDOR_QT_TEST_OUTPUT "/print-preview.png"));
            dialog->reject();
        }
    });
    widget->PrintPreview(agWoche);
    EXPECT_EQ(pages, 1);
    EXPECT_TRUE(messages.empty()) << messages[0];
}

} // namespace
} // namespace agendor::qt
