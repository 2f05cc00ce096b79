#include "reportfixture.h"

#include <QDateTime>
#include <QTest>

// The page content on the recording surface: 240 twips a line and 100 twips a character on the printer.
class TestReportLayout : public QObject {
    Q_OBJECT

private slots:
    void firstPageHeader();
    void pageEnd_data();
    void pageEnd();
    void summaryPlacement_data();
    void summaryPlacement();
    void folderIndent();
    void filterInForce_data();
    void filterInForce();
    void longNameWraps_data();
    void longNameWraps();
    void counts();
    void secondGridFilteredAndWrapped();
    void previewPageFullOnLastRow();
    void runDateAtMidnight();
};

void TestReportLayout::firstPageHeader()
{
    RecordedReport report(ReportGeometry::printer());
    QVERIFY(report.draw({ fileRow(QStringLiteral("a.txt")) }));
    const QList<SurfaceOperation> ops = report.surface.operations;
    using Op = SurfaceOperation;
    const QList<SurfaceOperation> expected {
        { Op::Line, 1, 0, 0, QStringLiteral("Report Run Date: 1/2/2026 10:00:00"), 0 },
        { Op::Line, 1, 0, 240, {}, 0 },
        { Op::Font, 1, 0, 480, {}, 14 },
        { Op::Line, 1, 0, 480, QStringLiteral("Selected Directory: /sel"), 0 },
        { Op::Line, 1, 0, 720, {}, 0 },
        { Op::Text, 1, 0, 960, QStringLiteral("Filename/Directory"), 0 },
        { Op::Text, 1, 6000, 960, QStringLiteral("File Size"), 0 },
        { Op::Line, 1, 8400, 960, QStringLiteral("Creation Date"), 0 },
        { Op::Font, 1, 0, 1200, {}, 10 },
        { Op::Line, 1, 0, 1200, {}, 0 },
        { Op::Text, 1, 0, 1440, QStringLiteral("a.txt"), 0 },
        { Op::Text, 1, 6000, 1440, QStringLiteral("10"), 0 },
        { Op::Line, 1, 8400, 1440, QStringLiteral("1/2/2026 10:00:00"), 0 },
    };
    QCOMPARE(ops.mid(0, expected.size()), expected);
    QCOMPARE(report.textsOn(1).mid(8),
        (QStringList { QStringLiteral("Summary Information"),
            QStringLiteral("Total number of files in selected Directory:  1 "),
            QStringLiteral("Total number of Directories in selected Directory:  1 "), QStringLiteral("Page 1") }));
    const SurfaceOperation footer = report.surface.find(QStringLiteral("Page 1"));
    QCOMPARE(QPointF(footer.x, footer.y), QPointF(5900, 14414 + 2 * 240));
    QCOMPARE(ops.last().kind, Op::EndDoc);
}

void TestReportLayout::pageEnd_data()
{
    QTest::addColumn<double>("currentY");
    QTest::addColumn<bool>("pageEnds");
    QTest::newRow("at 14375") << 14375.0 << false;
    QTest::newRow("just above 14375") << 14376.0 << true;
    QTest::newRow("a fraction above") << 14375.5 << true;
}

void TestReportLayout::pageEnd()
{
    QFETCH(double, currentY);
    QFETCH(bool, pageEnds);
    RecordedReport report(ReportGeometry::printer());
    report.layout.state().linecount = 60;
    report.surface.setCurrentY(currentY);
    report.layout.checkpageend();

    QCOMPARE(report.surface.count(SurfaceOperation::NewPage), pageEnds ? 1 : 0);
    QCOMPARE(report.layout.state().pageno, pageEnds ? 2 : 1);
    QCOMPARE(report.layout.state().linecount, pageEnds ? 4 : 60);
    if (!pageEnds)
        return;
    const SurfaceOperation footer = report.surface.find(QStringLiteral("Page 1"));
    QCOMPARE(footer.page, 1);
    QCOMPARE(QPointF(footer.x, footer.y), QPointF(5900, 14414 + 2 * 240));
    QCOMPARE(report.textsOn(2),
        (QStringList { QStringLiteral("Selected Directory: /sel"), QStringLiteral("Filename/Directory"),
            QStringLiteral("File Size"), QStringLiteral("Creation Date") }));
    QCOMPARE(report.surface.find(QStringLiteral("Selected Directory: /sel")).y, 0.0);
    QCOMPARE(report.surface.CurrentY(), 4 * 240.0);
}

void TestReportLayout::summaryPlacement_data()
{
    QTest::addColumn<bool>("preview");
    QTest::addColumn<int>("linecount");
    QTest::addColumn<int>("summaryPage");
    QTest::newRow("printer, 68 lines") << false << 68 << 1;
    QTest::newRow("printer, 69 lines") << false << 69 << 2;
    QTest::newRow("preview, 68 lines") << true << 68 << 1;
    QTest::newRow("preview, 69 lines") << true << 69 << 2;
}

