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
#include "stagedfile.h"
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
#include <cstdlib>
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
        if (m_path.isEmpty())
            return m_dialogs.getOpenFileName(parent, filter);
        m_answered = std::exchange(m_path, QString());
        return m_answered;
    }
    QString getSaveFileName(QWidget* parent, const QString& filter) override
    {
        return m_dialogs.getSaveFileName(parent, filter);
    }
    // Every other call goes through whole: a name offered, a type added, the name last chosen.
    QString getSaveFileName(QWidget* parent, const QString& filter, const QString& suggestedName) override
    {
        return m_dialogs.getSaveFileName(parent, filter, suggestedName);
    }
    QString lastChosenPath() const override
    {
        return m_dialogs.lastChosenPath().isEmpty() ? m_answered : m_dialogs.lastChosenPath();
    }

private:
    FileDialogService& m_dialogs;
    QString m_path;
    QString m_answered;
};

// The display the window would go to, as the user named it.
QString displayName()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    const bool wayland
        = platform.startsWith("wayland") || (platform.isEmpty() && qEnvironmentVariableIsEmpty("DISPLAY"));
    return qEnvironmentVariable(wayland ? "WAYLAND_DISPLAY" : "DISPLAY");
}

QtMessageHandler qtHandler = nullptr;
struct HeldNote {
    QtMsgType type;
    const char* file;
    int line;
    const char* function;
    const char* category;
    QString message;
};
QList<HeldNote> heldNotes;

// While the application starts, Qt's notes are held back: when no display answers, Qt aborts, dumping core,
// after asking the user to reinstall it. The user is told instead which display failed, and the run ends.
void displayFailure(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtFatalMsg) {
        heldNotes.append({ type, context.file, context.line, context.function, context.category, message });
        return;
    }
    std::fprintf(stderr, "vellumark: cannot open the display %s\n", displayName().toLocal8Bit().constData());
    std::fflush(stderr);
    std::_Exit(ExitFailed);
}

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
    qtHandler = qInstallMessageHandler(displayFailure);
    QApplication app(argc, argv);
    qInstallMessageHandler(qtHandler);
    for (const HeldNote& note : std::as_const(heldNotes)) {
        const QMessageLogContext context(note.file, note.line, note.function, note.category);
        if (qtHandler)
            qtHandler(note.type, context, note.message);
    }
    heldNotes.clear();
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
    window.setListingChoices(commandLine.choices);
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
    endRunsWithoutFilesOnTerminate();
    return commandLine->mode == CommandLine::Mode::Batch ? runWithoutWindow(argc, argv, *commandLine)
                                                         : runWindow(argc, argv, *commandLine);
}
