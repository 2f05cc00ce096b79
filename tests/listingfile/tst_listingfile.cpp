#include "listingcomparison.h"
#include "listingfilereader.h"
#include "listingfilewriter.h"

#include <QTest>

using Records = std::vector<ListingEntry>;

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

ListingEntry file(const QString& name, const QString& size = "1", const QString& date = "d")
{
    return { name, size, date };
}

ListingEntry folder(const QString& path, const QString& level = " ") { return { path, " ", level }; }

} // namespace

// Reading and writing listing files, and comparing two listings.
class TestListingFile : public QObject {
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<ListingFileContent>("expected");
        using K = ReadFault::Kind;
        const ListingEntry a { "a.txt", "12", "1/2/2024" };
        const QByteArray withA = "\"p\"\r\n\"a.txt\",\"12\",\"1/2/2024\"\r\n";
        const auto read
            = [](const QByteArray& name, const QByteArray& bytes, const QString& path, const Records& records) {
                  QTest::newRow(name.constData()) << bytes << ListingFileContent { path, true, records, false, {} };
              };
        // A fault after the record a, or in the first field when a is not there.
        const auto fault = [&](const char* name, const QByteArray& bytes, K kind, int line) {
            const bool afterA = bytes.startsWith(withA);
            QTest::newRow(name) << bytes
                                << ListingFileContent { afterA ? "p" : "", afterA, afterA ? Records { a } : Records {},
                                       false, { kind, line, {} } };
        };
        read("file and folder rows", withA + "\"/top/x, y\",\" \",\"1\"\r\n", "p", { a, { "/top/x, y", " ", "1" } });
        read("doubled quotes and a line break inside quotes",
            "\"p\"\r\n\"say \"\"hi\"\"\",\"1\",\"\"\"\"\r\n\"two\r\nlines\nhere\",\"2\",\"d\"\r\n", "p",
            { { "say \"hi\"", "1", "\"" }, { "two\r\nlines\nhere", "2", "d" } });
        read("non-ASCII in the system encoding", "\"/t\xc3\xa9\"\r\n\"Gr\xc3\xb6\xc3\x9f\x65.txt\",\"3\",\"d\"\r\n",
            "/té", { { "Größe.txt", "3", "d" } });
        read("line ends separate fields like commas", "\"p\"\n\"a.txt\"\n\"12\"\r\"1/2/2024\"", "p", { a });
        read("empty record takes no place, blank lines hold no field",
            "\r\n" + withA + "\r\n\"\",\"\",\"\"\r\n,,\r\n\r\n", "p", { a });
        read("unquoted fields and a trailing comma", "p\r\na.txt,12,1/2/2024\r\nb,,\r\nc,1,\r\n", "p",
            { a, { "b", "", "" }, { "c", "1", "" } });
        read("byte-order mark skipped", "\xEF\xBB\xBF" + withA, "p", { a });
        fault("empty file", "", K::NoListing, 1);
        fault("ends after one field", withA + "\"b\"\r\n", K::EndsInRecord, 3);
        fault("ends inside a quoted field", withA + "\"two\r\nlines\",\"1\",\"d", K::EndsInRecord, 4);
        fault("text after a closing quote", withA + "\"multi\nline\" x,\"1\",\"d\"\r\n", K::MalformedField, 4);
        fault("quote inside an unquoted field", withA + "ab\"c,\"1\",\"d\"\r\n", K::MalformedField, 3);
        fault("malformed first field", "\"p\"q\r\n", K::MalformedField, 1);
        QByteArray full = "\"p\"\r\n";
        Records records;
        for (int i = 1; i <= ListingTable::listLimit; ++i) {
            full += "\"f" + QByteArray::number(i) + "\",\"1\",\"d\"\r\n";
            records.push_back(file(QString("f%1").arg(i)));
        }
        read("32000 records and empty ones", full + "\"\",\"\",\"\"\r\n,,\r\n", "p", records);
    }
    void parse()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(ListingFileContent, expected);
        const ListingFileContent content = ListingFileReader::parse(bytes);
        QCOMPARE(content, expected);
        QCOMPARE(ListingFileReader::parse(byteByByte(bytes)), content);
    }

    void matching_data()
    {
        QTest::addColumn<QString>("oldRoot");
        QTest::addColumn<Records>("older");
        QTest::addColumn<QString>("newRoot");
        QTest::addColumn<Records>("newer");
        QTest::addColumn<QStringList>("expected"); // "change|path|old size|new size|old date|new date"
        const Records tree { file("a.txt"), folder("/t/s"), file("b.txt", "5"), folder("/t/s/u", "1"), file("c.txt") };
        QTest::newRow("same tree at another root")
            << "/t" << tree << "/mnt/copy"
            << Records { file("a.txt"), folder("/mnt/copy/s"), file("b.txt", "5"), folder("/mnt/copy/s/u", "1"),
                   file("c.txt") }
            << QStringList {};
        QTest::newRow("added folder with contents")
            << "/t" << Records { file("a.txt") } << "/t"
            << Records { file("a.txt"), folder("/t/n"), file("x"), folder("/t/n/m", "1"), file("y", "7") }
            << QStringList { "added|/t/n|| ||", "added|/t/n/x||1||d", "added|/t/n/m|| ||", "added|/t/n/m/y||7||d" };
        QTest::newRow("removed file where it stood")
            << "/t" << tree << "/t" << Records { file("a.txt"), folder("/t/s"), folder("/t/s/u", "1"), file("c.txt") }
            << QStringList { "removed|/t/s/b.txt|5||d|" };
        QTest::newRow("size and date changes") << "/t" << Records { file("a.txt"), file("b", "1", "d1") } << "/t"
                                               << Records { file("a.txt", "2"), file("b", "1", "d2") }
                                               << QStringList { "changed|/t/a.txt|1|2|d|d", "changed|/t/b|1|1|d1|d2" };
        QTest::newRow("same name in another folder is a move")
            << "/t" << Records { folder("/t/p"), file("a") } << "/t" << Records { folder("/t/q"), file("a") }
            << QStringList { "removed|/t/p| |||", "removed|/t/p/a|1||d|", "added|/t/q|| ||", "added|/t/q/a||1||d" };
        QTest::newRow("a file become a folder") << "/t" << Records { file("x") } << "/t" << Records { folder("/t/x") }
                                                << QStringList { "removed|/t/x|1||d|", "added|/t/x|| ||" };
        QTest::newRow("selected path changed after the walk")
            << "/elsewhere" << Records { file("a"), folder("/t/s/u", "1") } << "/t"
            << Records { file("a"), folder("/t/s/u", "1") } << QStringList {};
        QTest::newRow("drive root") << "/" << Records { folder("/s"), file("a") } << "/"
                                    << Records { folder("/s"), file("a"), file("b") }
                                    << QStringList { "added|/s/b||1||d" };
    }
    void matching()
    {
        QFETCH(QString, oldRoot);
        QFETCH(Records, older);
        QFETCH(QString, newRoot);
        QFETCH(Records, newer);
        QFETCH(QStringList, expected);
        const ListingComparison result = compareListings({ oldRoot, older }, { newRoot, newer });
        QStringList lines;
        for (const Difference& d : result.differences)
            lines << QStringList { changeName(d.change), d.path, d.oldSize, d.newSize, d.oldDate, d.newDate }.join('|');
        QCOMPARE(lines, expected);
        const auto count = [&expected](const char* change) { return int(expected.filter(change).size()); };
        QCOMPARE(result.counts, (ComparisonCounts { count("added|"), count("removed|"), count("changed|") }));
    }
};

QTEST_GUILESS_MAIN(TestListingFile)
#include "tst_listingfile.moc"
