#include "batchrun.h"
#include "bytename.h"
#include "commandline.h"
#include "programfile.h"
#include "stagedfile.h"
#include "windowmodule.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <malloc.h>
#include <new>

namespace {

QString windowModulePath()
{
    // Asked before any application object exists, so from the kernel rather than from Qt.
    const QString programDir = QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).path();
    return Vellumark::programFile(
        programDir, QStringLiteral(VELLUMARK_MODULE_DIR), QStringLiteral("."), QStringLiteral(VELLUMARK_MODULE_FILE));
}

// How a run that could not be done ends, once its command line is known.
int stoppedStatus = ExitFailed;

int runWindowModule(int argc, char* argv[], const CommandLine& commandLine)
{
    QLibrary module(windowModulePath());
    const auto entry = reinterpret_cast<WindowModule::Entry>(module.resolve(WindowModule::entryName));
    if (!entry) {
        std::fprintf(stderr, "vellumark: %s\n", module.errorString().toLocal8Bit().constData());
        return commandLine.failedStatus();
    }
    return entry(argc, argv, &commandLine);
}

// Help and version go to standard output, which may be a full disk or a closed pipe.
int printed(const QString& text)
{
    if (std::fputs(text.toLocal8Bit().constData(), stdout) >= 0 && std::fflush(stdout) == 0)
        return ExitDone;
    std::fprintf(stderr, "vellumark: cannot write to standard output: %s\n", std::strerror(errno));
    return ExitFailed;
}

// Address space, not memory, runs out first under a ulimit -v: each thread that allocates would reserve an
// arena of 64 MB, and one short of a limit aborts a run that needs a few megabytes.
void keepAddressSpaceModest() { ::mallopt(M_ARENA_MAX, 2); }

int run(int argc, char* argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("vellumark"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELLUMARK_VERSION));
    QStringList arguments;
    // A folder's name on the command line is bytes too: keep those that are not UTF-8.
    for (int i = 0; i < argc; ++i)
        arguments.append(fromNativeBytes(argv[i]));
    const CommandLine commandLine = parseCommandLine(arguments);
    stoppedStatus = commandLine.failedStatus();
    endRunsWithoutFilesOnTerminate(stoppedStatus);

    switch (commandLine.mode) {
    case CommandLine::Mode::Help:
        return printed(commandLineHelp());
    case CommandLine::Mode::Version:
        return printed(QStringLiteral("vellumark %1\n").arg(QStringLiteral(VELLUMARK_VERSION)));
    case CommandLine::Mode::UsageError:
        std::fprintf(stderr, "vellumark: %s\nTry 'vellumark --help' for more information.\n",
            commandLine.error.toLocal8Bit().constData());
        return ExitUsage;
    case CommandLine::Mode::Batch:
        if (!commandLine.drawsReport() && commandLine.compareListing.isEmpty()) {
            keepQtNotesOffTheLog();
            const QCoreApplication app(argc, argv);
            return runBatch(commandLine, nullptr);
        }
        break;
    case CommandLine::Mode::Window:
        break;
    }
    return runWindowModule(argc, argv, commandLine);
}

} // namespace

int main(int argc, char* argv[])
{
    // Past a file size limit a write then fails with "File too large", which the run reports, instead of the
    // signal killing it silently with the old file already gone.
    std::signal(SIGXFSZ, SIG_IGN);
    // A reader of standard output that went away (| head) is reported as the write that failed, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    keepAddressSpaceModest();
    endRunsWithoutFilesOnTerminate();
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        // Outputs not yet committed are removed as the stack unwinds: the old files stay.
        std::fprintf(stderr, "vellumark: stopped: %s; no file was changed\n", std::strerror(ENOMEM));
        return stoppedStatus;
    }
}
