#include "reportfixture.h"

#include <QDateTime>
#include <QTest>

// The page content on the recording surface: 240 twips a line and 100 twips a character on the printer.
class TestReportLayout : public QObject {
    Q_OBJECT

private slots:
    void printerPages()
    {
        RecordedReport report(ReportGeometry::printer());
        QList<ListingEntry> rows { fileRow("a.txt"), folderRow("/sel/a/b/c/d/e", "4"), fileRow("f1"),
            folderRow("/sel/e", "1"), folderRow("/sel/e/odd", "07"), fileRow("f3"), folderRow("/sel/six", "5"),
            folderRow("/sel/thirty", "29"), fileRow("f30"), folderRow("/sel/z", " "), fileRow(QString(59, u'n')),
            fileRow(QString(60, u'n')) };
        for (int i = 0; i < 200; ++i)
            rows.append(i % 3 ? fileRow("f") : folderRow("/sel/d", "1"));
        QVERIFY(report.draw(rows));
        using Op = SurfaceOperation;
        // A blank line before and after a folder row, whose level marker is not printed.
        const QList<SurfaceOperation> expected { { Op::Line, 1, 0, 0, "Report Run Date: 1/2/2026 10:00:00", 0 },
            { Op::Line, 1, 0, 240, {}, 0 }, { Op::Font, 1, 0, 480, {}, 14 },
            { Op::Line, 1, 0, 480, "Selected Directory: /sel", 0 }, { Op::Line, 1, 0, 720, {}, 0 },
            { Op::Text, 1, 0, 960, "Filename/Directory", 0 }, { Op::Text, 1, 6000, 960, "File Size", 0 },
            { Op::Line, 1, 8400, 960, "Creation Date", 0 }, { Op::Font, 1, 0, 1200, {}, 10 },
            { Op::Line, 1, 0, 1200, {}, 0 }, { Op::Text, 1, 0, 1440, "a.txt", 0 }, { Op::Text, 1, 6000, 1440, "10", 0 },
            { Op::Line, 1, 8400, 1440, "1/2/2026 10:00:00", 0 }, { Op::Line, 1, 0, 1680, {}, 0 },
            { Op::Text, 1, 1000, 1920, "/sel/a/b/c/d/e", 0 }, { Op::Text, 1, 6000, 1920, " ", 0 },
            { Op::Line, 1, 8400, 1920, " ", 0 }, { Op::Line, 1, 0, 2160, {}, 0 },
            { Op::Text, 1, 1000, 2400, "f1", 0 } };
        QCOMPARE(report.surface.operations.mid(0, expected.size()), expected);
        // An invalid level keeps the indent of the folder before; past five levels the indent grows up to its cap.
        for (const char* text : { "/sel/e", "/sel/e/odd", "f3" })
            QCOMPARE(report.surface.find(text).x, 250.0);
        QCOMPARE(report.surface.find("/sel/six").x, 1250.0);
        QCOMPARE(report.surface.find("f30").x, 2250.0);
        // A direct subfolder has no indent; a name reaching the size column puts its size and date on the next line.
        const SurfaceOperation fits = report.surface.find(QString(59, u'n')),
                               wraps = report.surface.find(QString(60, u'n'));
        const auto& ops = report.surface.operations;
        QCOMPARE(ops.at(ops.indexOf(fits) + 1), (SurfaceOperation { Op::Text, 1, 6000, fits.y, "10", 0 }));
        QCOMPARE(ops.at(ops.indexOf(wraps) + 2), (SurfaceOperation { Op::Text, 1, 6000, wraps.y + 240, "10", 0 }));
        // No row below the bottom margin, a blank line before a folder row included.
        for (const SurfaceOperation& op : ops)
            QVERIFY2(op.y <= 14375 || (op.text != "f" && op.text != "/sel/d"), qPrintable(QString::number(op.page)));
        QCOMPARE(report.textsOn(report.surface.pageCount()).last(4),
            (QStringList { "Summary Information", "Total number of files in selected Directory:  139 ",
                "Total number of Directories in selected Directory:  74 ",
                QString("Page %1").arg(report.surface.pageCount()) }));
    }

    void pageEnds_data()
    {
        QTest::addColumn<bool>("preview");
        QTest::addColumn<double>("currentY");
        QTest::addColumn<int>("linecount"); // above 60 the summary is printed; otherwise the page end is checked
        QTest::addColumn<QStringList>("pages"); // the texts drawn on each page
        const QString header = "Selected Directory: /sel|Filename/Directory|File Size|Creation Date";
        const QString summary = "Summary Information|Total number of files in selected Directory:  0 |"
                                "Total number of Directories in selected Directory:  1 |Page ";
        QTest::newRow("at 14375") << false << 14375.0 << 60 << QStringList { "" };
        QTest::newRow("just above 14375") << false << 14376.0 << 60 << QStringList { "Page 1", header };
        for (const bool preview : { false, true }) {
            const char* device = preview ? "preview" : "printer";
            QTest::addRow("%s, summary at 68 lines", device)
                << preview << 3000.0 << 68 << QStringList { summary + '1' };
            QTest::addRow("%s, summary at 69 lines", device)
                << preview << 3000.0 << 69 << QStringList { "Page 1", summary + '2' };
        }
    }

