// Create List over the benchmark tree, with the grid filled and painted, against find on the same tree.
// `bench_createlist TREE all`: once, with all levels and no limit, against find over the whole tree, with CPU
// times too (the machine may be shared) and the listing's bytes an entry.
#include "benchsupport.h"
#include "fakefiledialogservice.h"
#include "fakemessageservice.h"
#include "fakevolumeservice.h"
#include "folderwalk.h"
#include "mainwindow.h"
#include "readaheadfilesystem.h"

#include <QApplication>
#include <QDir>
#include <QTableView>
#include <cstdio>
#include <sys/resource.h>

namespace {
// CPU seconds, user and system, of this process or of its children that have ended.
double cpuSeconds(int who)
{
    rusage usage {};
    getrusage(who, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

int wholeTree(MainWindow& window, const QString& tree)
{
    window.setListingChoices({ ListingChoices::allLevels, ListingChoices::noLimit });
    const double childrenBefore = cpuSeconds(RUSAGE_CHILDREN);
    const double find = Bench::medianMs(3, [&] {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(QStringLiteral("find"), { tree, QStringLiteral("-printf"), QStringLiteral("%p\\t%s\\t%B@\\n") });
        process.waitForFinished(-1);
    });
    const double findCpu = (cpuSeconds(RUSAGE_CHILDREN) - childrenBefore) / 3;
    const double cpuBefore = cpuSeconds(RUSAGE_SELF);
    const double create = Bench::medianMs(1, [&] { window.createlisting(); });
    const double cpu = cpuSeconds(RUSAGE_SELF) - cpuBefore;
    const ListingTable& listing = window.listing();
    std::printf("Create List, all levels, no limit: %lld entries, %.2f s = %.2fx find (%.2f s); CPU %.2f s = %.2fx "
                "find's (%.2f s); listing %.1f bytes an entry, names included\n",
        static_cast<long long>(listing.size()), create / 1000, create / find, find / 1000, cpu, cpu / findCpu, findCpu,
        double(listing.memoryUsed()) / double(std::max<qsizetype>(listing.size(), 1)));
    return 0;
}
}

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_createlist TREE\n");
        return 2;
    }
    const QString tree = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir::setCurrent(tree);

    ReadAheadFileSystem fileSystem; // as the program walks
    FakeVolumeService volumes;
    volumes.list = { { "/", "root" } };
    FakeMessageService messages;
    FakeFileDialogService dialogs;
    MainWindow window({ &fileSystem, &volumes, &messages, &dialogs });
    window.show();
    QApplication::processEvents();
    auto* grid = window.findChild<QTableView*>(QStringLiteral("Grid1"));
    if (argc > 2 && qstrcmp(argv[2], "all") == 0)
        return wholeTree(window, tree);

    const long before = Bench::residentKb();
    window.createlisting();
    const long after = Bench::residentKb();

    const double find = Bench::findMs(tree, 7);
    const double walkOnly = Bench::medianMs(7, [&] {
        ListingTable table;
        FolderWalk walk(fileSystem, table, {});
        (void)walk.ShowFileList(tree);
    });
    const double create = Bench::medianMs(7, [&] {
        window.createlisting();
        grid->repaint();
    });
    std::printf("Walk alone, no window: %.1f ms, ratio %.2f\n", walkOnly, walkOnly / find);
    std::printf("Create List: %d entries, %.1f ms; find: %.1f ms; ratio %.2f (target <= 1.0)\n",
        window.listing().listcount(), create, find, create / find);
    std::printf(
        "Resident memory with the listing: +%ld kB over an empty listing (target <= 20480 kB)\n", after - before);
    return 0;
}
