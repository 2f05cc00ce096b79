#include "bytename.h"
#include "comparisonrun.h"
#include "datetextformatter.h"
#include "faultyfilesystemservice.h"
#include "filesystemservice.h"
#include "listingcomparison.h"
#include "listingfilereader.h"
#include "reportfixture.h"
#include "reportoptions.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using Records = std::vector<ListingEntry>;

namespace {
const QByteArray olderListing = "\"/t\"\r\n\"a.txt\",\"1\",\"d\"\r\n\"b.doc\",\"2\",\"d\"\r\n";

ListingEntry file(const QString& name, const QString& size = "1", const QString& date = "d")
{
    return { name, size, date };
}

ListingEntry folder(const QString& path, const QString& level = " ") { return { path, " ", level }; }

ListingTable tableOf(const Records& records)
{
    ListingTable table;
    for (const ListingEntry& record : records)
        table.updatetable(record.name, record.size, record.datecreated);
    return table;
}

QString line(const Difference& d)
{
    return QStringList { changeName(d.change), d.path, d.oldSize, d.newSize, d.oldDate, d.newDate }.join('|');
}
} // namespace

// Two listings compared: which entries match, the records written, and the command line's run with its exit
// statuses, records and report.
class TestComparison : public QObject {
    Q_OBJECT

private slots:
    void matching_data()
    {
        QTest::addColumn<QString>("oldRoot");
        QTest::addColumn<Records>("older");
        QTest::addColumn<QString>("newRoot");
        QTest::addColumn<Records>("newer");
        QTest::addColumn<QStringList>("expected"); // "change|path|old size|new size|old date|new date"
        const Records tree { file("a.txt"), folder("/t/s"), file("b.txt", "5"), folder("/t/s/u", "1"), file("c.txt") };
        QTest::newRow("same tree at another root")
            << "/t" << tree << "/mnt/copy"
            << Records { file("a.txt"), folder("/mnt/copy/s"), file("b.txt", "5"), folder("/mnt/copy/s/u", "1"),
                   file("c.txt") }
            << QStringList {};
        QTest::newRow("added folder with contents")
            << "/t" << Records { file("a.txt") } << "/t"
            << Records { file("a.txt"), folder("/t/n"), file("x"), folder("/t/n/m", "1"), file("y", "7") }
            << QStringList { "added|/t/n|| ||", "added|/t/n/x||1||d", "added|/t/n/m|| ||", "added|/t/n/m/y||7||d" };
        QTest::newRow("removed file where it stood")
            << "/t" << tree << "/t" << Records { file("a.txt"), folder("/t/s"), folder("/t/s/u", "1"), file("c.txt") }
            << QStringList { "removed|/t/s/b.txt|5||d|" };
        QTest::newRow("size and date changes") << "/t" << Records { file("a.txt"), file("b", "1", "d1") } << "/t"
                                               << Records { file("a.txt", "2"), file("b", "1", "d2") }
                                               << QStringList { "changed|/t/a.txt|1|2|d|d", "changed|/t/b|1|1|d1|d2" };
        QTest::newRow("same name in another folder is a move")
            << "/t" << Records { folder("/t/p"), file("a") } << "/t" << Records { folder("/t/q"), file("a") }
            << QStringList { "removed|/t/p| |||", "removed|/t/p/a|1||d|", "added|/t/q|| ||", "added|/t/q/a||1||d" };
        QTest::newRow("a file become a folder") << "/t" << Records { file("x") } << "/t" << Records { folder("/t/x") }
                                                << QStringList { "removed|/t/x|1||d|", "added|/t/x|| ||" };
        QTest::newRow("selected path changed after the walk")
            << "/elsewhere" << Records { file("a"), folder("/t/s/u", "1") } << "/t"
            << Records { file("a"), folder("/t/s/u", "1") } << QStringList {};
        QTest::newRow("drive root") << "/" << Records { folder("/s"), file("a") } << "/"
                                    << Records { folder("/s"), file("a"), file("b") }
                                    << QStringList { "added|/s/b||1||d" };
        QTest::newRow("selected path changed, first folder five levels down")
            << "/elsewhere" << Records { file("a"), folder("/t/a/b/c/d/e", "4"), file("x") } << "/t"
            << Records { file("a"), folder("/t/a/b/c/d/e", "4"), file("x", "2") }
            << QStringList { "changed|/t/a/b/c/d/e/x|1|2|d|d" };
        // One instant is one text, whether walked or read back.
        const QString made = DateTextFormatter::instants().format(1700000000);
        QTest::newRow("same date read back and walked")
            << "/t" << Records { file("a", "1", made) } << "/t" << Records { file("a", "1", made) } << QStringList {};
    }
    void matching()
    {
        QFETCH(QString, oldRoot);
        QFETCH(Records, older);
        QFETCH(QString, newRoot);
        QFETCH(Records, newer);
        QFETCH(QStringList, expected);
        const ListingTable oldTable = tableOf(older);
        const ListingTable newTable = tableOf(newer);
        const ListingComparison result = compareListings({ oldRoot, oldTable }, { newRoot, newTable });
        QStringList lines;
        for (qsizetype k = 0; k < result.differences.size(); ++k)
            lines << line(result.differences[k]);
        QCOMPARE(lines, expected);
        const auto count = [&expected](const char* change) { return int(expected.filter(change).size()); };
        QCOMPARE(result.counts, (ComparisonCounts { count("added|"), count("removed|"), count("changed|") }));
    }

