#include "reportfixture.h"

#include <QDateTime>
#include <QTest>

// The page content on the recording surface: 240 twips a line and 100 twips a character on the printer.
class TestReportLayout : public QObject {
    Q_OBJECT

private slots:
    void firstPageAndIndent();
    void pageEnd_data();
    void pageEnd();
    void summaryPlacement_data();
    void summaryPlacement();
    void filterInForce_data();
    void filterInForce();
    void longNameWraps_data();
    void longNameWraps();
    void secondGridFilteredWhileSelectionChanges();
    void previewPageFullOnLastRow();
    void runDateAtMidnight();
};

void TestReportLayout::firstPageAndIndent()
{
    RecordedReport report(ReportGeometry::printer());
    QVERIFY(report.draw({ fileRow("a.txt"), folderRow("/sel/a/b/c/d", "3"), fileRow("f1"), folderRow("/sel/e", "1"),
        folderRow("/sel/e/odd", "7"), fileRow("f3") }));
    using Op = SurfaceOperation;
    const QList<SurfaceOperation> expected {
        { Op::Line, 1, 0, 0, "Report Run Date: 1/2/2026 10:00:00", 0 },
        { Op::Line, 1, 0, 240, {}, 0 },
        { Op::Font, 1, 0, 480, {}, 14 },
        { Op::Line, 1, 0, 480, "Selected Directory: /sel", 0 },
        { Op::Line, 1, 0, 720, {}, 0 },
        { Op::Text, 1, 0, 960, "Filename/Directory", 0 },
        { Op::Text, 1, 6000, 960, "File Size", 0 },
        { Op::Line, 1, 8400, 960, "Creation Date", 0 },
        { Op::Font, 1, 0, 1200, {}, 10 },
        { Op::Line, 1, 0, 1200, {}, 0 },
        { Op::Text, 1, 0, 1440, "a.txt", 0 },
        { Op::Text, 1, 6000, 1440, "10", 0 },
        { Op::Line, 1, 8400, 1440, "1/2/2026 10:00:00", 0 },
        { Op::Line, 1, 0, 1680, {}, 0 }, // blank before a folder
        { Op::Text, 1, 750, 1920, "/sel/a/b/c/d", 0 },
        { Op::Text, 1, 6000, 1920, " ", 0 },
        { Op::Line, 1, 8400, 1920, " ", 0 }, // the level marker is not printed
        { Op::Line, 1, 0, 2160, {}, 0 }, // and after it
        { Op::Text, 1, 750, 2400, "f1", 0 },
    };
    QCOMPARE(report.surface.operations.mid(0, expected.size()), expected);
    // An invalid level keeps the indent of the folder before.
    for (const char* text : { "/sel/e", "/sel/e/odd", "f3" })
        QCOMPARE(report.surface.find(text).x, 250.0);
    QCOMPARE(report.textsOn(1).last(4),
        (QStringList { "Summary Information", "Total number of files in selected Directory:  3 ",
            "Total number of Directories in selected Directory:  4 ", "Page 1" }));
    QCOMPARE(report.surface.operations.last().kind, Op::EndDoc);
}

void TestReportLayout::pageEnd_data()
{
    QTest::addColumn<double>("currentY");
    QTest::addColumn<bool>("pageEnds");
    QTest::newRow("at 14375") << 14375.0 << false;
    QTest::newRow("just above 14375") << 14376.0 << true;
}

void TestReportLayout::pageEnd()
{
    QFETCH(double, currentY);
    QFETCH(bool, pageEnds);
    RecordedReport report(ReportGeometry::printer());
    report.layout.state().linecount = 60;
    report.surface.setCurrentY(currentY);
    report.layout.checkpageend();

    QCOMPARE(report.layout.state().pageno, pageEnds ? 2 : 1);
    QCOMPARE(report.layout.state().linecount, pageEnds ? 4 : 60);
    QCOMPARE(report.surface.find("Page 1").page, pageEnds ? 1 : 0);
    const QStringList header { "Selected Directory: /sel", "Filename/Directory", "File Size", "Creation Date" };
    QCOMPARE(report.textsOn(2), pageEnds ? header : QStringList {});
    if (pageEnds)
        QCOMPARE(report.surface.CurrentY(), 4 * 240.0);
}

void TestReportLayout::summaryPlacement_data()
{
    QTest::addColumn<bool>("preview");
    QTest::addColumn<int>("linecount");
    QTest::newRow("printer, 68 lines") << false << 68;
    QTest::newRow("printer, 69 lines") << false << 69;
    QTest::newRow("preview, 68 lines") << true << 68;
    QTest::newRow("preview, 69 lines") << true << 69;
}

void TestReportLayout::summaryPlacement()
{
    QFETCH(bool, preview);
    QFETCH(int, linecount);
    const int summaryPage = linecount == 68 ? 1 : 2;
    const ReportGeometry geometry = preview ? ReportGeometry::preview() : ReportGeometry::printer();
    RecordedReport report(geometry);
    report.layout.state().linecount = linecount;
    report.surface.setCurrentY(3000);
    report.layout.printsummary();

    const SurfaceOperation summary = report.surface.find("Summary Information");
    QCOMPARE(summary.page, summaryPage);
    QCOMPARE(summary.y, summaryPage == 1 ? 3000 + 2 * 240.0 : 2 * 240.0); // no header on a page of its own
    QCOMPARE(report.surface.pageCount(), summaryPage);
    for (int page = 1; page <= summaryPage; ++page) {
        const SurfaceOperation footer = report.surface.find(QString("Page %1").arg(page));
        QCOMPARE(footer.page, page);
        QCOMPARE(QPointF(footer.x, footer.y), QPointF(geometry.footerX, geometry.footerY + 2 * 240));
    }
}

