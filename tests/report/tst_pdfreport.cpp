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

// The report as a PDF file through Qt's engine: names in every script come back as text, and a write that fails
// leaves nothing behind.
class TestPdfReport : public QObject {
    Q_OBJECT

private slots:
    void namesReadBack_data();
    void namesReadBack();
    void failedWrite_data();
    void failedWrite();
    void printedRangeToFile();

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

namespace {
// Readers add direction marks around right-to-left words and may put the extension on either side.
QString comparable(const QString& text)
{
    QString folded = text.normalized(QString::NormalizationForm_KC);
    folded.remove(QRegularExpression(QStringLiteral("[\\s\\p{Cf}]")));
    return folded;
}
}

void TestPdfReport::namesReadBack_data()
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

void TestPdfReport::namesReadBack()
{
    QFETCH(QString, name);
    QFETCH(bool, readsBack);
    ListingTable table;
    fill(table, { folderRow("/sel/" + name, " "), fileRow(name), fileRow("after.txt") });
    const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".pdf");
    const PdfWriteOutcome outcome = write(path, table);
    QVERIFY2(outcome.ok, qPrintable(outcome.reason));
    QCOMPARE(pdfPages(path), 1);
    const QString text = comparable(runTool(QStringLiteral("pdftotext"), { path, QStringLiteral("-") }));
    QVERIFY(text.contains(QLatin1String("after.txt")));
    if (readsBack)
        QVERIFY2(text.contains(comparable(name.left(name.lastIndexOf(u'.')))), qPrintable(text));
}

void TestPdfReport::failedWrite_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("oldFile");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no such folder") << "gone/r.pdf" << false << "No such file or directory";
    QTest::newRow("disk full, new file") << "new.pdf" << false << "File too large";
    QTest::newRow("disk full, old file kept") << "old.pdf" << true << "File too large";
}

void TestPdfReport::failedWrite()
{
    QFETCH(QString, fileName);
    QFETCH(bool, oldFile);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(fileName);
    const QByteArray old = "an older report";
    if (oldFile) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(old);
    }
    ListingTable table;
    for (int i = 0; i < 3000; ++i)
        table.updatetable(QStringLiteral("file %1.txt").arg(i), "1", "d");

    // A file size limit cuts a write short part way through, as a full disk would.
    rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 20000;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const PdfWriteOutcome outcome = write(path, table);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY(!outcome.ok);
    QCOMPARE(outcome.reason, reason);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), oldFile ? QStringList { fileName } : QStringList {});
    QFile file(path);
    QCOMPARE(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(), oldFile ? old : QByteArray());
}

// The print dialog's page range, printed to a file: only those pages, the first of them on the file's first page.
void TestPdfReport::printedRangeToFile()
{
    ListingTable table;
    for (int i = 0; i < 300; ++i)
        table.updatetable(QStringLiteral("file %1.txt").arg(i), "1", "d");
    const QString path = m_dir.filePath(QStringLiteral("range.pdf"));
    const auto printer = PrinterService::pdfPrinter(path, PrinterService::fallbackPageLayout());
    printer->setPageRanges(QPageRanges::fromString(QStringLiteral("2-3")));
    const ReportRenderOutcome outcome = renderReport(
        *printer, table, m_options, [] { return QStringLiteral("/sel"); }, QDateTime::currentDateTime());
    QVERIFY(outcome.finished && outcome.pages > 3);
    QCOMPARE(pdfPages(path), 2);
    const QString first = runTool(
        QStringLiteral("pdftotext"), { QStringLiteral("-l"), QStringLiteral("1"), path, QStringLiteral("-") });
    QVERIFY2(first.contains(QLatin1String("Page 2")) && !first.contains(QLatin1String("Page 1\n")), qPrintable(first));
}

QTEST_MAIN(TestPdfReport)
#include "tst_pdfreport.moc"
