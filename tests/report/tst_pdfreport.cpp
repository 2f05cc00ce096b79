#include "comparisonrun.h"
#include "faultyfilesystemservice.h"
#include "filesystemservice.h"
#include "printerservice.h"
#include "reportfixture.h"
#include "reportrender.h"

#include <QBuffer>
#include <QDir>
#include <QPageRanges>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

namespace {
const QByteArray olderListing = "\"/t\"\r\n\"a.txt\",\"1\",\"d\"\r\n\"b.doc\",\"2\",\"d\"\r\n";

// Readers add direction marks around right-to-left words and may put the extension on either side.
QString comparable(const QString& text)
{
    QString folded = text.normalized(QString::NormalizationForm_KC);
    folded.remove(QRegularExpression(QStringLiteral("[\\s\\p{Cf}]")));
    return folded;
}
}

// The report as a PDF file through Qt's engine: names in every script come back as text, and a write that fails
// leaves nothing behind. Then the comparison of two listings, as records, as a report and as an exit status.
class TestPdfReport : public QObject {
    Q_OBJECT

private slots:
    void namesReadBack_data()
    {
        QTest::addColumn<QString>("name");
        // Qt's engine maps glyphs back to text through the font's character map only: glyphs that shaping makes
        // of several characters (Devanagari, Thaana) and characters beyond 16 bits (emoji) draw but do not read back.
        QTest::addColumn<bool>("readsBack");
        QTest::newRow("latin with marks") << "Größe über ñandú, crème brûlée.txt" << true;
        QTest::newRow("decomposed accent first") << "e\u0301te\u0301 then été.txt" << true;
        QTest::newRow("ligature") << "flag fluffy office.txt" << true;
        QTest::newRow("cjk") << "日本語のファイル.txt" << true;
        QTest::newRow("arabic") << "ملف عربي.txt" << true;
        QTest::newRow("thai") << "ไฟล์ภาษาไทย.txt" << true;
        QTest::newRow("devanagari") << "हिन्दी.txt" << false;
        QTest::newRow("emoji") << "party 😀.txt" << false;
        QTest::newRow("vithkuqi, no font") << "\U00010570\U00010571\U00010572.txt" << false;
    }