void TestReportLayout::summaryPlacement()
{
    QFETCH(bool, preview);
    QFETCH(int, linecount);
    QFETCH(int, summaryPage);
    const ReportGeometry geometry = preview ? ReportGeometry::preview() : ReportGeometry::printer();
    RecordedReport report(geometry);
    report.layout.state().linecount = linecount;
    report.surface.setCurrentY(3000);
    report.layout.printsummary();

    const SurfaceOperation summary = report.surface.find(QStringLiteral("Summary Information"));
    QCOMPARE(summary.page, summaryPage);
    QCOMPARE(summary.y, summaryPage == 1 ? 3000 + 2 * 240.0 : 2 * 240.0); // no header on a page of its own
    QCOMPARE(report.surface.pageCount(), summaryPage);
    for (int page = 1; page <= summaryPage; ++page) {
        const SurfaceOperation footer = report.surface.find(QStringLiteral("Page %1").arg(page));
        QCOMPARE(footer.page, page);
        QCOMPARE(QPointF(footer.x, footer.y), QPointF(geometry.footerX, geometry.footerY + 2 * 240));
    }
    QCOMPARE(report.surface.operations.last().kind, SurfaceOperation::EndDoc);
}

void TestReportLayout::folderIndent()
{
    RecordedReport report(ReportGeometry::printer());
    QVERIFY(report.draw({ folderRow(QStringLiteral("/sel/a/b/c/d"), QStringLiteral("3")), fileRow(QStringLiteral("f1")),
        fileRow(QStringLiteral("f2")), folderRow(QStringLiteral("/sel/e"), QStringLiteral("1")),
        folderRow(QStringLiteral("/sel/e/odd"), QStringLiteral("7")), fileRow(QStringLiteral("f3")) }));

    const QList<SurfaceOperation> ops = report.surface.drawnOn(1).mid(8); // after the header
    auto at = [&ops](int i) { return std::make_tuple(ops[i].kind, ops[i].x, ops[i].y, ops[i].text); };
    using Op = SurfaceOperation;
    QCOMPARE(at(0), std::make_tuple(Op::Line, 0.0, 1440.0, QString())); // blank before the folder
    QCOMPARE(at(1), std::make_tuple(Op::Text, 750.0, 1680.0, QStringLiteral("/sel/a/b/c/d")));
    QCOMPARE(at(3), std::make_tuple(Op::Line, 8400.0, 1680.0, QStringLiteral(" "))); // marker not printed
    QCOMPARE(at(4), std::make_tuple(Op::Line, 0.0, 1920.0, QString())); // blank after the folder
    QCOMPARE(at(5), std::make_tuple(Op::Text, 750.0, 2160.0, QStringLiteral("f1")));
    QCOMPARE(at(8), std::make_tuple(Op::Text, 750.0, 2400.0, QStringLiteral("f2")));
    QCOMPARE(report.surface.find(QStringLiteral("/sel/e")).x, 250.0);
    QCOMPARE(report.surface.find(QStringLiteral("/sel/e/odd")).x, 250.0);
    QCOMPARE(report.surface.find(QStringLiteral("f3")).x, 250.0);
}

void TestReportLayout::filterInForce_data()
{
    QTest::addColumn<FilterMode>("mode");
    QTest::addColumn<QStringList>("rowTexts");
    QTest::newRow("include doc") << FilterMode::IncludeTypes
                                 << QStringList { QStringLiteral("/sel/projdoc"), QStringLiteral(" "),
                                        QStringLiteral("2"), QStringLiteral("a.doc"), QStringLiteral("10"),
                                        QStringLiteral("1/2/2026 10:00:00") };
    QTest::newRow("exclude doc") << FilterMode::ExcludeTypes
                                 << QStringList { QStringLiteral("b.txt"), QStringLiteral("10"),
                                        QStringLiteral("1/2/2026 10:00:00") };
}

void TestReportLayout::filterInForce()
{
    QFETCH(FilterMode, mode);
    QFETCH(QStringList, rowTexts);
    RecordedReport report(ReportGeometry::printer());
    report.options.chooseMode(mode);
    report.options.setTypeText(0, QStringLiteral("doc"));
    report.options.setTypeChecked(0, true);
    QVERIFY(report.draw({ folderRow(QStringLiteral("/sel/projdoc"), QStringLiteral("2")),
        fileRow(QStringLiteral("a.doc")), fileRow(QStringLiteral("b.txt")) }));

    const QList<SurfaceOperation> rows = report.surface.drawnOn(1).mid(8);
    QStringList texts;
    for (const SurfaceOperation& op : rows) {
        QVERIFY2(!op.text.isEmpty(), "no blank lines while a filter is in force");
        texts.append(op.text);
        if (op.kind == SurfaceOperation::Text && (texts.size() - 1) % 3 == 0)
            QCOMPARE(op.x, 0.0);
    }
    QCOMPARE(texts, rowTexts);
    QCOMPARE(report.surface.operations.last().kind, SurfaceOperation::EndDoc); // neither summary nor footer
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
    QVERIFY(report.draw({ fileRow(QString(nameLength, QLatin1Char('n'))), fileRow(QStringLiteral("next")) }));
    const SurfaceOperation size = report.surface.find(QStringLiteral("10"));
    QCOMPARE(QPointF(size.x, size.y), QPointF(6000, wraps ? 1680 : 1440));
    QCOMPARE(report.surface.find(QStringLiteral("next")).y, wraps ? 1920.0 : 1680.0);
    QCOMPARE(report.layout.state().linecount, 6 + 2); // the extra line is not counted
}

