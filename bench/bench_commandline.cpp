// `vellumark --save` of a tree, start-up included, side by side with find over that tree.
// Usage: bench_commandline TREE [RUNS]
#include "benchsupport.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: bench_commandline TREE [RUNS]\n");
        return 2;
    }
    const QString tree = arguments.at(1);
    const int runs = arguments.value(2, QStringLiteral("9")).toInt();
    QTemporaryDir scratch;
    const QString listing = scratch.filePath(QStringLiteral("listing.txt"));

    const double findMs = Bench::findMs(tree, runs);
    const double saveMs = Bench::medianMs(runs, [&] {
        QProcess program;
        program.start(
            QStringLiteral(VELLUMARK_PROGRAM), { QStringLiteral("-q"), QStringLiteral("--save"), listing, tree });
        program.waitForFinished(-1);
    });
    std::printf("find                 %8.1f ms\n", findMs);
    std::printf("vellumark --save     %8.1f ms  %.2fx find\n", saveMs, saveMs / findMs);
    return 0;
}
