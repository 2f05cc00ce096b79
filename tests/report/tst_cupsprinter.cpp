#include "fakelistingsession.h"
#include "printerservice.h"
#include "printersurface.h"
#include "reportcommands.h"
#include "reportfixture.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

// Print Report through the system's spooler, on a cups-pdf queue set up as the default printer. Skipped where
// there is none, so that no real paper is ever printed.
class TestCupsPrinter : public QObject {
    Q_OBJECT

private slots:
    void printReportThroughTheSpooler();
};

void TestCupsPrinter::printReportThroughTheSpooler()
{
    QtPrinterService printers;
    if (!printers.hasDefaultPrinter())
        QSKIP("no default printer");
    const QString queue = printers.defaultPrinterName();
    if (!runTool(QStringLiteral("lpstat"), { QStringLiteral("-v"), queue }).contains(QLatin1String("cups-pdf:/")))
        QSKIP("the default printer is not a cups-pdf queue");

    FakeListingSession session;
    session.services_.printer = &printers;
    session.selection = QStringLiteral("/sel");
    ReportOptions options;
    for (int i = 0; i < 300; ++i)
        session.table.updatetable(QStringLiteral("file %1.txt").arg(i), QStringLiteral("1"), QStringLiteral("d"));

    // The same report on the queue's own pages, into a file, gives the number of pages to expect.
    QTemporaryDir dir;
    const QString reference = dir.filePath(QStringLiteral("reference.pdf"));
    int expectedPages = 0;
    {
        auto pdf = printers.createPdfPrinter(reference);
        PrinterSurface surface(*pdf);
        ReportLayout layout(surface, ReportGeometry::printer(), options, [] { return QStringLiteral("/sel"); }, {});
        QVERIFY(drawReport(layout, session.table, {}));
        expectedPages = surface.pagesStarted();
    }
    QVERIFY(expectedPages > 1);
    QCOMPARE(pdfPages(reference), expectedPages);

    const QDir output(QDir::home().filePath(QStringLiteral("PDF")));
    const QStringList before = output.entryList({ QStringLiteral("*.pdf") }, QDir::Files);
    ReportCommands(session, options).printlisting();
    QVERIFY(session.messages.shown.isEmpty());

    QString printed;
    int pages = -1;
    const QDeadlineTimer deadline(60000);
    while (pages != expectedPages && !deadline.hasExpired()) {
        QTest::qWait(250);
        for (const QString& name : output.entryList({ QStringLiteral("*.pdf") }, QDir::Files))
            if (!before.contains(name))
                printed = output.filePath(name);
        if (!printed.isEmpty())
            pages = pdfPages(printed);
    }
    QVERIFY2(!printed.isEmpty(), "the job left no PDF in ~/PDF");
    QCOMPARE(pages, expectedPages);
    QFile::remove(printed);
}

QTEST_MAIN(TestCupsPrinter)
#include "tst_cupsprinter.moc"
