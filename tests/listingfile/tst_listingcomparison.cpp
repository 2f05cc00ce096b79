#include "listingcomparison.h"
#include "listingfilereader.h"

#include <QTest>

using Records = std::vector<ListingEntry>;

namespace {

ListingEntry file(const QString& name, const QString& size = "1", const QString& date = "1/1/2026 10:00:00")
{
    return { name, size, date };
}

ListingEntry folder(const QString& path, const QString& level = " ") { return { path, " ", level }; }

// "change path old-size new-size old-date new-date", one line per difference.
QStringList describe(const ListingComparison& comparison)
{
    QStringList lines;
    for (const Difference& d : comparison.differences)
        lines << QStringList { changeName(d.change), d.path, d.oldSize, d.newSize, d.oldDate, d.newDate }.join('|');
    return lines;
}

Records numbered(const QString& root, int count)
{
    Records records;
    for (int i = 0; i < count; ++i)
        records.push_back(i % 100 == 0 ? folder(root + "/d" + QString::number(i)) : file(QString::number(i)));
    return records;
}

} // namespace

class TestListingComparison : public QObject {
    Q_OBJECT

private slots:
    void matching_data();
    void matching();
    void fullListingsOnBothSides();
    void recordsQuoteEveryField();
};

void TestListingComparison::matching_data()
{
    QTest::addColumn<QString>("oldRoot");
    QTest::addColumn<Records>("older");
    QTest::addColumn<QString>("newRoot");
    QTest::addColumn<Records>("newer");
    QTest::addColumn<QStringList>("expected");

    const Records tree { file("a.txt"), folder("/t/s"), file("b.txt", "5"), folder("/t/s/u", "1"), file("c.txt") };
    QTest::newRow("same tree") << "/t" << tree << "/t" << tree << QStringList {};
    QTest::newRow("same tree at another root") << "/t" << tree << "/mnt/copy"
                                               << Records { file("a.txt"), folder("/mnt/copy/s"), file("b.txt", "5"),
                                                      folder("/mnt/copy/s/u", "1"), file("c.txt") }
                                               << QStringList {};
    QTest::newRow("added folder with contents")
        << "/t" << Records { file("a.txt") } << "/t"
        << Records { file("a.txt"), folder("/t/n"), file("x"), folder("/t/n/m", "1"), file("y", "7") }
        << QStringList { "added|/t/n|| ||", "added|/t/n/x||1||1/1/2026 10:00:00", "added|/t/n/m|| ||",
               "added|/t/n/m/y||7||1/1/2026 10:00:00" };
    QTest::newRow("removed file where it stood")
        << "/t" << tree << "/t" << Records { file("a.txt"), folder("/t/s"), folder("/t/s/u", "1"), file("c.txt") }
        << QStringList { "removed|/t/s/b.txt|5||1/1/2026 10:00:00|" };
    QTest::newRow("size change") << "/t" << Records { file("a.txt", "1") } << "/t" << Records { file("a.txt", "2") }
                                 << QStringList { "changed|/t/a.txt|1|2|1/1/2026 10:00:00|1/1/2026 10:00:00" };
    QTest::newRow("date change") << "/t" << Records { file("a.txt", "1", "d1") } << "/t"
                                 << Records { file("a.txt", "1", "d2") }
                                 << QStringList { "changed|/t/a.txt|1|1|d1|d2" };
    QTest::newRow("same name in another folder is a move")
        << "/t" << Records { folder("/t/p"), file("a") } << "/t" << Records { folder("/t/q"), file("a") }
        << QStringList { "removed|/t/p| |||", "removed|/t/p/a|1||1/1/2026 10:00:00|", "added|/t/q|| ||",
               "added|/t/q/a||1||1/1/2026 10:00:00" };
    QTest::newRow("a file become a folder") << "/t" << Records { file("x") } << "/t" << Records { folder("/t/x") }
                                            << QStringList { "removed|/t/x|1||1/1/2026 10:00:00|", "added|/t/x|| ||" };
    QTest::newRow("selected path changed after the walk")
        << "/elsewhere" << Records { file("a"), folder("/t/s/u", "1") } << "/t"
        << Records { file("a"), folder("/t/s/u", "1") } << QStringList {};
    QTest::newRow("names with commas, quotes and line breaks")
        << "/t, x" << Records { folder("/t, x/\"q\""), file("a,\r\nb") } << "/t, x"
        << Records { folder("/t, x/\"q\""), file("a,\r\nb", "9") }
        << QStringList { "changed|/t, x/\"q\"/a,\r\nb|1|9|1/1/2026 10:00:00|1/1/2026 10:00:00" };
    QTest::newRow("drive root") << "/" << Records { folder("/s"), file("a") } << "/"
                                << Records { folder("/s"), file("a"), file("b") }
                                << QStringList { "added|/s/b||1||1/1/2026 10:00:00" };
}

void TestListingComparison::matching()
{
    QFETCH(QString, oldRoot);
    QFETCH(Records, older);
    QFETCH(QString, newRoot);
    QFETCH(Records, newer);
    QFETCH(QStringList, expected);
    const ListingComparison result = compareListings({ oldRoot, older }, { newRoot, newer });
    QCOMPARE(describe(result), expected);
    QCOMPARE(result.counts.total(), expected.size());
}

void TestListingComparison::fullListingsOnBothSides()
{
    const Records older = numbered("/old", ListingTable::listLimit);
    Records newer = numbered("/new", ListingTable::listLimit);
    newer[31999].size = "2";
    newer.erase(newer.begin() + 1);
    newer.push_back(file("last"));
    const ListingComparison result = compareListings({ "/old", older }, { "/new", newer });
    QCOMPARE(result.counts, (ComparisonCounts { 1, 1, 1 }));
    QCOMPARE(describe(result).join(' '),
        QString("removed|/old/d0/1|1||1/1/2026 10:00:00| changed|/new/d31900/31999|1|2|1/1/2026 10:00:00|1/1/2026 "
                "10:00:00 added|/new/d31900/last||1||1/1/2026 10:00:00"));

    // Nothing in common: every entry of both full listings is a difference.
    const ListingComparison apart = compareListings({ "/old", older }, { "/new", numbered("/new/other", 32000) });
    QCOMPARE(apart.counts, (ComparisonCounts { 32000, 32000, 0 }));
}

void TestListingComparison::recordsQuoteEveryField()
{
    const std::vector<Difference> differences { { Change::Removed, "/t/say \"hi\", x", false, "3", {}, "d", {} },
        { Change::Added, "/t/f", true, {}, " ", {}, {} } };
    QCOMPARE(comparisonRecords(differences),
        QByteArray("\"removed\",\"/t/say \"\"hi\"\", x\",\"3\",\"\",\"d\",\"\"\r\n"
                   "\"added\",\"/t/f\",\"\",\" \",\"\",\"\"\r\n"));
    // The records read back through the listing file's own field rules.
    const ListingFileContent back = ListingFileReader::parse(comparisonRecords(differences));
    QCOMPARE(back.selectedPath, QString("removed"));
    QCOMPARE(back.records.front(), (ListingEntry { "/t/say \"hi\", x", "3", "" }));
}

QTEST_GUILESS_MAIN(TestListingComparison)
#include "tst_listingcomparison.moc"
