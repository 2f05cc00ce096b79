#include "comparisonrun.h"
#include "filesystemservice.h"
#include "recordingsurface.h"
#include "reportoptions.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QByteArray oldListing = "\"/t\"\r\n\"a.txt\",\"1\",\"d\"\r\n\"b.doc\",\"2\",\"d\"\r\n";
}

class TestComparisonRun : public QObject {
    Q_OBJECT

private slots:
    void recordsAndStatus_data();
    void recordsAndStatus();
    void folderWalkedNow();
    void reportPages();

private:
    QString write(const QString& name, const QByteArray& bytes);
    QTemporaryDir m_dir;
};

QString TestComparisonRun::write(const QString& name, const QByteArray& bytes)
{
    QFile file(m_dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(name));
    return file.fileName();
}

void TestComparisonRun::recordsAndStatus_data()
{
    QTest::addColumn<QByteArray>("newer"); // "-" for a listing file that does not exist
    QTest::addColumn<QString>("excludedType");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("same") << oldListing << "" << 0 << QByteArray() << "";
    QTest::newRow("differences") << QByteArray("\"/u\"\r\n\"a.txt\",\"5\",\"d\"\r\n\"c, \"\"x\"\"\",\"3\",\"e\"\r\n")
                                 << "" << 1
                                 << QByteArray("\"changed\",\"/u/a.txt\",\"1\",\"5\",\"d\",\"d\"\r\n"
                                               "\"removed\",\"/t/b.doc\",\"2\",\"\",\"d\",\"\"\r\n"
                                               "\"added\",\"/u/c, \"\"x\"\"\",\"\",\"3\",\"\",\"e\"\r\n")
                                 << "";
    QTest::newRow("narrowed by the filter") << QByteArray("\"/t\"\r\n\"a.txt\",\"5\",\"d\"\r\n") << "doc" << 1
                                            << QByteArray("\"changed\",\"/t/a.txt\",\"1\",\"5\",\"d\",\"d\"\r\n") << "";
    QTest::newRow("missing") << QByteArray("-") << "" << 2 << QByteArray() << "cannot read the listing";
    QTest::newRow("damaged") << QByteArray("\"/t\"\r\n\"a\"x") << "" << 2 << QByteArray() << "is damaged at line 2";
}

void TestComparisonRun::recordsAndStatus()
{
    QFETCH(QByteArray, newer);
    QFETCH(QString, excludedType);
    QFETCH(int, status);
    QFETCH(QByteArray, out);
    QFETCH(QString, err);
    ComparisonRequest request;
    request.oldListing = write("old.txt", oldListing);
    request.newListing = newer == "-" ? m_dir.filePath("none.txt") : write("new.txt", newer);
    ReportOptions filter;
    if (!excludedType.isEmpty()) {
        filter.chooseMode(FilterMode::ExcludeTypes);
        filter.setTypeChecked(0, true);
        filter.setTypeText(0, excludedType);
        filter.activatefilter();
    }
    QByteArray outBytes, errBytes;
    QBuffer outBuffer(&outBytes), errBuffer(&errBytes);
    outBuffer.open(QIODevice::WriteOnly);
    errBuffer.open(QIODevice::WriteOnly);
    PosixFileSystemService fileSystem;
    QCOMPARE(ComparisonRun(fileSystem, nullptr, outBuffer, errBuffer).run(request, filter), status);
    QCOMPARE(outBytes, out);
    QVERIFY2(err.isEmpty() ? errBytes.isEmpty() : QString(errBytes).contains(err), errBytes.constData());
}

void TestComparisonRun::folderWalkedNow()
{
    QTemporaryDir tree;
    QVERIFY(QDir(tree.path()).mkdir("s"));
    QFile file(tree.filePath("s/n.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("abc") == 3);
    file.close();
    ComparisonRequest request;
    request.oldListing = write("old.txt", "\"/elsewhere\"\r\n\"/elsewhere/s\",\" \",\" \"\r\n");
    request.newFolder = tree.path();
    request.pdfPath = m_dir.filePath("comparison.pdf");
    QByteArray outBytes, errBytes;
    QBuffer outBuffer(&outBytes), errBuffer(&errBytes);
    outBuffer.open(QIODevice::WriteOnly);
    errBuffer.open(QIODevice::WriteOnly);
    PosixFileSystemService fileSystem;
    const ReportOptions filter;
    QCOMPARE(ComparisonRun(fileSystem, nullptr, outBuffer, errBuffer).run(request, filter), 1);
    QVERIFY(outBytes.isEmpty());
    QVERIFY(QFile(request.pdfPath).size() > 0);
}

void TestComparisonRun::reportPages()
{
    ListingComparison comparison;
    for (int i = 0; i < 60; ++i)
        comparison.differences.push_back({ Change::Added, QString("/t/f%1").arg(i), false, {}, "1", {}, "d" });
    comparison.counts.added = 60;
    const ComparisonReportContent content { { ComparisonSource::Kind::ListingFile, "/old.txt", "/t", {} },
        { ComparisonSource::Kind::Folder, "/t", "/t", {} }, "run", comparison };
    RecordingSurface surface;
    ComparisonReport report(surface, ComparisonGeometry::printer(), content);
    QVERIFY(report.draw());
    QCOMPARE(surface.pageCount(), 2);
    QCOMPARE(surface.find("Page 1").page, 1);
    QCOMPARE(surface.find("Page 2").page, 2);
    QCOMPARE(surface.find("Older Listing: file /old.txt of , listing /t").page, 1);
    QCOMPARE(surface.find("60 added, 0 removed, 0 changed").page, 2);
    QCOMPARE(surface.find("New Date").x, 9000.0);
    QCOMPARE(surface.operations.last().kind, SurfaceOperation::EndDoc);
}

QTEST_MAIN(TestComparisonRun)
#include "tst_comparisonrun.moc"
