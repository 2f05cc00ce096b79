#include "bytename.h"
#include "bytetemporarydir.h"
#include "filesystemservice.h"
#include "folderwalk.h"
#include "listingfilereader.h"
#include "listingfilewriter.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// A stream that gives one byte at a time, so that every field and line end is split across reads.
ListingFileReader::ByteSource byteByByte(const QByteArray& bytes)
{
    return [bytes, at = qsizetype(0)](char* buffer, qsizetype) mutable -> qsizetype {
        if (at == bytes.size())
            return 0;
        *buffer = bytes[at++];
        return 1;
    };
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
    void streamStopsAtTheLimit();
    void hostileNames_data();
    void hostileNames();
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
    QCOMPARE(ListingFileReader::parse(byteByByte(bytes)), content);
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

// Records are pulled from a stream only as far as the one past the limit.
void TestListingFileFormat::streamStopsAtTheLimit()
{
    const QByteArray record = "\"name.txt\",\"1\",\"d\"\r\n";
    const QByteArray header = "\"p\"\r\n";
    qint64 pulled = 0;
    // An endless stream of records.
    const ListingFileReader::ByteSource source = [&](char* buffer, qsizetype capacity) {
        for (qsizetype i = 0; i < capacity; ++i, ++pulled)
            buffer[i] = pulled < header.size() ? header[pulled] : record[(pulled - header.size()) % record.size()];
        return capacity;
    };
    const ListingFileContent content = ListingFileReader::parse(source);
    QCOMPARE(int(content.records.size()), ListingTable::listLimit);
    QVERIFY(content.limitReached);
    QVERIFY(pulled < (ListingTable::listLimit + 1) * record.size() + 128 * 1024);
}

void TestListingFileFormat::hostileNames_data()
{
    QTest::addColumn<QByteArrayList>("made"); // below the walked folder; a trailing slash makes a folder
    QTest::newRow("Latin-1 byte") << QByteArrayList { "caf\xe9.txt" };
    QTest::newRow("byte FF") << QByteArrayList { "bad\xff.txt" };
    QTest::newRow("folder with a Latin-1 byte") << QByteArrayList { "dir\xe9/", "dir\xe9/in\xff" };
    QTest::newRow("leading byte-order mark") << QByteArrayList { "\xef\xbb\xbf"
                                                                 "bom.txt",
        "\xef\xbb\xbf"
        "d/" };
    QTest::newRow("names that would collapse into one")
        << QByteArrayList { "x\xe9", "x\xff", "x\xef\xbf\xbd", "x\xed\xb3\xa9" };
    QTest::newRow("truncated and overlong sequences") << QByteArrayList { "a\xe2\x82", "\xc0\xaf", "\xf4\x90\x80\x80" };
}

// Walked, saved and opened again, every name keeps its bytes, and a saved folder path names the folder.
void TestListingFileFormat::hostileNames()
{
    QFETCH(QByteArrayList, made);
    ByteTemporaryDir dir;
    const QByteArray root = dir.nativePath() + "/walked";
    QCOMPARE(::mkdir(root.constData(), 0755), 0);
    QByteArrayList expected;
    for (const QByteArray& name : made) {
        const QByteArray path = root + '/' + name;
        if (name.endsWith('/')) {
            QCOMPARE(::mkdir(path.constData(), 0755), 0);
            expected << path.chopped(1);
        } else {
            QCOMPARE(::close(::creat(path.constData(), 0644)), 0);
            expected << name.mid(name.lastIndexOf('/') + 1);
        }
    }
    ListingTable table;
    PosixFileSystemService fileSystem;
    FolderWalk walk(fileSystem, table, {});
    QVERIFY(walk.ShowFileList(fromNativeBytes(root)).unreadable.empty());
    QByteArrayList walked;
    ListingFileWriter writer(fromNativeBytes(root));
    for (const ListingEntry& entry : table.entries()) {
        walked << toNativeBytes(entry.name);
        writer.addRecord(entry);
    }
    std::sort(expected.begin(), expected.end());
    std::sort(walked.begin(), walked.end());
    QCOMPARE(walked, expected);

    const QString saved = dir.filePath("saved.txt");
    QCOMPARE(saveListingFile(saved, writer.bytes()).status, SaveOutcome::Status::Saved);
    const QByteArray bytes = readAll(saved);
    for (const QByteArray& name : expected)
        QVERIFY(bytes.contains('"' + name + '"'));
    const FileReadResult read = readListingFile(saved);
    QCOMPARE(toNativeBytes(read.content.selectedPath), root);
    QCOMPARE(read.content.records, table.entries());
    for (const ListingEntry& record : read.content.records)
        if (record.size == QLatin1String(" "))
            QCOMPARE(::access(toNativeBytes(record.name).constData(), F_OK), 0);
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
