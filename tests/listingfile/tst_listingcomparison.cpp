#include "listingcomparison.h"

#include <QTest>

using Records = std::vector<ListingEntry>;

namespace {

ListingEntry file(const QString& name, const QString& size = "1", const QString& date = "d")
{
    return { name, size, date };
}

ListingEntry folder(const QString& path, const QString& level = " ") { return { path, " ", level }; }

}

class TestListingComparison : public QObject {
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
        QTest::newRow("same tree") << "/t" << tree << "/t" << tree << QStringList {};
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
    }
    void matching()
    {
        QFETCH(QString, oldRoot);
        QFETCH(Records, older);
        QFETCH(QString, newRoot);
        QFETCH(Records, newer);
        QFETCH(QStringList, expected);
        const ListingComparison result = compareListings({ oldRoot, older }, { newRoot, newer });
        QStringList lines;
        for (const Difference& d : result.differences)
            lines << QStringList { changeName(d.change), d.path, d.oldSize, d.newSize, d.oldDate, d.newDate }.join('|');
        QCOMPARE(lines, expected);
        const auto count = [&expected](const char* change) { return int(expected.filter(change).size()); };
        QCOMPARE(result.counts, (ComparisonCounts { count("added|"), count("removed|"), count("changed|") }));
    }
};

QTEST_GUILESS_MAIN(TestListingComparison)
#include "tst_listingcomparison.moc"
