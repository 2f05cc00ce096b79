#include "batchrun.h"
#include "bytename.h"
#include "commandline.h"
#include "programfile.h"
#include "windowmodule.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

#include <cstdio>

namespace {

QString windowModulePath()
{
    // Asked before any application object exists, so from the kernel rather than from Qt.
    const QString programDir = QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).path();
    return Vellumark::programFile(
        programDir, QStringLiteral(VELLUMARK_MODULE_DIR), QStringLiteral("."), QStringLiteral(VELLUMARK_MODULE_FILE));
}

int runWindowModule(int argc, char* argv[], const CommandLine& commandLine)
{
    QLibrary module(windowModulePath());
    const auto entry = reinterpret_cast<WindowModule::Entry>(module.resolve(WindowModule::entryName));
    if (!entry) {
        std::fprintf(stderr, "vellumark: %s\n", module.errorString().toLocal8Bit().constData());
        return ExitFailed;
    }
    return entry(argc, argv, &commandLine);
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