    // The comparison's records keep a name's bytes as the listing file does.
    void recordsKeepNameBytes()
    {
        const ListingFileContent older
            = ListingFileReader::parse("\"/t\"\r\n\"caf\xE9 \"\"1\"\".txt\",\"1\",\"d\"\r\n");
        const ListingTable newer;
        const ListingComparison comparison = compareListings({ "/t", older.records }, { "/t", newer });
        QCOMPARE(comparisonRecords(comparison.differences),
            QByteArray("\"removed\",\"/t/caf\xE9 \"\"1\"\".txt\",\"1\",\"\",\"d\",\"\"\r\n"));
        QCOMPARE(comparison.differences.path(0), fromNativeBytes("/t/caf\xE9 \"1\".txt"));
    }

    // What one side did not look at is no difference, and a filter applies to both sides alike.
    void partialOrFiltered_data()
    {
        QTest::addColumn<Records>("older");
        QTest::addColumn<Records>("newer");
        // 1 the older side stopped at its limit, 2 the newer; 3 the newer walk went one level down
        QTest::addColumn<int>("limited");
        QTest::addColumn<QString>("include"); // a type the filter keeps; empty: no filter
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("notCompared");
        const Records tree { file("a.txt"), folder("/t/s"), file("b.txt"), file("c.doc"), folder("/t/u"),
            file("d.txt") };
        QTest::newRow("a folder the newer walk could not read")
            << tree << Records { file("a.txt"), folder("/t/s"), folder("/t/u"), file("d.txt") } << 0 << ""
            << QStringList {} << 2;
        QTest::newRow("the newer walk stopped at its limit")
            << tree << Records { file("new.txt"), file("a.txt"), folder("/t/s"), file("b.txt") } << 2 << ""
            << QStringList { "added|/t/new.txt||1||d" } << 3;
        QTest::newRow("the older listing stopped at its limit")
            << Records { file("a.txt"), folder("/t/s") } << tree << 1 << "" << QStringList {} << 4;
        QTest::newRow("the newer walk went less deep")
            << Records { folder("/t/s"), folder("/t/s/v", "1"), file("e.txt"), folder("/t/u") }
            << Records { folder("/t/s"), folder("/t/u"), file("f.txt") } << 3 << ""
            << QStringList { "added|/t/u/f.txt||1||d" } << 2;
        QTest::newRow("a listing saved filtered, the same tree")
            << Records { file("a.txt"), file("b.txt"), file("d.txt") } << tree << 0 << "txt" << QStringList {} << 0;
        QTest::newRow("a listing saved filtered, a file gone")
            << Records { file("a.txt"), file("b.txt"), file("d.txt") }
            << Records { file("a.txt"), folder("/t/s"), file("c.doc"), folder("/t/u"), file("d.txt") } << 0 << "txt"
            << QStringList { "removed|/t/b.txt|1||d|" } << 0;
        QTest::newRow("whole listings, filtered")
            << tree << Records { file("a.txt"), folder("/t/s"), file("b.txt", "2"), file("c.doc", "2") } << 0 << "txt"
            << QStringList { "changed|/t/s/b.txt|1|2|d|d", "removed|/t/u/d.txt|1||d|" } << 0;
        QTest::newRow("dates written in two zones")
            << Records { file("a.txt", "1", "2024-02-01 03:04:05+01:00") }
            << Records { file("a.txt", "1", "2024-02-01 02:04:05+00:00") } << 0 << "" << QStringList {} << 0;
    }
    void partialOrFiltered()
    {
        QFETCH(Records, older);
        QFETCH(Records, newer);
        QFETCH(int, limited);
        QFETCH(QString, include);
        QFETCH(QStringList, expected);
        QFETCH(int, notCompared);
        ReportOptions filter;
        if (!include.isEmpty()) {
            filter.chooseMode(FilterMode::IncludeTypes);
            filter.setTypeChecked(0, true);
            filter.setTypeText(0, include);
        }
        const QStringList unread = QTest::currentDataTag() == QByteArray("a folder the newer walk could not read")
            ? QStringList { "/t/s" }
            : QStringList {};
        const ListingTable oldTable = tableOf(older);
        const ListingTable newTable = tableOf(newer);
        const ListingComparison result = compareListings({ "/t", oldTable, {}, limited == 1 },
            { "/t", newTable, { unread.begin(), unread.end() }, limited == 2, nullptr, limited == 3 ? 1 : 100 },
            filter);
        QStringList lines;
        for (qsizetype k = 0; k < result.differences.size(); ++k)
            lines << line(result.differences[k]);
        QCOMPARE(lines, expected);
        QCOMPARE(result.notCompared, notCompared);
    }
    void comparisonRun_data()
    {
        QTest::addColumn<QByteArray>("newer"); // "-": a listing file that does not exist; "TREE": a folder walked now
        QTest::addColumn<QString>("excludedType");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("pdf"); // the report's file in the test's folder; empty: records on standard output
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<int>("pages"); // of the report; -1: no report
        const QByteArray changed = "\"changed\",\"/t/a.txt\",\"1\",\"5\",\"d\",\"d\"\r\n";
        const QByteArray aChanged = "\"/t\"\r\n\"a.txt\",\"5\",\"d\"\r\n";
        const QByteArray none;
        QByteArray sixtyAdded = "\"/t\"\r\n";
        for (int i = 0; i < 60; ++i)
            sixtyAdded += "\"f" + QByteArray::number(i) + "\",\"1\",\"d\"\r\n";
        QTest::newRow("same") << olderListing << "" << 0 << "" << none << "" << -1;
        QTest::newRow("differences") << aChanged << "" << 1 << ""
                                     << changed + "\"removed\",\"/t/b.doc\",\"2\",\"\",\"d\",\"\"\r\n"
                                     << "" << -1;
        QTest::newRow("narrowed by the filter") << aChanged << "doc" << 1 << "" << changed << "" << -1;
        QTest::newRow("missing") << QByteArray("-") << "" << 2 << "" << none << "cannot read the listing" << -1;
        QTest::newRow("damaged") << QByteArray("\"/t\"\r\n\"a\"x") << "" << 2 << "" << none
                                 << "malformed at line 2: a field is malformed" << -1;
        QTest::newRow("folder, report") << QByteArray("TREE") << "" << 1 << "c.pdf" << none << "" << 1;
        QTest::newRow("report not written")
            << olderListing << "" << 2 << "gone/c.pdf" << none << "cannot write the comparison to" << -1;
        // The counts below a full page go on the next.
        QTest::newRow("two pages") << sixtyAdded << "" << 1 << "c.pdf" << none << "" << 2;
    }

