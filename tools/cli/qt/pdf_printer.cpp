#include "tools/cli/qt/pdf_printer.h"

#include <QGuiApplication>

#include <cstdio>

#include "agendor/platform/qt/qt_printer.h"

namespace agendor::cli {

namespace {

void StartQt() {
    if (!QGuiApplication::instance()) {
        // Qt's own notes about the environment (no runtime directory and the
        // like) are no failure of the tool, whose stderr says only what went
        // wrong.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
            if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
        });
        // The tool never shows a window, so it needs no display either.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "agendor-cli";
        static char* argv[] = {name, nullptr};
        static QGuiApplication application(argc, argv);
    }
}

} // namespace

std::function<std::unique_ptr<Printer>()> PdfPrinter(const std::string& path) {
    StartQt();
    const QString file = QString::fromStdString(path);
    return [file]() -> std::unique_ptr<Printer> { return qt::QtPrinter::ToPdf(file); };
}

std::function<std::unique_ptr<Printer>()> QueuePrinter(const std::string& queue) {
    StartQt();
    const QString name = QString::fromStdString(queue);
    return [name]() -> std::unique_ptr<Printer> { return qt::QtPrinter::Named(name); };
}

} // namespace agendor::cli