    void pageEnds()
    {
        QFETCH(bool, preview);
        QFETCH(double, currentY);
        QFETCH(int, linecount);
        const bool summary = linecount > 60;
        QFETCH(QStringList, pages);
        const ReportGeometry geometry = preview ? ReportGeometry::preview() : ReportGeometry::printer();
        RecordedReport report(geometry);
        report.layout.state().linecount = linecount;
        report.surface.setCurrentY(currentY);
        summary ? report.layout.printsummary() : report.layout.checkpageend();

        QStringList drawn;
        for (int page = 1; page <= report.surface.pageCount(); ++page)
            drawn.append(report.textsOn(page).join(u'|'));
        QCOMPARE(drawn, pages);
        QCOMPARE(report.layout.state().pageno, pages.size());
        for (const SurfaceOperation& op : report.surface.operations)
            if (op.text.startsWith("Page "))
                QCOMPARE(QPointF(op.x, op.y), QPointF(geometry.footerX, geometry.footerY + 2 * 240));
        if (summary) // no header above a summary on a page of its own
            QCOMPARE(report.surface.find("Summary Information").y, pages.size() == 1 ? 3000 + 2 * 240.0 : 2 * 240.0);
    }

    void filterInForce()
    {
        RecordedReport report(ReportGeometry::printer());
        report.options.chooseMode(FilterMode::IncludeTypes);
        report.options.setTypeText(0, "doc");
        report.options.setTypeChecked(0, true);
        QVERIFY(report.draw({ folderRow("/sel/projdoc", "2"), fileRow("a.doc"), fileRow("b.txt") }));

        // Neither blank lines, indent, summary nor footer while a filter is in force.
        QStringList texts;
        for (const SurfaceOperation& op : report.surface.drawnOn(1).mid(8))
            texts.append(op.text);
        QCOMPARE(texts, (QStringList { "/sel/projdoc", " ", "2", "a.doc", "10", "1/2/2026 10:00:00" }));
        QCOMPARE(report.surface.find("/sel/projdoc").x, 0.0);
    }

    void secondGridFilteredWhileSelectionChanges()
    {
        RecordedReport report(ReportGeometry::printer());
        report.options.chooseMode(FilterMode::ExcludeTypes);
        report.options.setTypeText(0, "exe");
        report.options.setTypeChecked(0, true);
        fillFiles(report.table, ListingTable::gridCapacity - 1);
        fill(report.table, { fileRow("first.exe"), fileRow("second.exe"), fileRow("last.doc") });
        QCOMPARE(report.table.row(GridId::Grid2, 1).name, "second.exe");

        int rows = 0;
        QVERIFY(drawReport(report.layout, report.table, [&] {
            if (++rows == 10)
                report.selection = "/changed";
            return true;
        }));
        QCOMPARE(report.surface.find("first.exe").page + report.surface.find("second.exe").page, 0);
        QVERIFY(report.surface.find("last.doc").page > 1);
        QCOMPARE(report.surface.find("Selected Directory: /changed").page, 2);
    }

    void previewPageFullOnLastRow()
    {
        RecordedReport report(ReportGeometry::preview(), 0.1, 0.05);
        fillFiles(report.table, 70);
        QVERIFY(report.draw({}));

        QCOMPARE(report.surface.pageCount(), 2);
        // The footer of page 1 stands right below its last row; the page was started before it.
        const SurfaceOperation footer = report.surface.find("Page 1");
        QCOMPARE(std::make_tuple(footer.page, footer.x), std::make_tuple(1, 4.25));
        QVERIFY(qAbs(footer.y - (report.surface.find("f69.txt").y + 3 * 0.1)) < 1e-9);
        const auto& ops = report.surface.operations;
        QCOMPARE(ops.at(ops.indexOf(footer) - 3).kind, SurfaceOperation::NewPage); // then two blank lines
        QCOMPARE(report.textsOn(2),
            (QStringList { "Selected Directory: /sel", "Filename/Directory", "File Size", "Creation Date",
                "Summary Information", "Total number of files in selected Directory:  70 ",
                "Total number of Directories in selected Directory:  1 ", "Page 2" }));
        QCOMPARE(report.surface.find("Page 2").y, 10 + 2 * 0.1);
    }

    void runDateAtMidnight()
    {
        const QDateTime midnight(QDate(2026, 1, 2), QTime(0, 0));
        QCOMPARE(runDateText(midnight), QLocale().toString(midnight.date(), QLocale::ShortFormat));
        QVERIFY(runDateText(midnight.addSecs(1)).startsWith(runDateText(midnight) + QLatin1Char(' ')));
    }
};

QTEST_GUILESS_MAIN(TestReportLayout)
#include "tst_reportlayout.moc"
