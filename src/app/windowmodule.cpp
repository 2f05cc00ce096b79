#include "windowmodule.h"

#include "appicon.h"
#include "batchrun.h"
#include "commandline.h"
#include "comparisonrun.h"
#include "desktopservice.h"
#include "dialogprinterservice.h"
#include "filedialogservice.h"
#include "helpservice.h"
#include "helptopics.h"
#include "mainwindow.h"
#include "messageservice.h"
#include "printerservice.h"
#include "readaheadfilesystem.h"
#include "reportoptions.h"
#include "reportrender.h"
#include "volumeservice.h"

#include "apptitle.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTimer>

#include <cstdio>

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
    bool writePdf(const CommandLine& commandLine, const BatchSource& source, const ReportOptions& options) override;
    bool print(const CommandLine& commandLine, const BatchSource& source, const ReportOptions& options) override;
    int compare(const CommandLine& commandLine) override;
};

bool DrawnReports::writePdf(const CommandLine& commandLine, const BatchSource& source, const ReportOptions& options)
{
    // The pages the window's PDF gets, so both write the same document.
    QtPrinterService printers;
    const QPageLayout pages = printers.createPdfPrinter(commandLine.pdfFile)->pageLayout();
    BatchProgress progress(commandLine.quiet);
    const PdfWriteOutcome written = writeReportPdf(
        commandLine.pdfFile, pages, source.table, options, [&] { return source.selectedPath; },
        QDateTime::currentDateTime(), pageProgress(progress));
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
    QFile out;
    QFile err;
    if (!out.open(stdout, QIODevice::WriteOnly) || !err.open(stderr, QIODevice::WriteOnly))
        return ComparisonRun::trouble;
    ReadAheadFileSystem fileSystem;
    QtPrinterService printers;
    const ComparisonRequest request { commandLine.compareListing, commandLine.folder, commandLine.listing,
        commandLine.pdfFile, commandLine.print };
    return ComparisonRun(fileSystem, &printers, out, err).run(request, filter);
}

// Answers the first Open dialog with the listing named on the command line, so that it opens as Open does.
class FirstOpenAnswered final : public FileDialogService {
public:
    FirstOpenAnswered(FileDialogService& dialogs, QString path)
        : m_dialogs(dialogs)
        , m_path(std::move(path))
    {
    }
    QString getOpenFileName(QWidget* parent, const QString& filter) override
    {
        return m_path.isEmpty() ? m_dialogs.getOpenFileName(parent, filter) : std::exchange(m_path, QString());
    }
    QString getSaveFileName(QWidget* parent, const QString& filter) override
    {
        return m_dialogs.getSaveFileName(parent, filter);
    }

private:
    FileDialogService& m_dialogs;
    QString m_path;
};

int runWindow(int argc, char* argv[], const CommandLine& commandLine)
{
    // Qt aborts, dumping core, when it finds no display; a user who ran this from a terminal without one is
    // told what to do instead.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fputs("vellumark: there is no display to show the window on; --save, --pdf, --print and --compare "
                   "work without one (see vellumark --help)\n",
            stderr);
        return ExitFailed;
    }
    QApplication app(argc, argv);
    Vellumark::applyDesktopIdentity();

    // The window starts in the folder it is given, as if the program had been started there.
    const QString listing
        = commandLine.listing.isEmpty() ? QString() : QFileInfo(commandLine.listing).absoluteFilePath();
    if (!commandLine.folder.isEmpty() && !QDir::setCurrent(commandLine.folder)) {
        std::fprintf(stderr, "vellumark: cannot open the folder %s\n",
            QDir::toNativeSeparators(commandLine.folder).toLocal8Bit().constData());
        return ExitFailed;
    }

    ReadAheadFileSystem fileSystem;
    QtVolumeService volumes;
    QtMessageService messages;
    QtFileDialogService qtDialogs;
    FirstOpenAnswered fileDialogs(qtDialogs, listing);
    QtDialogPrinterService printer;
    QtDesktopService desktop;
    const std::unique_ptr<HelpService> help = Vellumark::createHelpService();
    PlatformServices services;
    services.fileSystem = &fileSystem;
    services.volumes = &volumes;
    services.messages = &messages;
    services.fileDialogs = &fileDialogs;
    services.printer = &printer;
    services.help = help.get();
    services.desktop = &desktop;

    MainWindow window(services);
    QObject::connect(&window, &MainWindow::programEnded, &app, &QApplication::quit, Qt::QueuedConnection);
    applyFilter(commandLine, window.reportOptions());
    window.show();
    if (!listing.isEmpty())
        QTimer::singleShot(0, &window, &MainWindow::openreport);
    return QApplication::exec();
}

int runWithoutWindow(int argc, char* argv[], const CommandLine& commandLine)
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

} // namespace

extern "C" Q_DECL_EXPORT int vellumarkRunDrawing(int argc, char* argv[], const CommandLine* commandLine)
{
    return commandLine->mode == CommandLine::Mode::Batch ? runWithoutWindow(argc, argv, *commandLine)
                                                         : runWindow(argc, argv, *commandLine);
}
