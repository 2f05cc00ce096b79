#include "bytename.h"
#include "datetextformatter.h"
#include "listingcomparison.h"
#include "listingfilebytes.h"
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

ListingTable tableOf(const Records& records)
{
    ListingTable table;
    for (const ListingEntry& record : records)
        table.updatetable(record.name, record.size, record.datecreated);
    return table;
}

// What a read gave, with its rows as the cells show them.
struct ReadBack {
    QString selectedPath;
    bool hasSelectedPath = false;
    Records records;
    bool limitReached = false;
    ReadFault fault;

    bool operator==(const ReadBack&) const = default;
};

ReadBack readBack(const ListingFileContent& content)
{
    ReadBack back { content.selectedPath, content.hasSelectedPath, {}, content.limitReached, content.fault };
    for (qsizetype i = 0; i < content.records.size(); ++i)
        back.records.push_back(content.records.entry(i));
    return back;
}

} // namespace

// Reading and writing listing files, and comparing two listings.
class TestListingFile : public QObject {
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<ReadBack>("expected");
        using K = ReadFault::Kind;
        const ListingEntry a { "a.txt", "12", "1/2/2024" };
        const QByteArray withA = "\"p\"\r\n\"a.txt\",\"12\",\"1/2/2024\"\r\n";
        const auto read
            = [](const QByteArray& name, const QByteArray& bytes, const QString& path, const Records& records) {
                  QTest::newRow(name.constData()) << bytes << ReadBack { path, true, records, false, {} };
              };
        // A fault after the record a, or in the first field when a is not there.
        const auto fault = [&](const char* name, const QByteArray& bytes, K kind, int line, int fields = 0) {
            const bool afterA = bytes.startsWith(withA) && kind != K::NotText;
            const bool hasPath = afterA || (kind == K::WrongFieldCount && line > 1);
            QTest::newRow(name) << bytes
                                << ReadBack { hasPath ? "p" : "", hasPath, afterA ? Records { a } : Records {}, false,
                                       { kind, line, {}, fields } };
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
        QFETCH(ReadBack, expected);
        const ListingFileContent content = ListingFileReader::parse(bytes);
        QCOMPARE(readBack(content), expected);
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
        QTest::newRow("selected path changed, first folder five levels down")
            << "/elsewhere" << Records { file("a"), folder("/t/a/b/c/d/e", "4"), file("x") } << "/t"
            << Records { file("a"), folder("/t/a/b/c/d/e", "4"), file("x", "2") }
            << QStringList { "changed|/t/a/b/c/d/e/x|1|2|d|d" };
        // One instant is one text, whether walked or read back.
        const QString made = DateTextFormatter::instants().format(1700000000);
        QTest::newRow("same date read back and walked")
            << "/t" << Records { file("a", "1", made) } << "/t" << Records { file("a", "1", made) } << QStringList {};
    }
    void matching()
    {
        QFETCH(QString, oldRoot);
        QFETCH(Records, older);
        QFETCH(QString, newRoot);
        QFETCH(Records, newer);
        QFETCH(QStringList, expected);
        const ListingTable oldTable = tableOf(older);
        const ListingTable newTable = tableOf(newer);
        const ListingComparison result = compareListings({ oldRoot, oldTable }, { newRoot, newTable });
        QStringList lines;
        for (const Difference& d : result.differences)
            lines << QStringList { changeName(d.change), d.path, d.oldSize, d.newSize, d.oldDate, d.newDate }.join('|');
        QCOMPARE(lines, expected);
        const auto count = [&expected](const char* change) { return int(expected.filter(change).size()); };
        QCOMPARE(result.counts, (ComparisonCounts { count("added|"), count("removed|"), count("changed|") }));
    }

