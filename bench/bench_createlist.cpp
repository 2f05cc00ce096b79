// Create List over the benchmark tree, with the grid filled and painted, against find on the same tree.
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
