#include "pdfsurface.h"
#include "printerservice.h"
#include "printersurface.h"
#include "reportfixture.h"
#include "truetypesubset.h"

#include <QFont>
#include <QPainterPath>
#include <QPrinter>
#include <QRawFont>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

class TestPdfSurface : public QObject {
    Q_OBJECT

private slots:
    void samePagesAsThePrinter();
    void subsetKeepsTheUsedOutlines();
    void failedDocument_data();
    void failedDocument();

private:
    QTemporaryDir m_dir;
};

namespace {
// Readers rebuild a broken cross-reference table without a word, so each entry is checked by hand.
void verifyCrossReference(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    const qsizetype start = pdf.mid(pdf.lastIndexOf("startxref") + 9).trimmed().split('\n').first().toLongLong();
    QVERIFY(pdf.mid(start).startsWith("xref\n0 "));
    const QList<QByteArray> lines = pdf.mid(start).split('\n');
    const int count = lines[1].split(' ').last().toInt();
    QVERIFY(count > 4);
    for (int object = 1; object < count; ++object) {
        const QByteArray entry = lines[2 + object];
        QCOMPARE(entry.size(), 19); // twenty bytes with the line end
        QVERIFY2(pdf.mid(entry.left(10).toLongLong()).startsWith(QByteArray::number(object) + " 0 obj\n"),
            entry.constData());
    }
}

// The same report drawn on a surface for the printer, returning the pages the surface started.
template <typename Surface> int render(QPrinter& printer, const ListingTable& table, const ReportOptions& options)
{
    Surface surface(printer);
    ReportLayout layout(
        surface, ReportGeometry::printer(), options, [] { return QStringLiteral("/sel"); },
        QStringLiteral("1/2/2026 10:00:00"));
    static_cast<void>(drawReport(layout, table, {}));
    return surface.failed() ? -1 : surface.pagesStarted();
}
}

void TestPdfSurface::samePagesAsThePrinter()
{
    ListingTable table;
    fill(table,
        { folderRow("/sel/crème brûlée", "1"), fileRow("a,b \"c\" (d) \\e.txt"), fileRow("Größe über ñandú.txt"),
            fileRow("e\u0301 combining.txt"), fileRow("tab\there.txt"), fileRow(QString(120, u'w') + ".txt"),
            folderRow("/sel/crème brûlée/sub", "2") });
    for (int i = 0; i < 150; ++i)
        table.updatetable(QStringLiteral("file %1.txt").arg(i), QString::number(i * 1000), "1/2/2026 10:00:00");
    ReportOptions options;

    const QString byQt = m_dir.filePath("qt.pdf");
    const QString own = m_dir.filePath("own.pdf");
    auto qtPrinter = PrinterService::pdfPrinter(byQt, PrinterService::fallbackPageLayout());
    auto ownPrinter = PrinterService::pdfPrinter(own, PrinterService::fallbackPageLayout());
    QVERIFY(PdfSurface::canWrite(*ownPrinter));
    const int pages = render<PrinterSurface>(*qtPrinter, table, options);
    QVERIFY(pages > 1);
    QCOMPARE(render<PdfSurface>(*ownPrinter, table, options), pages);
    QCOMPARE(pdfPages(own), pages);

    const QList<PdfWord> expected = pdfWords(byQt);
    const QList<PdfWord> words = pdfWords(own);
    QVERIFY(expected.size() > 500);
    verifyCrossReference(own);
    QCOMPARE(words.size(), expected.size());
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString where = QStringLiteral("word %1 (%2)").arg(i).arg(expected[i].text);
        QCOMPARE(words[i].text, expected[i].text);
        QCOMPARE(words[i].page, expected[i].page);
        QVERIFY2((words[i].topLeft - expected[i].topLeft).manhattanLength() < 0.2, qPrintable(where));
    }
}

void TestPdfSurface::subsetKeepsTheUsedOutlines()
{
    QFont font;
    font.setPointSize(10);
    const QRawFont face = QRawFont::fromFont(font);
    QVERIFY(canEmbedTrueType(face));
    // é is built from e and an accent in many fonts; Z is left out.
    const QList<quint32> used = face.glyphIndexesForString(QStringLiteral("Aé"));
    const quint32 left = face.glyphIndexesForString(QStringLiteral("Z")).first();
    std::vector<bool> marks(65536);
    for (const quint32 glyph : used)
        marks[glyph] = true;

    const QByteArray subset = trueTypeSubset(face, marks);
    QVERIFY(subset.size() < face.fontTable("glyf").size() / 4);
    const QRawFont cut(subset, face.pixelSize());
    QVERIFY(cut.isValid());
    for (const quint32 glyph : used) {
        QVERIFY(!face.pathForGlyph(glyph).isEmpty());
        QCOMPARE(cut.pathForGlyph(glyph), face.pathForGlyph(glyph));
    }
    QVERIFY(cut.pathForGlyph(left).isEmpty());
}

void TestPdfSurface::failedDocument_data()
{
    QTest::addColumn<bool>("ownWriter");
    QTest::addColumn<bool>("sizeLimit");
    QTest::newRow("Qt's engine, no such folder") << false << false;
    QTest::newRow("own writer, no such folder") << true << false;
    QTest::newRow("own writer, file size limit") << true << true;
}

void TestPdfSurface::failedDocument()
{
    QFETCH(bool, ownWriter);
    QFETCH(bool, sizeLimit);
    const QString path = m_dir.filePath(sizeLimit ? "old.pdf" : "no/such/folder/r.pdf");
    const QByteArray old = "an older report";
    if (sizeLimit) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(old);
    }
    auto printer = PrinterService::pdfPrinter(path, PrinterService::fallbackPageLayout());
    ListingTable table;
    for (int i = 0; i < 3000; ++i)
        table.updatetable(QStringLiteral("file %1.txt").arg(i), "1", "d");

    // A short write part way through, as a full disk would give.
    rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (sizeLimit) {
        rlimit small = saved;
        small.rlim_cur = 20000;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    }
    const int pages = ownWriter ? render<PdfSurface>(*printer, table, {}) : render<PrinterSurface>(*printer, table, {});
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QCOMPARE(pages, -1);
    QFile file(path);
    QCOMPARE(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(), sizeLimit ? old : QByteArray());
}

QTEST_MAIN(TestPdfSurface)
#include "tst_pdfsurface.moc"
