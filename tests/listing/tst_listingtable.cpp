#include "gridmodel.h"
#include "listingtable.h"

#include <QSignalSpy>
#include <QTest>
#include <limits>

namespace {
void fill(ListingTable& table, int entries)
{
    for (int e = 1; e <= entries; ++e)
        table.updatetable(QStringLiteral("file%1").arg(e), QString::number(e), QStringLiteral("date"));
}
const QString emptyRow = QStringLiteral("\t\t");
}

class TestListingTable : public QObject {
    Q_OBJECT
private slots:
    void fillAndEmpty_data()
    {
        QTest::addColumn<int>("entries");
        for (int n : { 0, 16000, 16001, 32000 })
            QTest::newRow(qPrintable(QString::number(n))) << n;
    }
    // Rows 1..n hold the entries and n+1..n+24 read as two tabs; emptying restores 25 rows in both grids.
    void fillAndEmpty()
    {
        QFETCH(int, entries);
        ListingTable table;
        fill(table, entries);
        const int inGrid1 = std::min(entries, 16000);
        const int inGrid2 = std::max(0, entries - 16000);
        QCOMPARE(table.rowCount(GridId::Grid1), 25 + inGrid1);
        QCOMPARE(table.rowCount(GridId::Grid2), 25 + inGrid2);
        if (inGrid1 > 0)
            QCOMPARE(table.rowText(GridId::Grid1, inGrid1), QStringLiteral("file%1\t%1\tdate").arg(inGrid1));
        QCOMPARE(table.rowText(GridId::Grid1, inGrid1 + 24), emptyRow);
        QCOMPARE(table.rowText(GridId::Grid2, 1), inGrid2 > 0 ? QStringLiteral("file16001\t16001\tdate") : emptyRow);
        if (inGrid2 > 0)
            QCOMPARE(table.cell(GridId::Grid2, inGrid2, 1), QStringLiteral("file%1").arg(entries));

        table.empty();
        QCOMPARE(table.rowCount(GridId::Grid1), 25);
        QCOMPARE(table.rowCount(GridId::Grid2), 25);
        QCOMPARE(table.rowText(GridId::Grid1, 1), emptyRow);
    }

    void packedValues_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<qint64>("created");
        constexpr qint64 sizeEdge = qint64 { 1 } << 50;
        constexpr qint64 dateEdge = qint64 { 1 } << 39;
        constexpr qint64 most = std::numeric_limits<qint64>::max();
        constexpr qint64 least = std::numeric_limits<qint64>::min();
        QTest::newRow("zero") << qint64 { 0 } << qint64 { 0 };
        QTest::newRow("just inside the edges") << sizeEdge - 1 << dateEdge - 1;
        QTest::newRow("at the edges") << sizeEdge << dateEdge;
        QTest::newRow("earliest date inside") << qint64 { 1 } << -dateEdge;
        QTest::newRow("just before it") << qint64 { 1 } << -dateEdge - 1;
        QTest::newRow("a second before 1970") << qint64 { 1 } << qint64 { -1 };
        QTest::newRow("largest") << most << most;
        QTest::newRow("negative") << qint64 { -1 } << least;
    }
    // A value reads back as it was given, between neighbours of other forms so that a read of the wrong entry
    // or string shows.
    void packedValues()
    {
        QFETCH(qint64, size);
        QFETCH(qint64, created);
        ListingTable table;
        table.appendRecord("kept", "x", "y");
        table.appendFile("entry", size, created);
        table.appendFolder("/t/s", 7);
        QCOMPARE(table.fileSize(1), size);
        QCOMPARE(table.created(1), created);
        QCOMPARE(table.sizeBytes(1), QByteArray::number(size));
        QCOMPARE(table.nameBytes(1), "entry");
        QCOMPARE(table.sizeBytes(0) + table.dateBytes(0) + table.dateBytes(2), "xy6");
        ListingTable copy;
        copy.appendEntry(table, 1);
        QCOMPARE(copy.fileSize(0), size);
        QCOMPARE(copy.created(0), created);
    }

    // Strings in blocks so small that they fill thousands, far more than one reference reaches from one mark.
    void stringsInManyBlocks()
    {
        ListingTable table(16);
        const int entries = 5000;
        for (int e = 0; e < entries; ++e) {
            const QByteArray n = QByteArray::number(e);
            table.appendRecord(e == 2500 ? QByteArray(100, 'L') : "name" + n, "-" + n, "date " + n);
        }
        for (int e = 0; e < entries; ++e) {
            const QByteArray n = QByteArray::number(e);
            QCOMPARE(table.nameBytes(e), e == 2500 ? QByteArray(100, 'L') : "name" + n);
            QCOMPARE(table.sizeBytes(e), "-" + n);
            QCOMPARE(table.dateBytes(e), "date " + n);
        }
    }

    // The view learns of rows only when synced; a refill after emptying replaces the rows it shows.
    void gridModelFollowsTheTable()
    {
        ListingTable table;
        GridModel model(table, GridId::Grid1);
        fill(table, 3);
        model.sync();
        QCOMPARE(model.rowCount(), 27);
        QCOMPARE(model.index(2, 1).data().toString(), QStringLiteral("file3"));

        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        table.empty();
        fill(table, 3);
        model.sync();
        QCOMPARE(reset.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestListingTable)
#include "tst_listingtable.moc"
