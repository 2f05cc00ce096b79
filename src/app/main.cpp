#include "appicon.h"
#include "batchrun.h"
#include "bytename.h"
#include "commandline.h"
#include "filedialogservice.h"
#include "filesystemservice.h"
#include "helpservice.h"
#include "helptopics.h"
#include "mainwindow.h"
#include "messageservice.h"
#include "printerservice.h"
#include "volumeservice.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>

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

    PosixFileSystemService fileSystem;
    QtVolumeService volumes;
    QtMessageService messages;
    QtFileDialogService qtDialogs;
    FirstOpenAnswered fileDialogs(qtDialogs, listing);
    QtPrinterService printer;
    const std::unique_ptr<HelpService> help = Vellumark::createHelpService();
    PlatformServices services;
    services.fileSystem = &fileSystem;
    services.volumes = &volumes;
    services.messages = &messages;
    services.fileDialogs = &fileDialogs;
    services.printer = &printer;
    services.help = help.get();

    MainWindow window(services);
    QObject::connect(&window, &MainWindow::programEnded, &app, &QApplication::quit, Qt::QueuedConnection);
    applyFilter(commandLine, window.reportOptions());
    window.show();
    if (!listing.isEmpty())
        QTimer::singleShot(0, &window, &MainWindow::openreport);
    return QApplication::exec();
}

// Qt's own notes (no runtime folder, a font fallback) would mix with the lines a scheduled job is read by.
void dropQtNotes(QtMsgType type, const QMessageLogContext& /*context*/, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

int runWithoutWindow(int argc, char* argv[], const CommandLine& commandLine)
{
    qInstallMessageHandler(dropQtNotes);
    // Nothing is shown: a missing display must not stop a scheduled job. Only the report needs fonts and a
    // painter; the listing alone is spared the start of a graphical application.
    if (commandLine.drawsReport()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return runBatch(commandLine);
    }
    QCoreApplication app(argc, argv);
    return runBatch(commandLine);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("vellumark"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELLUMARK_VERSION));
    QStringList arguments;
    // A folder's name on the command line is bytes too: keep those that are not UTF-8.
    for (int i = 0; i < argc; ++i)
        arguments.append(fromNativeBytes(argv[i]));
    const CommandLine commandLine = parseCommandLine(arguments);

    switch (commandLine.mode) {
    case CommandLine::Mode::Help:
        std::fputs(commandLineHelp().toLocal8Bit().constData(), stdout);
        return ExitDone;
    case CommandLine::Mode::Version:
        std::printf("vellumark %s\n", VELLUMARK_VERSION);
        return ExitDone;
    case CommandLine::Mode::UsageError:
        std::fprintf(stderr, "vellumark: %s\nTry 'vellumark --help' for more information.\n",
            commandLine.error.toLocal8Bit().constData());
        return ExitUsage;
    case CommandLine::Mode::Batch:
        return runWithoutWindow(argc, argv, commandLine);
    case CommandLine::Mode::Window:
        break;
    }
    return runWindow(argc, argv, commandLine);
}