    // Any row reads back into the same bytes: as a value where the program's own text gives it back, as the
    // text read where it would not.
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<RowKind>("kind");
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("sizeRead"); // a file's size read as a number
        QTest::addColumn<bool>("dateRead"); // a file's date read as a time
        const QByteArray made = DateTextFormatter::instants().format(1700000000).toUtf8();
        const auto row = [](const char* name, const QByteArray& record, RowKind kind, int level, bool size, bool date) {
            QTest::newRow(name) << record << kind << level << size << date;
        };
        row("the program's own texts", "\"a.txt\",\"120\",\"" + made + "\"", RowKind::File, 0, true, true);
        row("a date of another form", "\"a\",\"0\",\"3/4/2024 10:15\"", RowKind::File, 0, true, false);
        row("a date with a blank added", "\"a\",\"1\",\"" + made + " \"", RowKind::File, 0, true, false);
        row("no date", "\"a\",\"1\",\"\"", RowKind::File, 0, true, false);
        row("a size with a leading zero", "\"a\",\"007\",\"d\"", RowKind::File, 0, false, false);
        row("a signed size", "\"a\",\"+5\",\"d\"", RowKind::File, 0, false, false);
        row("a size past 64 bits", "\"a\",\"99999999999999999999\",\"d\"", RowKind::File, 0, false, false);
        row("an empty size", "\"a\",\"\",\"d\"", RowKind::Blank, 0, false, false);
        row("two blanks for a size", "\"a\",\"  \",\"1\"", RowKind::File, 0, false, false);
        row("a folder of level 1", "\"/t/s\",\" \",\" \"", RowKind::Folder, 1, false, false);
        row("a folder of level 5", "\"/t/a/b/c/d\",\" \",\"4\"", RowKind::Folder, 5, false, false);
        row("a folder of level 8", "\"/t/s\",\" \",\"7\"", RowKind::Folder, 8, false, false);
        row("a folder marker with a leading zero", "\"/t/s\",\" \",\"04\"", RowKind::Folder, 0, false, false);
        row("a folder with a date", "\"/t/s\",\" \",\"" + made + "\"", RowKind::Folder, 0, false, false);
        row("a name holding the byte E9", "\"caf\xE9.txt\",\"1\",\"d\"", RowKind::File, 0, true, false);
        row("a name opening with a byte-order mark",
            "\"\xEF\xBB\xBF"
            "a\",\"1\",\"d\"",
            RowKind::File, 0, true, false);
        row("a date that is not UTF-8", "\"a\",\"1\",\"\xFF\"", RowKind::File, 0, true, false);
        row("quotes and a line break", "\"say \"\"hi\"\"\r\nthere\",\"1\",\"\"\"\"", RowKind::File, 0, true, false);
    }
    void roundTrip()
    {
        QFETCH(QByteArray, record);
        QFETCH(RowKind, kind);
        QFETCH(int, level);
        QFETCH(bool, sizeRead);
        QFETCH(bool, dateRead);
        const QByteArray bytes = "\"/t\"\r\n" + record + "\r\n";
        const ListingFileContent content = ListingFileReader::parse(bytes);
        QCOMPARE(content.fault, ReadFault {});
        QCOMPARE(content.records.size(), 1);
        QCOMPARE(content.records.rowKind(0), kind);
        QCOMPARE(content.records.level(0), level);
        QCOMPARE(content.records.fileSize(0).has_value(), sizeRead);
        QCOMPARE(content.records.created(0).has_value(), dateRead);
        QCOMPARE(listingFileBytes(content.records, content.selectedPath), bytes);
        // The row as its texts, as a grid cell hands it on.
        ListingTable retyped;
        const ListingEntry cells = content.records.entry(0);
        retyped.updatetable(cells.name, cells.size, cells.datecreated);
        QVERIFY(retyped == content.records);
    }

    // The comparison's records keep a name's bytes as the listing file does.
    void recordsKeepNameBytes()
    {
        const ListingFileContent older
            = ListingFileReader::parse("\"/t\"\r\n\"caf\xE9 \"\"1\"\".txt\",\"1\",\"d\"\r\n");
        const ListingTable newer;
        const ListingComparison comparison = compareListings({ "/t", older.records }, { "/t", newer });
        QCOMPARE(comparisonRecords(comparison.differences),
            QByteArray("\"removed\",\"/t/caf\xE9 \"\"1\"\".txt\",\"1\",\"\",\"d\",\"\"\r\n"));
        QCOMPARE(comparison.differences.front().path, fromNativeBytes("/t/caf\xE9 \"1\".txt"));
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
        const ListingTable oldTable = tableOf(older);
        const ListingTable newTable = tableOf(newer);
        const ListingComparison result = compareListings({ "/t", oldTable, {}, limited == 1 },
            { "/t", newTable, { unread.begin(), unread.end() }, limited == 2 }, filter);
        QStringList lines;
        for (const Difference& d : result.differences)
            lines << QStringList { changeName(d.change), d.path, d.oldSize, d.newSize, d.oldDate, d.newDate }.join('|');
        QCOMPARE(lines, expected);
        QCOMPARE(result.notCompared, notCompared);
    }
};

QTEST_GUILESS_MAIN(TestListingFile)
#include "tst_listingfile.moc"
