#include "printerservice.h"
#include "reportfixture.h"
#include "reportrender.h"

#include <QDir>
#include <QPageRanges>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

namespace {
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
