// The demo's Datei › Drucken: its dialog's tab "Zeitraum" names the first
// and the last day, and one job holds a page for every sheet between.
#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "agendor/control/agendor.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/qt/agendor_widget.h"
#include "agendor/platform/qt/tests/qt_test_support.h"
#include "agendor/platform/sqlite/sample_database.h"
#include "demo/demo_window.h"

namespace agendor::demo {
namespace {

TEST(DemoPrint, TheDialogsRangePrintsEverySheetInOneJob) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath("termine.sqlite").toStdString();
    DemoWindow window(path, sqlite::CreateSampleDatabase(path, {.persons = 2, .appointments = 0}));
    qt::testing::ShowActive(window);
    window.calendar().control().SetDateValue(dt::FromYmd(2027, 5, 12));
    window.calendar().control().SetView(agMonat);

    const QString pdf = dir.filePath("zeitraum.pdf");
    QList<QDate> shown;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QPrintDialog*>(w);
            if (!dialog) continue;
            const QList<QDateEdit*> range = dialog->findChildren<QDateEdit*>();
            if (range.size() != 2) return dialog->reject();
            shown = {range[0]->date(), range[1]->date()};
            range[0]->setDate(QDate(2027, 5, 20));
            range[1]->setDate(QDate(2027, 7, 2));
            QDir().mkpath(QStringLiteral(AGENDOR_DEMO_TEST_OUTPUT));
            range[0]->parentWidget()->grab().save(QStringLiteral(AGENDOR_DEMO_TEST_OUTPUT "/druck-zeitraum.png"));
            // Into a file instead of the printer the dialog offers.
            dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
            dialog->printer()->setOutputFileName(pdf);
            dialog->done(QDialog::Accepted);
        }
    });
    QAction* print = nullptr;
    for (QAction* action : window.menuBar()->findChildren<QAction*>())
        if (action->text() == QStringLiteral("&Drucken …")) print = action;
    ASSERT_TRUE(print);
    print->trigger();
    EXPECT_EQ(shown, (QList<QDate>{QDate(2027, 5, 12), QDate(2027, 5, 12)}));

    QProcess info;
    info.start("pdfinfo", {pdf});
    ASSERT_TRUE(info.waitForFinished(20000));
    const QString text = QString::fromUtf8(info.readAllStandardOutput());
    EXPECT_TRUE(text.contains(QRegularExpression(R"(Pages:\s+3\n)"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8("Termine Mai 2027 – Juli 2027"))) << text.toStdString();
}

} // namespace
} // namespace agendor::demo
