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
    void parse_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("path");
        QTest::addColumn<Records>("records");
        QTest::addColumn<ReadFault::Kind>("fault");
        QTest::addColumn<int>("faultLine");
        QTest::addColumn<bool>("limitReached");
        using K = ReadFault::Kind;
        const ListingEntry a { "a.txt", "12", "1/2/2024" };
        const QByteArray withA = "\"p\"\r\n\"a.txt\",\"12\",\"1/2/2024\"\r\n";
        QTest::newRow("file and folder rows")
            << withA + "\"/top/x, y\",\" \",\"1\"\r\n"
            << "p" << Records { a, { "/top/x, y", " ", "1" } } << K::None << 0 << false;
        QTest::newRow("doubled quotes and a line break inside quotes")
            << QByteArray("\"p\"\r\n\"say \"\"hi\"\"\",\"1\",\"\"\"\"\r\n\"two\r\nlines\nhere\",\"2\",\"d\"\r\n") << "p"
            << Records { { "say \"hi\"", "1", "\"" }, { "two\r\nlines\nhere", "2", "d" } } << K::None << 0 << false;
        QTest::newRow("non-ASCII in the system encoding")
            << QByteArray("\"/t\xc3\xa9\"\r\n\"Gr\xc3\xb6\xc3\x9f"
                          "e.txt\",\"3\",\"d\"\r\n")
            << "/té" << Records { { "Größe.txt", "3", "d" } } << K::None << 0 << false;
        QTest::newRow("line ends separate fields like commas")
            << QByteArray("\"p\"\n\"a.txt\"\n\"12\"\r\"1/2/2024\"") << "p" << Records { a } << K::None << 0 << false;
        QTest::newRow("empty record takes no place, blank lines hold no field")
            << "\r\n" + withA + "\r\n\"\",\"\",\"\"\r\n,,\r\n\r\n"
            << "p" << Records { a } << K::None << 0 << false;
        QTest::newRow("unquoted fields and a trailing comma")
            << QByteArray("p\r\na.txt,12,1/2/2024\r\nb,,\r\nc,1,\r\n") << "p"
            << Records { a, { "b", "", "" }, { "c", "1", "" } } << K::None << 0 << false;
        QTest::newRow("byte-order mark skipped")
            << "\xEF\xBB\xBF" + withA << "p" << Records { a } << K::None << 0 << false;
        QTest::newRow("empty file") << QByteArray() << "" << Records {} << K::NoListing << 1 << false;
        QTest::newRow("ends after one field") << withA + "\"b\"\r\n"
                                              << "p" << Records { a } << K::EndsInRecord << 3 << false;
        QTest::newRow("ends inside a quoted field") << withA + "\"two\r\nlines\",\"1\",\"d"
                                                    << "p" << Records { a } << K::EndsInRecord << 4 << false;
        QTest::newRow("text after a closing quote") << withA + "\"multi\nline\" x,\"1\",\"d\"\r\n"
                                                    << "p" << Records { a } << K::MalformedField << 4 << false;
        QTest::newRow("quote inside an unquoted field") << withA + "ab\"c,\"1\",\"d\"\r\n"
                                                        << "p" << Records { a } << K::MalformedField << 3 << false;
        QTest::newRow("malformed first field")
            << QByteArray("\"p\"q\r\n") << "" << Records {} << K::MalformedField << 1 << false;
        for (const int count : { 32000, 32001 }) {
            QByteArray bytes = "\"p\"\r\n";
            Records records;
            for (int i = 1; i <= count; ++i) {
                bytes += "\"f" + QByteArray::number(i) + ".txt\",\"1\",\"d\"\r\n";
                if (i <= ListingTable::listLimit)
                    records.push_back({ QString("f%1.txt").arg(i), "1", "d" });
            }
            QTest::addRow("%d records", count) << bytes << "p" << records << K::None << 0 << (count > 32000);
            if (count == 32000)
                QTest::newRow("32000 and empty records") << bytes + "\"\",\"\",\"\"\r\n,,\r\n"
                                                         << "p" << records << K::None << 0 << false;
        }
    }
    void parse()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, path);
        QFETCH(Records, records);
        QFETCH(ReadFault::Kind, fault);
        QFETCH(int, faultLine);
        QFETCH(bool, limitReached);
        const ListingFileContent content = ListingFileReader::parse(bytes);
        QCOMPARE(ListingFileReader::parse(byteByByte(bytes)), content);
        QCOMPARE(content.selectedPath, path);
        QCOMPARE(content.hasSelectedPath, !path.isEmpty());
        QCOMPARE(content.records, records);
        QCOMPARE(content.fault.kind, fault);
        QCOMPARE(content.fault.line, faultLine);
        QCOMPARE(content.limitReached, limitReached);
    }

    // Another holder's lock is covered by the command tests; a running program needs a real process.
    void runningProgramIsInUse()
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

    void readError()
    {
        // The kernel refuses to read this one at offset 0, a read error a test can rely on.
        const FileReadResult unreadable = readListingFile("/proc/self/mem");
        QVERIFY(unreadable.opened && !unreadable.content.fault.reason.isEmpty());
        QCOMPARE(unreadable.content.fault.kind, ReadFault::Kind::ReadError);
        QCOMPARE(unreadable.content.fault.line, 1);
    }
};

QTEST_GUILESS_MAIN(TestListingFileFormat)
#include "tst_listingfileformat.moc"
