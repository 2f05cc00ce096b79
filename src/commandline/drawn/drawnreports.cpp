#include "drawnreports.h"

#include "batchrun.h"
#include "commandline.h"
#include "comparisonrun.h"
#include "printerservice.h"
#include "readaheadfilesystem.h"
#include "reportoptions.h"
#include "reportrender.h"
#include "stagedfile.h"

#include "apptitle.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPrinter>
#include <QPrinterInfo>

#include <unistd.h>

namespace {

QString native(const QString& path) { return QDir::toNativeSeparators(path); }

// Pages written so far, on the terminal only.
std::function<bool(int)> pageProgress(BatchProgress& progress)
{
    return [&progress](int pages) {
        progress.show(QStringLiteral("pages written:"), pages, 1);
        return true;
    };
}

class DrawnReports final : public BatchReports {
public:
    bool writePdf(StagedFile& file, const CommandLine& commandLine, const BatchSource& source,
        const ReportOptions& options) override;
    bool print(const CommandLine& commandLine, const BatchSource& source, const ReportOptions& options) override;
    int compare(const CommandLine& commandLine) override;
};

bool DrawnReports::writePdf(
    StagedFile& file, const CommandLine& commandLine, const BatchSource& source, const ReportOptions& options)
{
    // The pages the window's PDF gets, so both write the same document.
    QtPrinterService printers;
    const QPageLayout pages = printers.createPdfPrinter(commandLine.pdfFile)->pageLayout();
    BatchProgress progress(commandLine.quiet);
    const PdfWriteOutcome written = writeReportPdf(
        file, pages, source.table, options, [&] { return source.selectedPath; }, QDateTime::currentDateTime(),
        pageProgress(progress));
    if (written.ok)
        return true;
    say(QStringLiteral("cannot write %1: %2").arg(native(commandLine.pdfFile), written.reason));
    return false;
}

bool DrawnReports::print(const CommandLine& commandLine, const BatchSource& source, const ReportOptions& options)
{
    QtPrinterService printers;
    std::unique_ptr<QPrinter> printer;
    if (commandLine.printerName.isEmpty()) {
        printer = printers.createPrinter();
    } else if (const QPrinterInfo info = QPrinterInfo::printerInfo(commandLine.printerName); !info.isNull()) {
        printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        printer->setDocName(Vellumark::applicationTitle());
        printer->setCreator(Vellumark::applicationTitle());
    }
    if (!printer) {
        say(commandLine.printerName.isEmpty()
                ? QStringLiteral("cannot print: there is no default printer")
                : QStringLiteral("cannot print: there is no printer named %1").arg(commandLine.printerName));
        return false;
    }
    BatchProgress progress(commandLine.quiet);
    if (renderReport(
            *printer, source.table, options, [&] { return source.selectedPath; }, QDateTime::currentDateTime(),
            pageProgress(progress))
            .finished)
        return true;
    say(QStringLiteral("cannot print the report on the printer %1").arg(printer->printerName()));
    return false;
}

int DrawnReports::compare(const CommandLine& commandLine)
{
    ReportOptions filter;
    applyFilter(commandLine, filter);
    // Unbuffered, so that a full disk or a closed pipe shows in the write that meets it, not in a flush at exit
    // that nobody checks.
    QFile out;
    QFile err;
    if (!out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered)
        || !err.open(STDERR_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered))
        return ComparisonRun::trouble;
    ReadAheadFileSystem fileSystem;
    QtPrinterService printers;
    const ComparisonRequest request { commandLine.compareListing, commandLine.folder, commandLine.listing,
        commandLine.pdfFile, commandLine.print, commandLine.choices };
    return ComparisonRun(fileSystem, &printers, out, err).run(request, filter);
}

} // namespace

int runDrawnBatch(int argc, char* argv[], const CommandLine& commandLine)
{
    keepQtNotesOffTheLog();
    DrawnReports reports;
    // Nothing is shown: a missing display must not stop a scheduled job. Only the report needs fonts and a
    // painter; a comparison alone is spared the start of a graphical application.
    if (commandLine.drawsReport()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return runBatch(commandLine, &reports);
    }
    QCoreApplication app(argc, argv);
    return runBatch(commandLine, &reports);
}
