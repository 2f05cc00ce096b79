#include "listingsearch.h"
#include "listingtable.h"
#include "listingtally.h"

#include <QTest>

namespace {
// a.txt at the top, then /top/sub with b.txt, /top/sub/deep with C.TXT, /top/other with d.bin.
void fill(ListingTable& table)
{
    table.updatetable("a.txt", "10", "01/01/2020");
    table.updatetable("/top/sub", " ", " ");
    table.updatetable("b.txt", "1000", "01/01/2020");
    table.updatetable("/top/sub/deep", " ", "1");
    table.updatetable("C.TXT", "1234567", "01/01/2020");
    table.updatetable("/top/other", " ", " ");
    table.updatetable("d.bin", "0", "01/01/2020");
}
}

class TestListingReading : public QObject {
    Q_OBJECT
private slots:
    void find_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<bool>("forward");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("found");
        QTest::newRow("name, any case") << "c.txt" << 1 << true << 7 << 5;
        QTest::newRow("in a path") << "sub/de" << 1 << true << 7 << 4;
        QTest::newRow("from itself") << "txt" << 3 << true << 7 << 3;
        QTest::newRow("wraps forward") << "a.txt" << 2 << true << 7 << 1;
        QTest::newRow("backward") << "txt" << 4 << false << 7 << 3;
        QTest::newRow("wraps backward") << "d.bin" << 2 << false << 7 << 7;
        QTest::newRow("beyond the shown rows") << "d.bin" << 1 << true << 6 << 0;
        QTest::newRow("nowhere") << "xyz" << 1 << true << 7 << 0;
        QTest::newRow("empty text") << "" << 1 << true << 7 << 0;
    }
    void find()
    {
        QFETCH(QString, text);
        QFETCH(int, from);
        QFETCH(bool, forward);
        QFETCH(int, last);
        QFETCH(int, found);
        ListingTable table;
        fill(table);
        QCOMPARE(ListingSearch::find(table, text, from, forward, last), found);
    }

    void paths_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("listed");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::newRow("file above every folder") << 1 << "/top"
                                                 << "/top/a.txt"
                                                 << "/top";
        QTest::newRow("file of the root") << 1 << "/"
                                          << "/a.txt"
                                          << "/";
        QTest::newRow("folder") << 2 << "/top"
                                << "/top/sub"
                                << "/top";
        QTest::newRow("file under a folder") << 3 << "/top"
                                             << "/top/sub/b.txt"
                                             << "/top/sub";
        QTest::newRow("file of a deeper folder") << 5 << "/top"
                                                 << "/top/sub/deep/C.TXT"
                                                 << "/top/sub/deep";
        QTest::newRow("file after a subtree") << 7 << "/top"
                                              << "/top/other/d.bin"
                                              << "/top/other";
    }
    void paths()
    {
        QFETCH(int, entry);
        QFETCH(QString, listed);
        QFETCH(QString, path);
        QFETCH(QString, folder);
        ListingTable table;
        fill(table);
        QCOMPARE(ListingSearch::fullPath(table, entry, listed), path);
        QCOMPARE(ListingSearch::containingFolder(table, entry, listed), folder);
    }

    // Counted in steps as a walk grows the listing, and afresh once it is emptied; rows past the first grid count.
    void tally()
    {
        ListingTable table;
        ListingTally tally;
        table.updatetable("a.txt", "10", "d");
        QCOMPARE(tally.update(table), (ListingCounts { 1, 1, 0, 10, "10", "d" }));
        fill(table);
        QCOMPARE(tally.update(table), (ListingCounts { 8, 5, 3, 1235587, "1234567", "01/01/2020" }));
        QCOMPARE(ListingSearch::rowText(table, 5), QStringLiteral("/top/sub/deep\t\t1"));
        table.empty();
        for (int i = 0; i <= ListingTable::gridCapacity; ++i)
            table.updatetable("f", "2", "d");
        QCOMPARE(tally.update(table), (ListingCounts { 16001, 16001, 0, 32002, "2", "d" }));
    }

    void texts_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << qint64(0) << "0 bytes";
        QTest::newRow("999") << qint64(999) << "999 bytes";
        QTest::newRow("1000") << qint64(1000) << "1,000 bytes (1.0 kB)";
        QTest::newRow("1234567") << qint64(1234567) << "1,234,567 bytes (1.2 MB)";
        QTest::newRow("5 GiB") << qint64(5368709120) << "5,368,709,120 bytes (5.4 GB)";
    }
    void texts()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(StatusText::bytes(bytes), text);
    }

    void completeness()
    {
        ListingOrigin origin;
        QCOMPARE(StatusText::completeness(origin, false), QString());
        QCOMPARE(StatusText::source(origin), QString());
        origin = ListingOrigin::from(ListingOrigin::Source::Walked, "/srv/share");
        origin.when = QDateTime({ 2026, 1, 2 }, { 14, 2 });
        QCOMPARE(StatusText::source(origin), QStringLiteral("listed /srv/share at 14:02"));
        QCOMPARE(StatusText::completeness(origin, false), QStringLiteral("complete"));
        origin.cancelled = origin.limitReached = origin.depthReached = true;
        origin.unreadable.resize(2);
        QCOMPARE(StatusText::completeness(origin, true),
            QStringLiteral(
                "cancelled, stopped at 32,000 entries, stopped at five levels, 2 folders unreadable, report filtered"));
        origin.source = ListingOrigin::Source::Opened;
        origin.place = "/home/u/inv.txt";
        QCOMPARE(StatusText::source(origin), QStringLiteral("opened inv.txt"));
        QCOMPARE(StatusText::counts({ 1, 1, 0, 5, "5", "d" }), QStringLiteral("1 entry: 1 file, 0 folders, 5 bytes"));
    }
};

QTEST_GUILESS_MAIN(TestListingReading)
#include "tst_listingreading.moc"