    void comparisonRun()
    {
        QFETCH(QByteArray, newer);
        QFETCH(QString, excludedType);
        QFETCH(int, status);
        QFETCH(QString, pdf);
        QFETCH(QByteArray, out);
        QFETCH(QString, err);
        QFETCH(int, pages);
        QTemporaryDir dir;
        ComparisonRequest request;
        request.oldListing = dir.filePath("old.txt");
        QVERIFY(writeFile(request.oldListing, olderListing));
        if (newer == "TREE")
            request.newFolder = dir.path();
        else if (newer == "-" || writeFile(dir.filePath("new.txt"), newer))
            request.newListing = dir.filePath("new.txt");
        request.pdfPath = pdf.isEmpty() ? QString() : dir.filePath(pdf);
        ReportOptions filter;
        if (!excludedType.isEmpty()) {
            filter.chooseMode(FilterMode::ExcludeTypes);
            filter.setTypeChecked(0, true);
            filter.setTypeText(0, excludedType);
            filter.activatefilter();
        }
        QBuffer outBuffer, errBuffer;
        outBuffer.open(QIODevice::WriteOnly);
        errBuffer.open(QIODevice::WriteOnly);
        PosixFileSystemService fileSystem;
        QCOMPARE(ComparisonRun(fileSystem, nullptr, outBuffer, errBuffer).run(request, filter), status);
        QCOMPARE(outBuffer.data(), out);
        const QString errors = QString::fromLocal8Bit(errBuffer.data());
        QVERIFY2(err.isEmpty() ? errors.isEmpty() : errors.contains(err), qPrintable(errors));
        QCOMPARE(pdfPages(request.pdfPath), pages);
        if (pages == 2)
            QVERIFY(
                runTool("pdftotext", { "-f", "2", request.pdfPath, "-" }).contains("60 added, 2 removed, 0 changed"));
    }

