#include "gridmodel.h"
#include "listingtable.h"

#include <QSignalSpy>
#include <QTest>

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
    void placement_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("grid");
        QTest::addColumn<int>("row");
        QTest::newRow("first") << 1 << 1 << 1;
        QTest::newRow("16000th") << 16000 << 1 << 16000;
        QTest::newRow("16001st") << 16001 << 2 << 1;
        QTest::newRow("32000th") << 32000 << 2 << 16000;
    }
    void placement()
    {
        QFETCH(int, entry);
        QFETCH(int, grid);
        QFETCH(int, row);
        QCOMPARE(ListingTable::placementFor(entry), (ListingTable::Placement { GridId(grid), row }));
    }

    void fillAndEmpty_data()
    {
        QTest::addColumn<int>("entries");
        for (int n : { 0, 1, 15999, 16000, 16001, 31999, 32000 })
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
        QCOMPARE(table.listcount(), entries);
        QCOMPARE(table.rowCount(GridId::Grid1), 25 + inGrid1);
        QCOMPARE(table.rowCount(GridId::Grid2), 25 + inGrid2);
        if (inGrid1 > 0)
            QCOMPARE(table.rowText(GridId::Grid1, inGrid1), QStringLiteral("file%1\t%1\tdate").arg(inGrid1));
        for (int r = inGrid1 + 1; r <= inGrid1 + 24; ++r)
            QCOMPARE(table.rowText(GridId::Grid1, r), emptyRow);
        QCOMPARE(table.rowText(GridId::Grid2, 1), inGrid2 > 0 ? QStringLiteral("file16001\t16001\tdate") : emptyRow);
        if (inGrid2 > 0)
            QCOMPARE(table.cell(GridId::Grid2, inGrid2, 1), QStringLiteral("file%1").arg(entries));
        QCOMPARE(table.cell(GridId::Grid1, 0, 1), QString()); // the title row holds no text

        table.empty();
        QCOMPARE(table.listcount(), 0);
        QCOMPARE(table.rowCount(GridId::Grid1), 25);
        QCOMPARE(table.rowCount(GridId::Grid2), 25);
        for (int r = 1; r <= 24; ++r) {
            QCOMPARE(table.rowText(GridId::Grid1, r), emptyRow);
            QCOMPARE(table.rowText(GridId::Grid2, r), emptyRow);
        }
    }

    // The view learns of rows only when synced; a refill after emptying replaces the rows it shows.
    void gridModelFollowsTheTable()
    {
        ListingTable table;
        GridModel model(table, GridId::Grid1);
        QCOMPARE(model.rowCount(), 24);
        fill(table, 3);
        QCOMPARE(model.rowCount(), 24);
        model.sync();
        QCOMPARE(model.rowCount(), 27);
        QCOMPARE(model.index(2, 1).data().toString(), QStringLiteral("file3"));
        QCOMPARE(model.index(3, 1).data().toString(), QString());

        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        table.empty();
        table.updatetable(QStringLiteral("other"), QStringLiteral("1"), QString());
        table.updatetable(QStringLiteral("next"), QStringLiteral("1"), QString());
        table.updatetable(QStringLiteral("last"), QStringLiteral("1"), QString());
        model.sync();
        QCOMPARE(reset.count(), 1);
        QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("other"));
    }
};

QTEST_GUILESS_MAIN(TestListingTable)
#include "tst_listingtable.moc"
