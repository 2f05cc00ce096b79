#include "bytename.h"
#include "cataloguewriter.h"
#include "datetextformatter.h"
#include "faultyfilesystemservice.h"
#include "listingfilebytes.h"
#include "listingfilereader.h"
#include "listingfilewriter.h"
#include "listingloader.h"

#include <QDir>
#include <QTemporaryDir>
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

// Reading and writing listing files.
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
        // Instants, but not as this zone writes them: the text stays as it was.
        row("a date at an offset no zone has", "\"a\",\"1\",\"2023-11-14 22:13:20+00:01\"", RowKind::File, 0, true,
            false);
        row("a date in the other ISO spelling", "\"a\",\"1\",\"2023-11-14T22:13:20Z\"", RowKind::File, 0, true, false);
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
        row("a folder marker of no level", "\"/t/s\",\" \",\"=\"", RowKind::Folder, 0, false, false);
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
        // A catalogue made of it reads back as the same row.
        QByteArray page;
        CatalogueFacts facts;
        facts.selectedPath = content.selectedPath;
        QVERIFY(writeCatalogue(content.records, facts, [&page](QByteArrayView piece) {
            page.append(piece);
            return true;
        }));
        const ListingFileContent fromPage = ListingFileReader::parse(page);
        QCOMPARE(listingFileBytes(fromPage.records, fromPage.selectedPath), bytes);
        // The row as its texts, as a grid cell hands it on.
        ListingTable retyped;
        const ListingEntry cells = content.records.entry(0);
        retyped.updatetable(cells.name, cells.size, cells.datecreated);
        QVERIFY(retyped == content.records);
    }

    // One wording for what keeps a listing from being used, and one policy: a listing file is used only whole,
    // a walk as far as it got, with a warning for each folder it could not read.
    void loader_data()
    {
        QTest::addColumn<QString>("name"); // in the test's folder, $P below; "tree" holds a.txt, s/b.txt and s/e
        QTest::addColumn<QByteArray>("bytes"); // a file's; null: nothing made there but the tree
        QTest::addColumn<bool>("walked");
        QTest::addColumn<bool>("needed"); // entries needed
        QTest::addColumn<QString>("unreadable"); // failed by the double, below $P
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<int>("entries");
        QTest::addColumn<qint64>("limit");
        const QByteArray one = "\"/t\"\r\n\"a\",\"1\",\"d\"\r\n";
        const auto row = [](const char* tag, const QString& name, const QByteArray& bytes, bool walked, bool needed,
                             const QString& unreadable, const QString& problem, const QString& warning, int entries,
                             qint64 limit = ListingChoices::defaultLimit) {
            QTest::newRow(tag) << name << bytes << walked << needed << unreadable << problem << warning << entries
                               << limit;
        };
        row("a listing file", "f", one, false, true, "", "", "", 1);
        row("no such file", "none", {}, false, false, "", "cannot read the listing $P: No such file or directory", "",
            0);
        row("an empty file", "f", "", false, false, "", "$P is empty, not a listing", "", 0);
        row("not text", "f", QByteArray(8, '\0'), false, false, "", "$P is not a listing file: it is not text", "", 0);
        row("damaged after a record", "f", one + "\"b\"x", false, false, "",
            "the listing $P is malformed at line 3: a field is malformed", "", 1);
        row("no entries, needed", "f", "\"/t\"\r\n", false, true, "", "the listing $P holds no entries", "", 0);
        row("no entries", "f", "\"/t\"\r\n", false, false, "", "", "", 0);
        row("a folder", "tree", {}, true, true, "", "", "", 4);
        row("a subfolder unreadable", "tree", {}, true, true, "/s", "",
            "warning: cannot read the folder $P/s: Permission denied", 2);
        row("the folder itself unreadable", "tree", {}, true, false, "/",
            "cannot list the folder $P: Permission denied", "", 0);
        row("an empty folder, needed", "tree/s/e", {}, true, true, "", "cannot list the folder $P: it is empty", "", 0);
        row("an empty folder", "tree/s/e", {}, true, false, "", "", "", 0);
        row("no such folder", "none", {}, true, false, "", "cannot list the folder $P: No such file or directory", "",
            0);
        row("a listing over the limit", "f", one + "\"b\",\"2\",\"d\"\r\n", false, true, "", "",
            "warning: the listing $P holds more than 1 entries; the first 1 are kept", 1, 1);
        row("a walk over the limit", "tree", {}, true, true, "", "",
            "warning: the folder $P holds more than 2 entries; the first 2 are listed", 2, 2);
        row("a file for a folder", "tree/a.txt", {}, true, false, "", "cannot list the folder $P: Not a directory", "",
            0);
    }
    void loader()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, walked);
        QFETCH(bool, needed);
        QFETCH(QString, unreadable);
        QFETCH(QString, problem);
        QFETCH(QString, warning);
        QFETCH(int, entries);
        QFETCH(qint64, limit);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("tree/s/e"));
        for (const char* file : { "tree/a.txt", "tree/s/b.txt" })
            QVERIFY(QFile(dir.filePath(file)).open(QIODevice::WriteOnly));
        const QString path = dir.filePath(name);
        if (!bytes.isNull()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
        FaultyFileSystemService fileSystem;
        if (!unreadable.isEmpty())
            fileSystem.failures.insert(QDir::cleanPath(path + unreadable).toUtf8(), "Permission denied");
        ListingLoader loader(fileSystem);
        loader.entriesNeeded = needed;
        loader.choices.limit = limit;
        const LoadedListing loaded = walked ? loader.walkFolder(path) : loader.readFile(path);
        QCOMPARE(loaded.problem, QString(problem).replace("$P", path));
        QCOMPARE(loaded.warnings.join('\n'), QString(warning).replace("$P", path));
        QCOMPARE(loaded.table.listcount(), entries);
        if (!walked || !loaded.usable())
            return;
        // Written as it is listed, without a table, a walk gives the bytes its table gives, and the same warnings.
        QByteArray streamed;
        ListingFileRows rows(nullptr, [&](QByteArrayView piece) {
            streamed += piece;
            return true;
        });
        loader.walkRows = &rows;
        QCOMPARE(loader.walkFolder(path).warnings, loaded.warnings);
        QVERIFY(rows.finish());
        QCOMPARE(streamed, listingFileBytes(loaded.table, loaded.selectedPath));
    }
};

QTEST_GUILESS_MAIN(TestListingFile)
#include "tst_listingfile.moc"
