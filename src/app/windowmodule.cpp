#include "windowmodule.h"

#include "appicon.h"
#include "batchrun.h"
#include "commandline.h"
#include "desktopservice.h"
#include "dialogprinterservice.h"
#include "drawnreports.h"
#include "filedialogservice.h"
#include "helpservice.h"
#include "helptopics.h"
#include "mainwindow.h"
#include "messageservice.h"
#include "readaheadfilesystem.h"
#include "reportoptions.h"
#include "stagedfile.h"
#include "volumeservice.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

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

} // namespace

extern "C" Q_DECL_EXPORT int vellumarkRunDrawing(int argc, char* argv[], const CommandLine* commandLine)
{
    endRunsWithoutFilesOnTerminate(commandLine->failedStatus());
    return commandLine->mode == CommandLine::Mode::Batch ? runDrawnBatch(argc, argv, *commandLine)
                                                         : runWindow(argc, argv, *commandLine);
}