void TestReportLayout::filterInForce_data()
{
    QTest::addColumn<FilterMode>("mode");
    QTest::addColumn<QStringList>("rowTexts");
    QTest::newRow("include doc") << FilterMode::IncludeTypes
                                 << QStringList { "/sel/projdoc", " ", "2", "a.doc", "10", "1/2/2026 10:00:00" };
    QTest::newRow("exclude doc") << FilterMode::ExcludeTypes << QStringList { "b.txt", "10", "1/2/2026 10:00:00" };
}

void TestReportLayout::filterInForce()
{
    QFETCH(FilterMode, mode);
    QFETCH(QStringList, rowTexts);
    RecordedReport report(ReportGeometry::printer());
    report.options.chooseMode(mode);
    report.options.setTypeText(0, "doc");
    report.options.setTypeChecked(0, true);
    QVERIFY(report.draw({ folderRow("/sel/projdoc", "2"), fileRow("a.doc"), fileRow("b.txt") }));

    // Neither blank lines, indent, summary nor footer while a filter is in force.
    QStringList texts;
    for (const SurfaceOperation& op : report.surface.drawnOn(1).mid(8))
        texts.append(op.text);
    QCOMPARE(texts, rowTexts);
    QCOMPARE(report.surface.find(rowTexts.first()).x, 0.0);
    QCOMPARE(report.layout.state().filecount, 3);
}

void TestReportLayout::longNameWraps_data()
{
    QTest::addColumn<int>("nameLength");
    QTest::addColumn<bool>("wraps");
    QTest::newRow("ends at 5900") << 59 << false;
    QTest::newRow("reaches 6000") << 60 << true;
}

void TestReportLayout::longNameWraps()
{
    QFETCH(int, nameLength);
    QFETCH(bool, wraps);
    RecordedReport report(ReportGeometry::printer());
    QVERIFY(report.draw({ fileRow(QString(nameLength, QLatin1Char('n'))), fileRow("next") }));
    const SurfaceOperation size = report.surface.find("10");
    QCOMPARE(QPointF(size.x, size.y), QPointF(6000, wraps ? 1680 : 1440));
    QCOMPARE(report.surface.find("next").y, wraps ? 1920.0 : 1680.0);
    QCOMPARE(report.layout.state().linecount, 6 + 2); // the extra line is not counted
}

void TestReportLayout::secondGridFilteredWhileSelectionChanges()
{
    RecordedReport report(ReportGeometry::printer());
    report.options.chooseMode(FilterMode::ExcludeTypes);
    report.options.setTypeText(0, "exe");
    report.options.setTypeChecked(0, true);
    for (int i = 1; i < ListingTable::gridCapacity; ++i)
        report.table.updatetable(QString("f%1.txt").arg(i), "1", "d");
    fill(report.table, { fileRow("first.exe"), fileRow("second.exe"), fileRow("last.doc") });
    QCOMPARE(report.table.row(GridId::Grid2, 1).name, "second.exe");

    int rows = 0;
    QVERIFY(drawReport(report.layout, report.table, [&] {
        if (++rows == 10)
            report.selection = "/changed";
        return true;
    }));
    QCOMPARE(report.surface.find("first.exe").page, 0);
    QCOMPARE(report.surface.find("second.exe").page, 0);
    QVERIFY(report.surface.find("last.doc").page > 1);
    QCOMPARE(report.surface.find("Selected Directory: /changed").page, 2);
}

void TestReportLayout::previewPageFullOnLastRow()
{
    RecordedReport report(ReportGeometry::preview(), 0.1, 0.05);
    QList<ListingEntry> rows;
    for (int i = 0; i < 70; ++i)
        rows.append(fileRow(QString("f%1").arg(i)));
    QVERIFY(report.draw(rows));

    QCOMPARE(report.surface.pageCount(), 2);
    // The footer of page 1 stands right below its last row; the page was started before it.
    const SurfaceOperation footer = report.surface.find("Page 1");
    QCOMPARE(std::make_tuple(footer.page, footer.x), std::make_tuple(1, 4.25));
    QVERIFY(qAbs(footer.y - (report.surface.find("f69").y + 3 * 0.1)) < 1e-9);
    const auto& ops = report.surface.operations;
    QVERIFY(std::find_if(ops.begin(), ops.end(), [](const SurfaceOperation& op) {
        return op.kind == SurfaceOperation::NewPage;
    }) < std::find(ops.begin(), ops.end(), footer));
    QCOMPARE(report.textsOn(2),
        (QStringList { "Selected Directory: /sel", "Filename/Directory", "File Size", "Creation Date",
            "Summary Information", "Total number of files in selected Directory:  70 ",
            "Total number of Directories in selected Directory:  1 ", "Page 2" }));
    QCOMPARE(report.surface.find("Page 2").y, 10 + 2 * 0.1);
    QCOMPARE(report.surface.count(SurfaceOperation::Font), 0);
}

void TestReportLayout::runDateAtMidnight()
{
    const QDateTime midnight(QDate(2026, 1, 2), QTime(0, 0));
    QCOMPARE(runDateText(midnight), QLocale().toString(midnight.date(), QLocale::ShortFormat));
    QVERIFY(runDateText(midnight.addSecs(1)).startsWith(runDateText(midnight) + QLatin1Char(' ')));
}

QTEST_GUILESS_MAIN(TestReportLayout)
#include "tst_reportlayout.moc"
