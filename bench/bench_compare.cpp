// Comparing two 32000-entry listing files of the benchmark tree, start-up included, against find over that tree.
// Usage: bench_compare TREE [RUNS]. Times the program's own --compare, and this benchmark's bare comparison
// (bench_compare --run OLD NEW: read both, compare, write the records to stdout) to tell start-up apart.
#include "benchsupport.h"
#include "folderwalk.h"
#include "listingcomparison.h"
#include "listingfilereader.h"
#include "listingfilewriter.h"
#include "listingtable.h"
#include "readaheadfilesystem.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <unistd.h>

namespace {

int compareOnce(const QString& oldPath, const QString& newPath)
{
    const FileReadResult older = readListingFile(oldPath);
    const FileReadResult newer = readListingFile(newPath);
    const ListingComparison comparison = compareListings(
        { older.content.selectedPath, older.content.records }, { newer.content.selectedPath, newer.content.records });
    const QByteArray records = comparisonRecords(comparison.differences);
    if (::write(STDOUT_FILENO, records.constData(), size_t(records.size())) != records.size())
        return 2;
    return comparison.counts.total() == 0 ? 0 : 1;
}

void save(const QString& path, const QString& root, const ListingTable& entries)
{
    ListingFileWriter writer(root, entries.listcount());
    for (qsizetype i = 0; i < entries.size(); ++i)
        writer.addRecord(entries, i);
    (void)saveListingFile(path, writer.bytes());
}

// Every 50th file grows, every 200th entry goes, and a few new files come at the end.
ListingTable changed(const ListingTable& entries)
{
    ListingTable result;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (i % 200 == 199)
            continue;
        ListingEntry entry = entries.entry(i);
        if (i % 50 == 0 && entries.kind(i) == EntryKind::File)
            entry.size += QLatin1Char('0');
        result.updatetable(entry.name, entry.size, entry.datecreated);
    }
    for (int i = 0; result.size() < entries.size(); ++i)
        result.updatetable(QStringLiteral("new %1.txt").arg(i), QStringLiteral("1"), QStringLiteral("d"));
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--run")
        return compareOnce(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_compare TREE [RUNS]\n");
        return 2;
    }
    const QString tree = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 15;
    QTemporaryDir out;
    const QString oldPath = out.filePath(QStringLiteral("old.txt"));
    const QString newPath = out.filePath(QStringLiteral("new.txt"));
    {
        ListingTable table;
        ReadAheadFileSystem fileSystem; // as the program walks
        FolderWalk walk(fileSystem, table, {});
        (void)walk.ShowFileList(tree);
        save(oldPath, tree, table);
        save(newPath, QStringLiteral("/elsewhere/copy"), changed(table));
    }

    const long before = Bench::residentKb();
    const FileReadResult older = readListingFile(oldPath);
    const FileReadResult newer = readListingFile(newPath);
    const long readKb = Bench::residentKb() - before;
    const ListingComparison comparison = compareListings(
        { older.content.selectedPath, older.content.records }, { newer.content.selectedPath, newer.content.records });
    const long memoryKb = Bench::residentKb() - before;

    const QString self = QCoreApplication::applicationFilePath();
    const double findMs = Bench::findMs(tree, runs);
    const double compareMs = Bench::medianMs(runs, [&] {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(self, { QStringLiteral("--run"), oldPath, newPath });
        process.waitForFinished(-1);
    });
    const double programMs = Bench::medianMs(runs, [&] {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(QStringLiteral(VELLUMARK_PROGRAM),
            { QStringLiteral("--compare"), oldPath, QStringLiteral("--open"), newPath });
        process.waitForFinished(-1);
    });
    std::printf("compare: %d and %d entries, %d added, %d removed, %d changed; median of %d runs\n",
        older.content.records.listcount(), newer.content.records.listcount(), comparison.counts.added,
        comparison.counts.removed, comparison.counts.changed, runs);
    std::printf("find:    %7.2f ms\n", findMs);
    std::printf("compare: %7.2f ms  ratio %.3f (target <= 1.0), start-up included\n", compareMs, compareMs / findMs);
    std::printf("vellumark --compare: %7.2f ms  ratio %.3f (target <= 1.0)\n", programMs, programMs / findMs);
    std::printf("memory:  %7.1f MB for both listings and the comparison (target <= 25); reading them %.1f MB\n",
        double(memoryKb) / 1024, double(readKb) / 1024);
    std::printf(
        "%s\n", compareMs <= findMs && programMs <= findMs && memoryKb <= 25 * 1024 ? "targets met" : "targets missed");
    return 0;
}
