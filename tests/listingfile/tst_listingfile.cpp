#include "listingcomparison.h"
#include "listingfilereader.h"
#include "listingfilewriter.h"
#include "reportoptions.h"

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
        const auto fault = [&](const char* name, const QByteArray& bytes, K kind, int line, int fields = 0) {
            const bool afterA = bytes.startsWith(withA) && kind != K::NotText;
            const bool hasPath = afterA || (kind == K::WrongFieldCount && line > 1);
            QTest::newRow(name) << bytes
                                << ListingFileContent { hasPath ? "p" : "", hasPath,
                                       afterA ? Records { a } : Records {}, false, { kind, line, {}, fields } };
        };
        read("file and folder rows", withA + "\"/top/x, y\",\" \",\"1\"\r\n", "p", { a, { "/top/x, y", " ", "1" } });
        read("doubled quotes and a line break inside quotes",
            "\"p\"\r\n\"say \"\"hi\"\"\",\"1\",\"\"\"\"\r\n\"two\r\nlines\nhere\",\"2\",\"d\"\r\n", "p",
            { { "say \"hi\"", "1", "\"" }, { "two\r\nlines\nhere", "2", "d" } });
        read("non-ASCII in the system encoding", "\"/t\xc3\xa9\"\r\n\"Gr\xc3\xb6\xc3\x9f\x65.txt\",\"3\",\"d\"\r\n",
            "/té", { { "Größe.txt", "3", "d" } });
        read("lone LF and CR end lines, the last needs none", "\"p\"\n\"a.txt\",\"12\",\"1/2/2024\"\r\"b\",\"1\",\"d\"",
            "p", { a, file("b") });
        read("empty record takes no place, blank lines hold no field",
            "\r\n" + withA + "\r\n\"\",\"\",\"\"\r\n,,\r\n\r\n", "p", { a });
        read("unquoted fields and a trailing comma", "p\r\na.txt,12,1/2/2024\r\nb,,\r\nc,1,", "p",
            { a, { "b", "", "" }, { "c", "1", "" } });
        read("byte-order mark skipped", "\xEF\xBB\xBF" + withA, "p", { a });
        fault("empty file", "", K::NoListing, 1);
        fault("ends inside a quoted field", withA + "\"two\r\nlines\",\"1\",\"d", K::EndsInRecord, 4);
        fault("text after a closing quote", withA + "\"multi\nline\" x,\"1\",\"d\"\r\n", K::MalformedField, 4);
        fault("quote inside an unquoted field", withA + "ab\"c,\"1\",\"d\"\r\n", K::MalformedField, 3);
        fault("malformed first field", "\"p\"q\r\n", K::MalformedField, 1);
        // A record is a line: a hand-edited line of two or four fields does not reach into the next one.
        fault("record of two fields", withA + "\"b\",\"1\"\r\n\"/t\",\" \",\" \"\r\n", K::WrongFieldCount, 3, 2);
        fault("record of four fields", withA + "\"b\",\"1\",\"d\",\"e\"\r\n", K::WrongFieldCount, 3, 4);
        fault("record of one field, the last line", withA + "\"b\"\r\n", K::WrongFieldCount, 3, 1);
        fault("first line of three fields", "\"a\",\"1\",\"d\"\r\n", K::WrongFieldCount, 1, 3);
        fault("fields over a quoted line break, then too many", withA + "\"x\r\ny\",\"1\",\"d\",\r\n",
            K::WrongFieldCount, 3, 4);
        fault("NUL bytes", QByteArray(40, '\0'), K::NotText, 1);
        fault("a NUL byte after good records", withA + QByteArray("\"b\",\"1\",\"\0\"\r\n", 13), K::NotText, 1);
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

    // What one side did not look at is no difference, and a filter applies to both sides alike.
    void partialOrFiltered_data()
    {
        QTest::addColumn<Records>("older");
        QTest::addColumn<Records>("newer");
        QTest::addColumn<int>("limited"); // 1 the older side stopped at its limit, 2 the newer
        QTest::addColumn<QString>("include"); // a type the filter keeps; empty: no filter
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("notCompared");
        const Records tree { file("a.txt"), folder("/t/s"), file("b.txt"), file("c.doc"), folder("/t/u"),
            file("d.txt") };
        QTest::newRow("a folder the newer walk could not read")
            << tree << Records { file("a.txt"), folder("/t/s"), folder("/t/u"), file("d.txt") } << 0 << ""
            << QStringList {} << 2;
        QTest::newRow("the newer walk stopped at its limit")
            << tree << Records { file("new.txt"), file("a.txt"), folder("/t/s"), file("b.txt") } << 2 << ""
            << QStringList { "added|/t/new.txt||1||d" } << 3;
        QTest::newRow("the older listing stopped at its limit")
            << Records { file("a.txt"), folder("/t/s") } << tree << 1 << "" << QStringList {} << 4;
        QTest::newRow("a listing saved filtered, the same tree")
            << Records { file("a.txt"), file("b.txt"), file("d.txt") } << tree << 0 << "txt" << QStringList {} << 0;
        QTest::newRow("a listing saved filtered, a file gone")
            << Records { file("a.txt"), file("b.txt"), file("d.txt") }
            << Records { file("a.txt"), folder("/t/s"), file("c.doc"), folder("/t/u"), file("d.txt") } << 0 << "txt"
            << QStringList { "removed|/t/b.txt|1||d|" } << 0;
        QTest::newRow("whole listings, filtered")
            << tree << Records { file("a.txt"), folder("/t/s"), file("b.txt", "2"), file("c.doc", "2") } << 0 << "txt"
            << QStringList { "changed|/t/s/b.txt|1|2|d|d", "removed|/t/u/d.txt|1||d|" } << 0;
        QTest::newRow("dates written in two zones")
            << Records { file("a.txt", "1", "2024-02-01 03:04:05+01:00") }
            << Records { file("a.txt", "1", "2024-02-01 02:04:05+00:00") } << 0 << "" << QStringList {} << 0;
    }
    void partialOrFiltered()
    {
        QFETCH(Records, older);
        QFETCH(Records, newer);
        QFETCH(int, limited);
        QFETCH(QString, include);
        QFETCH(QStringList, expected);
        QFETCH(int, notCompared);
        ReportOptions filter;
        if (!include.isEmpty()) {
            filter.chooseMode(FilterMode::IncludeTypes);
            filter.setTypeChecked(0, true);
            filter.setTypeText(0, include);
        }
        const QStringList unread = QTest::currentDataTag() == QByteArray("a folder the newer walk could not read")
            ? QStringList { "/t/s" }
            : QStringList {};
        const ListingComparison result = compareListings(
            { "/t", older, {}, limited == 1 }, { "/t", newer, { unread.begin(), unread.end() }, limited == 2 }, filter);
        QStringList lines;
        for (const Difference& d : result.differences)
            lines << QStringList { changeName(d.change), d.path, d.oldSize, d.newSize, d.oldDate, d.newDate }.join('|');
        QCOMPARE(lines, expected);
        QCOMPARE(result.notCompared, notCompared);
    }
};

QTEST_GUILESS_MAIN(TestListingFile)
#include "tst_listingfile.moc"