    void namesReadBack()
    {
        QFETCH(QString, name);
        QFETCH(bool, readsBack);
        ListingTable table;
        fill(table, { folderRow("/sel/" + name, " "), fileRow(name), fileRow("after.txt") });
        const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".pdf");
        const PdfWriteOutcome outcome = write(path, table);
        QVERIFY2(outcome.ok, qPrintable(outcome.reason));
        const QString text = comparable(runTool(QStringLiteral("pdftotext"), { path, QStringLiteral("-") }));
        QVERIFY(text.contains(QLatin1String("after.txt")));
        if (readsBack)
            QVERIFY2(text.contains(comparable(name.left(name.lastIndexOf(u'.')))), qPrintable(text));
    }

    void failedWrite_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("oldFile");
        QTest::addColumn<QString>("reason");
        QTest::newRow("disk full, new file") << "new.pdf" << false << "File too large";
        QTest::newRow("disk full, old file kept") << "old.pdf" << true << "File too large";
    }

    void failedWrite()
    {
        QFETCH(QString, fileName);
        QFETCH(bool, oldFile);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(fileName);
        const QByteArray old = "an older report";
        QVERIFY(!oldFile || writeFile(path, old));
        ListingTable table;
        fillFiles(table, 3000);

        // A file size limit cuts a write short part way through, as a full disk would.
        rlimit saved {};
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit small { 20000, saved.rlim_max };
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const PdfWriteOutcome outcome = write(path, table);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);

        QVERIFY(!outcome.ok);
        QCOMPARE(outcome.reason, reason);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), oldFile ? QStringList { fileName } : QStringList {});
        QCOMPARE(QFile(path).size(), oldFile ? old.size() : 0);
    }

    // The print dialog's page range, printed to a file: only those pages, the first of them on the file's first page.
    void printedRangeToFile()
    {
        ListingTable table;
        fillFiles(table, 300);
        const QString path = m_dir.filePath(QStringLiteral("range.pdf"));
        const auto printer = PrinterService::pdfPrinter(path, PrinterService::fallbackPageLayout());
        printer->setPageRanges(QPageRanges::fromString(QStringLiteral("2-3")));
        const ReportRenderOutcome outcome = renderReport(
            *printer, table, m_options, [] { return QStringLiteral("/sel"); }, QDateTime::currentDateTime());
        QVERIFY(outcome.finished && outcome.pages > 3);
        QCOMPARE(pdfPages(path), 2);
        const QString first = runTool("pdftotext", { "-l", "1", path, "-" });
        QVERIFY2(
            first.contains(QLatin1String("Page 2")) && !first.contains(QLatin1String("Page 1\n")), qPrintable(first));
    }

    void comparisonRun_data()
    {
        QTest::addColumn<QByteArray>("newer"); // "-": a listing file that does not exist; "TREE": a folder walked now
        QTest::addColumn<QString>("excludedType");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("pdf"); // the report's file in the test's folder; empty: records on standard output
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<int>("pages"); // of the report; -1: no report
        const QByteArray changed = "\"changed\",\"/t/a.txt\",\"1\",\"5\",\"d\",\"d\"\r\n";
        const QByteArray aChanged = "\"/t\"\r\n\"a.txt\",\"5\",\"d\"\r\n";
        const QByteArray none;
        QByteArray sixtyAdded = "\"/t\"\r\n";
        for (int i = 0; i < 60; ++i)
            sixtyAdded += "\"f" + QByteArray::number(i) + "\",\"1\",\"d\"\r\n";
        QTest::newRow("same") << olderListing << "" << 0 << "" << none << "" << -1;
        QTest::newRow("differences") << aChanged << "" << 1 << ""
                                     << changed + "\"removed\",\"/t/b.doc\",\"2\",\"\",\"d\",\"\"\r\n"
                                     << "" << -1;
        QTest::newRow("narrowed by the filter") << aChanged << "doc" << 1 << "" << changed << "" << -1;
        QTest::newRow("missing") << QByteArray("-") << "" << 2 << "" << none << "cannot read the listing" << -1;
        QTest::newRow("damaged") << QByteArray("\"/t\"\r\n\"a\"x") << "" << 2 << "" << none
                                 << "malformed at line 2: a field is malformed" << -1;
        QTest::newRow("folder, report") << QByteArray("TREE") << "" << 1 << "c.pdf" << none << "" << 1;
        QTest::newRow("report not written")
            << olderListing << "" << 2 << "gone/c.pdf" << none << "cannot write the comparison to" << -1;
        // The counts below a full page go on the next.
        QTest::newRow("two pages") << sixtyAdded << "" << 1 << "c.pdf" << none << "" << 2;
    }

    void comparisonRun()
    {
        QFETCH(QByteArray, newer);
        QFETCH(QString, excludedType);
        QFETCH(int, status);
        QFETCH(QString, pdf);
        QFETCH(QByteArray, out);
        QFETCH(QString, err);
        QFETCH(int, pages);
        QTemporaryDir dir;
        ComparisonRequest request;
        request.oldListing = dir.filePath("old.txt");
        QVERIFY(writeFile(request.oldListing, olderListing));
        if (newer == "TREE")
            request.newFolder = dir.path();
        else if (newer == "-" || writeFile(dir.filePath("new.txt"), newer))
            request.newListing = dir.filePath("new.txt");
        request.pdfPath = pdf.isEmpty() ? QString() : dir.filePath(pdf);
        ReportOptions filter;
        if (!excludedType.isEmpty()) {
            filter.chooseMode(FilterMode::ExcludeTypes);
            filter.setTypeChecked(0, true);
            filter.setTypeText(0, excludedType);
            filter.activatefilter();
        }
        QBuffer outBuffer, errBuffer;
        outBuffer.open(QIODevice::WriteOnly);
        errBuffer.open(QIODevice::WriteOnly);
        PosixFileSystemService fileSystem;
        QCOMPARE(ComparisonRun(fileSystem, nullptr, outBuffer, errBuffer).run(request, filter), status);
        QCOMPARE(outBuffer.data(), out);
        const QString errors = QString::fromLocal8Bit(errBuffer.data());
        QVERIFY2(err.isEmpty() ? errors.isEmpty() : errors.contains(err), qPrintable(errors));
        QCOMPARE(pdfPages(request.pdfPath), pages);
        if (pages == 2)
            QVERIFY(
                runTool("pdftotext", { "-f", "2", request.pdfPath, "-" }).contains("60 added, 2 removed, 0 changed"));
    }

    // A folder the newer walk cannot read holds no removed files: the run names it and says it is partial.
    void partialComparison()
    {
        QTemporaryDir tree;
        QVERIFY(QDir(tree.path()).mkdir("s") && writeFile(tree.filePath("s/x"), "1"));
        ComparisonRequest request;
        request.oldListing = m_dir.filePath("partial.txt");
        request.newFolder = tree.path();
        QVERIFY(writeFile(request.oldListing,
            ('"' + tree.path() + "\"\r\n\"" + tree.filePath("s") + "\",\" \",\" \"\r\n\"x\",\"1\",\"d\"\r\n")
                .toUtf8()));
        FaultyFileSystemService fileSystem;
        fileSystem.failures.insert(tree.filePath("s").toUtf8(), "Permission denied");
        QBuffer out, err;
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        QCOMPARE(ComparisonRun(fileSystem, nullptr, out, err).run(request, {}), ComparisonRun::partial);
        QCOMPARE(out.data(), QByteArray());
        QCOMPARE(QString::fromUtf8(err.data()),
            "vellumark: cannot read the folder " + tree.filePath("s")
                + ": Permission denied\nvellumark: the comparison is partial: 1 entry was not looked at on the other "
                  "side\n");
    }

private:
    PdfWriteOutcome write(const QString& path, const ListingTable& table)
    {
        return writeReportPdf(
            path, PrinterService::fallbackPageLayout(), table, m_options, [] { return QStringLiteral("/sel"); },
            QDateTime(QDate(2026, 2, 1), QTime(10, 0)));
    }

    ReportOptions m_options;
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestPdfReport)
#include "tst_pdfreport.moc"
