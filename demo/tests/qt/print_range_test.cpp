// The demo's Datei › Drucken: its dialog's tab "Zeitraum" names the first
// and the last day, and one job holds a page for every sheet between.
#include <QAction>
#include <QDateEdit>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>

#include "demo/tests/qt/demo_desk.h"

namespace agendor::demo::testing {
namespace {

using DemoPrint = DemoTest;

TEST_F(DemoPrint, TheDialogsRangePrintsEverySheetInOneJob) {
    Open(dt::FromYmd(2027, 5, 12));
    const QString pdf = file.dir.filePath("zeitraum.pdf");
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
            testing::Screenshot(*range[0]->parentWidget(), "druck-zeitraum");
            // Into a file instead of the printer the dialog offers.
            dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
            dialog->printer()->setOutputFileName(pdf);
            dialog->done(QDialog::Accepted);
        }
    });
    QAction* print = nullptr;
    for (QAction* action : window->menuBar()->findChildren<QAction*>())
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
} // namespace agendor::demo::testing