    // A listing file whose folders go down the default five levels may have been stopped there: what another side
    // holds below them is not looked at, not added or removed. A file that stops short of five levels was not.
    void listingFileDepth_data()
    {
        QTest::addColumn<int>("olderLevels");
        QTest::addColumn<int>("newerLevels");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("err"); // what the run says after its warnings, file names left out
        const QString cut = "holds folders 5 levels deep, the default depth: entries below them were not listed\n"
                            "vellumark: the comparison is partial: 4 entries were not looked at on the other side\n";
        QTest::newRow("five levels, then a deeper listing") << 5 << 7 << 3 << "old.txt " + cut;
        QTest::newRow("a deeper listing, then five levels") << 7 << 5 << 3 << "new.txt " + cut;
        QTest::newRow("four levels, then a deeper listing") << 4 << 6 << 1 << "";
        QTest::newRow("six levels, then a deeper listing") << 6 << 7 << 1 << "";
    }
    void listingFileDepth()
    {
        QFETCH(int, olderLevels);
        QFETCH(int, newerLevels);
        QFETCH(int, status);
        QFETCH(QString, err);
        const auto levels = [](int count) { // a folder at each level down to count, each holding f.txt
            QByteArray bytes = "\"/t\"\r\n", path = "/t";
            for (int level = 1; level <= count; ++level) {
                path += "/d" + QByteArray::number(level);
                bytes += "\"" + path + "\",\" \",\"" + (level == 1 ? " " : QByteArray::number(level - 1))
                    + "\"\r\n\"f.txt\",\"1\",\"d\"\r\n";
            }
            return bytes;
        };
        QTemporaryDir dir;
        ComparisonRequest request;
        request.oldListing = dir.filePath("old.txt");
        request.newListing = dir.filePath("new.txt");
        QVERIFY(
            writeFile(request.oldListing, levels(olderLevels)) && writeFile(request.newListing, levels(newerLevels)));
        QBuffer out, errors;
        out.open(QIODevice::WriteOnly);
        errors.open(QIODevice::WriteOnly);
        PosixFileSystemService fileSystem;
        QCOMPARE(ComparisonRun(fileSystem, nullptr, out, errors).run(request, {}), status);
        if (!err.isEmpty())
            QCOMPARE(QString::fromUtf8(errors.data()), "vellumark: the listing " + dir.filePath(err));
        QCOMPARE(out.data().count("\"added\"") + out.data().count("\"removed\""),
            status == 1 ? 2 * (newerLevels - olderLevels) : 0);
    }

    // A folder the newer walk cannot read holds no removed files: the run names it and says it is partial.
    void partialComparison()
    {
        QTemporaryDir tree;
        QVERIFY(QDir(tree.path()).mkdir("s") && writeFile(tree.filePath("s/x"), "1"));
        ComparisonRequest request;
        request.oldListing = m_dir.filePath("partial.txt");
        request.newFolder = tree.path();
        QVERIFY(writeFile(request.oldListing,
            ('"' + tree.path() + "\"\r\n\"" + tree.filePath("s") + "\",\" \",\" \"\r\n\"x\",\"1\",\"d\"\r\n")
                .toUtf8()));
        FaultyFileSystemService fileSystem;
        fileSystem.failures.insert(tree.filePath("s").toUtf8(), "Permission denied");
        QBuffer out, err;
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        QCOMPARE(ComparisonRun(fileSystem, nullptr, out, err).run(request, {}), ComparisonRun::partial);
        QCOMPARE(out.data(), QByteArray());
        QCOMPARE(QString::fromUtf8(err.data()),
            "vellumark: warning: cannot read the folder " + tree.filePath("s")
                + ": Permission denied\nvellumark: the comparison is partial: 1 entry was not looked at on the other "
                  "side\n");
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestComparison)
#include "tst_comparison.moc"
