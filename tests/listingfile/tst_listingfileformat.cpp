#include "listingfilereader.h"
#include "listingfilewriter.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using Records = std::vector<ListingEntry>;
Q_DECLARE_METATYPE(ReadFault::Kind)

namespace {

QByteArray manyRecords(int count)
{
    QByteArray bytes = "\"/top\"\r\n";
    for (int i = 1; i <= count; ++i)
        bytes += "\"f" + QByteArray::number(i) + ".txt\",\"1\",\"d\"\r\n";
    return bytes;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestListingFileFormat : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void recordLimit_data();
    void recordLimit();
    void runningProgramIsInUse();
    void readError();
};

void TestListingFileFormat::parse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("path");
    QTest::addColumn<Records>("records");
    QTest::addColumn<ReadFault::Kind>("fault");
    QTest::addColumn<int>("faultLine");
    using K = ReadFault::Kind;
    const ListingEntry a { "a.txt", "12", "1/2/2024" };
    const ListingEntry folder { "/top/x, y", " ", "1" };

    QTest::newRow("first line only") << QByteArray("\"/top\"\r\n") << "/top" << Records {} << K::None << 0;
    QTest::newRow("file and folder rows")
        << QByteArray("\"/top\"\r\n\"a.txt\",\"12\",\"1/2/2024\"\r\n\"/top/x, y\",\" \",\"1\"\r\n") << "/top"
        << Records { a, folder } << K::None << 0;
    QTest::newRow("doubled quotes and a line break inside quotes")
        << QByteArray("\"p\"\r\n\"say \"\"hi\"\"\",\"1\",\"\"\"\"\r\n\"two\r\nlines\nhere\",\"2\",\"d\"\r\n") << "p"
        << Records { { "say \"hi\"", "1", "\"" }, { "two\r\nlines\nhere", "2", "d" } } << K::None << 0;
    QTest::newRow("non-ASCII in the system encoding") << QByteArray("\"/t\xc3\xa9\"\r\n\"Gr\xc3\xb6\xc3\x9f"
                                                                    "e.txt\",\"3\",\"d\"\r\n")
                                                      << "/té" << Records { { "Größe.txt", "3", "d" } } << K::None << 0;
    QTest::newRow("line ends separate fields like commas")
        << QByteArray("\"p\"\n\"a.txt\"\n\"12\"\r\"1/2/2024\"") << "p" << Records { a } << K::None << 0;
    QTest::newRow("empty record takes no place, blank lines hold no field")
        << QByteArray("\r\n\"p\"\r\n\r\n\"\",\"\",\"\"\r\n,,\r\n\"a.txt\",\"12\",\"1/2/2024\"\r\n\r\n") << "p"
        << Records { a } << K::None << 0;
    QTest::newRow("unquoted fields and a trailing comma")
        << QByteArray("p\r\na.txt,12,1/2/2024\r\nb,,\r\nc,1,\r\n") << "p"
        << Records { a, { "b", "", "" }, { "c", "1", "" } } << K::None << 0;
    QTest::newRow("byte-order mark skipped")
        << QByteArray("\xEF\xBB\xBF\"p\"\r\n\"a.txt\",\"12\",\"1/2/2024\"\r\n") << "p" << Records { a } << K::None << 0;
    QTest::newRow("empty file") << QByteArray() << "" << Records {} << K::NoListing << 1;
    QTest::newRow("only line ends") << QByteArray("\r\n\n\r") << "" << Records {} << K::NoListing << 1;
    QTest::newRow("ends after one field") << QByteArray("\"p\"\r\n\"a.txt\",\"12\",\"1/2/2024\"\r\n\"b\"\r\n") << "p"
                                          << Records { a } << K::EndsInRecord << 3;
    QTest::newRow("ends after two fields") << QByteArray("\"p\"\r\n\"a.txt\",\"12\",\"1/2/2024\"\r\n\"b\",\"1\"") << "p"
                                           << Records { a } << K::EndsInRecord << 3;
    QTest::newRow("ends inside a quoted field")
        << QByteArray("\"p\"\r\n\"a.txt\",\"12\",\"1/2/2024\"\r\n\"two\r\nlines\",\"1\",\"d") << "p" << Records { a }
        << K::EndsInRecord << 4;
    QTest::newRow("text after a closing quote")
        << QByteArray("\"p\"\r\n\"a.txt\",\"12\",\"1/2/2024\"\r\n\"multi\nline\" x,\"1\",\"d\"\r\n") << "p"
        << Records { a } << K::MalformedField << 4;
    QTest::newRow("quote inside an unquoted field")
        << QByteArray("\"p\"\r\n\"a.txt\",\"12\",\"1/2/2024\"\r\nab\"c,\"1\",\"d\"\r\n") << "p" << Records { a }
        << K::MalformedField << 3;
    QTest::newRow("malformed first field") << QByteArray("\"p\"q\r\n") << "" << Records {} << K::MalformedField << 1;
}

void TestListingFileFormat::parse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, path);
    QFETCH(Records, records);
    QFETCH(ReadFault::Kind, fault);
    QFETCH(int, faultLine);

    const ListingFileContent content = ListingFileReader::parse(bytes);
    QCOMPARE(content.selectedPath, path);
    QCOMPARE(content.hasSelectedPath, fault != ReadFault::Kind::NoListing && !path.isEmpty());
    QCOMPARE(content.records, records);
    QCOMPARE(content.fault.kind, fault);
    QCOMPARE(content.fault.line, faultLine);
    QVERIFY(!content.limitReached);
}

void TestListingFileFormat::recordLimit_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("placed");
    QTest::addColumn<bool>("limitReached");
    QTest::newRow("31999") << manyRecords(31999) << 31999 << false;
    QTest::newRow("32000") << manyRecords(32000) << 32000 << false;
    QTest::newRow("32000 and empty records") << manyRecords(32000) + "\"\",\"\",\"\"\r\n,,\r\n" << 32000 << false;
    QTest::newRow("32001") << manyRecords(32001) << 32000 << true;
}

void TestListingFileFormat::recordLimit()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, placed);
    QFETCH(bool, limitReached);
    const ListingFileContent content = ListingFileReader::parse(bytes);
    QCOMPARE(int(content.records.size()), placed);
    QCOMPARE(content.limitReached, limitReached);
    QCOMPARE(content.records.back().name, QString("f%1.txt").arg(placed));
    QCOMPARE(content.fault.kind, ReadFault::Kind::None);
}

// Another holder's lock is covered by the command tests; a running program needs a real process.
void TestListingFileFormat::runningProgramIsInUse()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("busy");
    QVERIFY(QFile::copy(QStandardPaths::findExecutable("sleep"), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcess program;
    program.start(path, { "30" });
    QVERIFY(program.waitForStarted());
    const QByteArray before = readAll(path);
    const SaveOutcome outcome = saveListingFile(path, "\"p\"\r\n");
    program.kill();
    program.waitForFinished();
    QCOMPARE(outcome.status, SaveOutcome::Status::InUse);
    QCOMPARE(readAll(path), before);
}

void TestListingFileFormat::readError()
{
    // The kernel refuses to read this one at offset 0, a read error a test can rely on.
    const FileReadResult unreadable = readListingFile("/proc/self/mem");
    QVERIFY(unreadable.opened);
    QCOMPARE(unreadable.content.fault.kind, ReadFault::Kind::ReadError);
    QCOMPARE(unreadable.content.fault.line, 1);
    QVERIFY(!unreadable.content.fault.reason.isEmpty());
}

QTEST_GUILESS_MAIN(TestListingFileFormat)
#include "tst_listingfileformat.moc"