void TestReportLayout::counts()
{
    RecordedReport report(ReportGeometry::printer());
    QVERIFY(report.draw({ fileRow(QStringLiteral("top.txt")), folderRow(QStringLiteral("/sel/a"), QStringLiteral(" ")),
        fileRow(QStringLiteral("a.txt")), folderRow(QStringLiteral("/sel/b"), QStringLiteral(" ")),
        folderRow(QStringLiteral("/sel/c"), QStringLiteral(" ")) }));
    const QStringList texts = report.textsOn(1);
    QVERIFY(texts.contains(QStringLiteral("Total number of files in selected Directory:  2 ")));
    QVERIFY(texts.contains(QStringLiteral("Total number of Directories in selected Directory:  4 ")));
}

void TestReportLayout::secondGridFilteredAndWrapped()
{
    RecordedReport report(ReportGeometry::printer());
    report.options.chooseMode(FilterMode::ExcludeTypes);
    report.options.setTypeText(0, QStringLiteral("exe"));
    report.options.setTypeChecked(0, true);
    for (int i = 1; i < ListingTable::gridCapacity; ++i)
        report.table.updatetable(QStringLiteral("f%1.txt").arg(i), QStringLiteral("1"), QStringLiteral("d"));
    const QString longName = QString(70, QLatin1Char('L')) + QStringLiteral(".doc");
    fill(report.table,
        { fileRow(QStringLiteral("first.exe")), fileRow(QStringLiteral("second.exe")), fileRow(longName) });
    QCOMPARE(report.table.row(GridId::Grid2, 1).name, QStringLiteral("second.exe"));

    int rows = 0;
    QVERIFY(drawReport(report.layout, report.table, [&] {
        if (++rows == 10)
            report.selection = QStringLiteral("/changed");
        return true;
    }));
    QCOMPARE(report.surface.find(QStringLiteral("first.exe")).page, 0);
    QCOMPARE(report.surface.find(QStringLiteral("second.exe")).page, 0);
    const SurfaceOperation name = report.surface.find(longName);
    QVERIFY(name.page > 1);
    const QList<SurfaceOperation> onPage = report.surface.drawnOn(name.page);
    const auto after = onPage.begin() + onPage.indexOf(name);
    QCOMPARE((after + 2)->text, QStringLiteral("10"));
    QCOMPARE((after + 2)->y, name.y + 240); // its size and date moved to the next line
    QCOMPARE(report.surface.find(QStringLiteral("Selected Directory: /changed")).page, 2);
    QCOMPARE(report.textsOn(name.page).first(), QStringLiteral("Selected Directory: /changed"));
}

void TestReportLayout::previewPageFullOnLastRow()
{
    RecordedReport report(ReportGeometry::preview(), 0.1, 0.05);
    QList<ListingEntry> rows;
    for (int i = 0; i < 70; ++i)
        rows.append(fileRow(QStringLiteral("f%1").arg(i)));
    QVERIFY(report.draw(rows));

    QCOMPARE(report.surface.pageCount(), 2);
    QCOMPARE(report.layout.state().pageno, 2);
    // The footer of page 1 stands right below its last row; the page was started before it.
    const SurfaceOperation lastRow = report.surface.find(QStringLiteral("f69"));
    const SurfaceOperation footer = report.surface.find(QStringLiteral("Page 1"));
    QCOMPARE(footer.page, 1);
    QCOMPARE(footer.x, 4.25);
    QVERIFY(qAbs(footer.y - (lastRow.y + 3 * 0.1)) < 1e-9);
    const auto newPage = std::find_if(report.surface.operations.begin(), report.surface.operations.end(),
        [](const SurfaceOperation& op) { return op.kind == SurfaceOperation::NewPage; });
    QVERIFY(newPage < std::find(report.surface.operations.begin(), report.surface.operations.end(), footer));
    QCOMPARE(report.textsOn(2),
        (QStringList { QStringLiteral("Selected Directory: /sel"), QStringLiteral("Filename/Directory"),
            QStringLiteral("File Size"), QStringLiteral("Creation Date"), QStringLiteral("Summary Information"),
            QStringLiteral("Total number of files in selected Directory:  70 "),
            QStringLiteral("Total number of Directories in selected Directory:  1 "), QStringLiteral("Page 2") }));
    QCOMPARE(report.surface.find(QStringLiteral("Page 2")).y, 10 + 2 * 0.1);
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
