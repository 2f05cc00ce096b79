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
