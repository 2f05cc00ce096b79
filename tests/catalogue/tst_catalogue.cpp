#include "cataloguewriter.h"
#include "datetextformatter.h"
#include "jsonlineswriter.h"
#include "listingfilebytes.h"
#include "listingfilereader.h"
#include "reportoptions.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

Q_DECLARE_METATYPE(ListingOrigin)

namespace {

CatalogueFacts factsFor(const QString& selectedPath, const ReportOptions* filter = nullptr)
{
    CatalogueFacts facts;
    facts.selectedPath = selectedPath;
    facts.host = QStringLiteral("host <b>");
    facts.version = QStringLiteral("1.2.3");
    facts.made = QDateTime::fromSecsSinceEpoch(1700000000);
    facts.filter = filter;
    return facts;
}

QByteArray written(bool (*write)(const ListingTable&, const CatalogueFacts&, const CatalogueSink&),
    const ListingTable& table, const CatalogueFacts& facts)
{
    QByteArray out;
    const bool done = write(table, facts, [&](QByteArrayView piece) {
        out.append(piece);
        return true;
    });
    return done ? out : QByteArray("<failed>");
}

// A stream that gives the bytes in reads of 1 to 7 bytes, so that every line is split across reads.
ListingFileReader::ByteSource trickle(const QByteArray& bytes)
{
    return [bytes, at = qsizetype(0)](char* buffer, qsizetype capacity) mutable -> qsizetype {
        const qsizetype step = std::min({ bytes.size() - at, capacity, 1 + at % 7 });
        std::memcpy(buffer, bytes.constData() + at, size_t(step));
        at += step;
        return step;
    };
}

QByteArray recordsOf(const QByteArray& page)
{
    const qsizetype start = page.indexOf("id=\"listing-records\">") + 21;
    return page.mid(start, page.indexOf("</script>", start) - start);
}

QByteArray listing(const QByteArray& selectedPath, const QList<QByteArray>& records)
{
    QByteArray bytes = "\"" + selectedPath + "\"\r\n";
    for (const QByteArray& record : records)
        bytes += record + "\r\n";
    return bytes;
}

} // namespace

class TestCatalogue : public QObject {
    Q_OBJECT
private slots:
    // A listing saved from the catalogue is byte for byte the listing it was made from, and nothing in a name
    // can end the page's records or reach its markup.
    void readsBack_data()
    {
        QTest::addColumn<QByteArray>("listingFile");
        QTest::addColumn<QString>("include"); // a type the filter keeps; empty: no filter
        const QByteArray made = DateTextFormatter::instants().format(1700000000).toUtf8();
        const QByteArray older = DateTextFormatter::instants().format(-86400 * 400).toUtf8();
        QTest::newRow("hostile names") << listing("/t",
            { "\"</script><script>x=1</script>\",\"1\",\"\"", "\"<!--<script>\",\"2\",\"\"",
                "\"line\r\nbreak\ttab\\\\ back\\x3C\",\"3\",\"\"", "\"caf\xE9 \xFF\x80 \xE2\x82\",\"4\",\"\"",
                "\"\xEF\xBB\xBFmark\",\"5\",\"\"", "\"\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D.txt\",\"6\",\"\"",
                "\"say \"\"hi\"\"\",\"7\",\"\"", "\"&lt;\x7F\x01\",\"8\",\"\"" })
                                       << QString();
        QTest::newRow("creation times") << listing("/t",
            { "\"a\",\"1\",\"" + made + "\"", "\"b\",\"1\",\"" + older + "\"", "\"c\",\"1\",\"" + made + "\"",
                "\"d\",\"1\",\"\"", "\"e\",\"1\",\"" + made + "\"" })
                                        << QString();
        QTest::newRow("folder paths") << listing("/",
            { "\"/a\",\" \",\" \"", "\"/a/\",\" \",\"1\"", "\"/a/b\",\" \",\"1\"", "\"/ab\",\" \",\" \"",
                "\"/ab/c/d\",\" \",\"2\"", "\"/ab/c/d\",\" \",\"2\"", "\"a//b\",\" \",\"7\"", "\"\",\" \",\" \"",
                "\"/x\\y/z\",\" \",\"12\"" })
                                      << QString();
        QTest::newRow("no selected folder") << listing("", { "\"/a\",\" \",\" \"", "\"f\",\"1\",\"\"" }) << QString();
        QTest::newRow("no entries") << listing("/t", {}) << QString();
        QTest::newRow("filtered") << listing(
            "/t", { "\"a.txt\",\"1\",\"\"", "\"b.doc\",\"2\",\"\"", "\"/t/s\",\" \",\" \"", "\"c.txt\",\"3\",\"\"" })
                                  << QStringLiteral("txt");
    }
    void readsBack()
    {
        QFETCH(QByteArray, listingFile);
        QFETCH(QString, include);
        const ListingFileContent original = ListingFileReader::parse(listingFile);
        QCOMPARE(original.fault, ReadFault {});
        ReportOptions filter;
        if (!include.isEmpty()) {
            filter.chooseMode(FilterMode::IncludeTypes);
            filter.setTypeChecked(0, true);
            filter.setTypeText(0, include);
        }
        const ReportOptions* inForce = include.isEmpty() ? nullptr : &filter;
        const QByteArray page = written(writeCatalogue, original.records, factsFor(original.selectedPath, inForce));

        const ListingFileContent back = ListingFileReader::parse(page);
        QCOMPARE(back.fault, ReadFault {});
        QVERIFY(back.hasSelectedPath && !back.limitReached);
        QCOMPARE(listingFileBytes(back.records, back.selectedPath),
            listingFileBytes(original.records, original.selectedPath, inForce));
        QVERIFY(ListingFileReader::parse(trickle(page)) == back);

        QVERIFY(page.isValidUtf8());
        QVERIFY(!page.contains('\r') && !page.contains('\0'));
        QVERIFY(!recordsOf(page).contains('<'));
        QCOMPARE(page.count("<script"), 2);
        QVERIFY(!page.contains("<b>"));
    }

    // A listing made by a walk: typed values, times far apart and before 1970, levels past five.
    void readsBackWalkedRows()
    {
        ListingTable table;
        table.appendFile("a", 0, qint64 { 1700000000 });
        table.appendFile("b", 1, qint64 { -2208988800 });
        table.appendFolder("/t/s", 1);
        table.appendFile("c", std::numeric_limits<qint64>::max(), std::nullopt);
        table.appendFolder("/t/s/1/2/3/4/5/6/7/8", 9);
        table.appendFile("d", 5, qint64 { 253402300799 });
        const ListingFileContent back
            = ListingFileReader::parse(written(writeCatalogue, table, factsFor(QStringLiteral("/t"))));
        QCOMPARE(back.fault, ReadFault {});
        QVERIFY(back.records == table);
        for (qsizetype i = 0; i < table.size(); ++i)
            QCOMPARE(back.records.created(i), table.created(i));
    }

    // Where a page that is not whole stops the reading, as a listing file's faults do.
    void readFaults_data()
    {
        QTest::addColumn<QByteArray>("from"); // replaced in a catalogue of three entries
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("records");
        QTest::addColumn<bool>("limitReached");
        const auto row = [](const char* name, const QByteArray& from, const QByteArray& to, ReadFault::Kind fault,
                             int records, int limit = ListingTable::listLimit, bool limitReached = false) {
            QTest::newRow(name) << from << to << limit << int(fault) << records << limitReached;
        };
        row("whole", {}, {}, ReadFault::Kind::None, 3);
        row("cut inside the records", "fb\t2\t\n", "fb\t2", ReadFault::Kind::EndsInRecord, 2);
        row("a line of no record", "fb\t2\t\n", "xb\t2\t\n", ReadFault::Kind::MalformedField, 2);
        row("a size that is no number", "fb\t2\t\n", "fb\t2x\t\n", ReadFault::Kind::MalformedField, 2);
        row("an escape the writer never writes", "fb\t2\t\n", "f\\q\t2\t\n", ReadFault::Kind::MalformedField, 2);
        row("a folder sharing more than there is", "d1\t2\ts\n", "d1\t9\ts\n", ReadFault::Kind::MalformedField, 1);
        row("a level of none", "d1\t2\ts\n", "d0\t2\ts\n", ReadFault::Kind::MalformedField, 1);
        row("no records", "<script type=\"text/x", "<script type=\"text/y", ReadFault::Kind::NoListing, 0);
        row("a NUL byte", "fb\t2\t\n", QByteArray("fb\t2\0\t\n", 7), ReadFault::Kind::NotText, 0);
        row("a NUL byte after the records", "</body>", QByteArray("\0", 1), ReadFault::Kind::None, 3);
        row("at the limit", {}, {}, ReadFault::Kind::None, 3, 3);
        row("past the limit", {}, {}, ReadFault::Kind::None, 2, 2, true);
        row("a limit of 0", {}, {}, ReadFault::Kind::None, 0, 0, true);
    }
    void readFaults()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(int, limit);
        QFETCH(int, fault);
        QFETCH(int, records);
        QFETCH(bool, limitReached);
        ListingTable table;
        table.appendFile("a", 1, std::nullopt);
        table.appendFolder("/t/s", 1);
        table.appendFile("b", 2, std::nullopt);
        QByteArray page = written(writeCatalogue, table, factsFor(QStringLiteral("/t")));
        if (!from.isEmpty()) {
            QVERIFY(page.contains(from));
            page.replace(from, to);
            if (QTest::currentDataTag() == QByteArray("cut inside the records"))
                page.truncate(page.indexOf(to) + to.size());
        }
        const ListingFileContent content = ListingFileReader::parse(page, limit);
        QCOMPARE(int(content.fault.kind), fault);
        QCOMPARE(content.records.size(), records);
        QCOMPARE(content.limitReached, limitReached);
        QVERIFY(ListingFileReader::parse(trickle(page), limit) == content);
    }

    // Each entry as one JSON object, its text whole and its bytes recoverable.
    void jsonLines_data()
    {
        QTest::addColumn<QByteArray>("listingFile");
        QTest::addColumn<int>("line");
        QTest::addColumn<QByteArray>("expected"); // the object, less the creation time
        const QByteArray made = DateTextFormatter::instants().format(1700000000).toUtf8();
        const QByteArray tree = listing("/t",
            { "\"a.txt\",\"12\",\"" + made + "\"", "\"/t/s\",\" \",\" \"", "\"caf\xE9\",\"3\",\"\"",
                "\"/t/s/d\",\" \",\"1\"", "\"x\ty\",\"007\",\"later\"" });
        QTest::newRow("a file in the folder")
            << tree << 1
            << QByteArray("{\"path\":\"/t/a.txt\",\"name\":\"a.txt\",\"kind\":\"file\","
                          "\"level\":1,\"size\":12,\"created_unix\":1700000000}");
        QTest::newRow("a folder")
            << tree << 2
            << QByteArray("{\"path\":\"/t/s\",\"name\":\"s\",\"kind\":\"folder\",\"level\":1,\"size\":null,"
                          "\"created\":null,\"created_unix\":null}");
        QTest::newRow("a name that is not UTF-8")
            << tree << 3
            << QByteArray("{\"path\":\"/t/s/caf\\ufffd\",\"path_base64\":\"L3Qvcy9jYWbp\",\"name\":\"caf\\ufffd\","
                          "\"name_base64\":\"Y2Fm6Q==\",\"kind\":\"file\",\"level\":2,\"size\":3,\"created\":null,"
                          "\"created_unix\":null}");
        QTest::newRow("texts kept as read")
            << tree << 5
            << QByteArray("{\"path\":\"/t/s/d/x\\ty\",\"name\":\"x\\ty\",\"kind\":\"file\",\"level\":3,\"size\":null,"
                          "\"size_text\":\"007\",\"created\":null,\"created_unix\":null,\"created_text\":\"later\"}");
        QTest::newRow("the root folder") << listing("/", { "\"/a\",\" \",\" \"", "\"b\",\"1\",\"\"" }) << 2
                                         << QByteArray(
                                                "{\"path\":\"/a/b\",\"name\":\"b\",\"kind\":\"file\",\"level\":2,"
                                                "\"size\":1,\"created\":null,\"created_unix\":null}");
    }
    void jsonLines()
    {
        QFETCH(QByteArray, listingFile);
        QFETCH(int, line);
        QFETCH(QByteArray, expected);
        const ListingFileContent content = ListingFileReader::parse(listingFile);
        const QList<QByteArray> lines
            = written(writeJsonLines, content.records, factsFor(content.selectedPath)).split('\n');
        QCOMPARE(lines.size(), content.records.size() + 2);
        QVERIFY(lines.last().isEmpty());
        QJsonParseError error;
        QJsonObject object = QJsonDocument::fromJson(lines.at(line), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        const QJsonObject header = QJsonDocument::fromJson(lines.at(0)).object();
        QCOMPARE(header.value("format"), "vellumark-listing");
        QCOMPARE(header.value("version"), 1);
        QCOMPARE(header.value("folder").toString(), content.selectedPath);
        if (object.value("created").isString()) {
            const QDateTime created = QDateTime::fromString(object.take("created").toString(), Qt::ISODate);
            QCOMPARE(created.toSecsSinceEpoch(), object.value("created_unix").toInteger());
        }
        QCOMPARE(object, QJsonDocument::fromJson(expected).object());
    }

    // The ISO 8601 times carry the offset the zone had at that instant, across its changes.
    void jsonLinesTimes_data()
    {
        QTest::addColumn<qint64>("utcSeconds");
        for (const qint64 seconds : { qint64 { -1 }, qint64 { 0 }, qint64 { 951782400 }, qint64 { 1711846799 },
                 qint64 { 1711846800 }, qint64 { 1729990799 }, qint64 { 1729990800 }, qint64 { 4102444800 } })
            QTest::addRow("%lld", static_cast<long long>(seconds)) << seconds;
    }
    void jsonLinesTimes()
    {
        QFETCH(qint64, utcSeconds);
        ListingTable table;
        table.appendFile("a", 1, utcSeconds - 7200); // an hour's lookup made before this one
        table.appendFile("b", 1, utcSeconds);
        const QList<QByteArray> lines = written(writeJsonLines, table, factsFor("/t")).split('\n');
        const QDateTime local = QDateTime::fromSecsSinceEpoch(utcSeconds);
        const QString expected = local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
        QCOMPARE(QJsonDocument::fromJson(lines.at(2)).object().value("created").toString(),
            QString(expected).replace(QRegularExpression("Z$"), "+00:00"));
    }

    // The page and the JSON Lines header say what kept the listing from being whole, near the totals.
    void completeness_data()
    {
        QTest::addColumn<ListingOrigin>("origin");
        QTest::addColumn<bool>("filtered");
        QTest::addColumn<QByteArray>("shown");
        QTest::addColumn<QByteArray>("header");
        ListingOrigin cut = ListingOrigin::from(ListingOrigin::Source::Walked, "/t");
        cut.choices.limit = 3;
        cut.limitReached = true;
        cut.depthReached = true;
        cut.unreadable = { { "/t/<x>", "Permission denied" }, { "/t/caf\u00e9", "I/O error" } };
        QTest::newRow("whole") << ListingOrigin::from(ListingOrigin::Source::Walked, "/t") << false
                               << QByteArray("<div id=\"complete\"><dt>Listing</dt><dd>complete</dd>")
                               << QByteArray("{\"complete\":true,\"cancelled\":false,\"limit_reached\":false,"
                                             "\"depth_reached\":false,\"filtered\":false,\"unreadable\":[]}");
        QTest::newRow("cut, unreadable, filtered")
            << cut << true
            << QByteArray("<dd>incomplete: stopped at 3 entries; stopped at five levels; 2 folders unreadable; "
                          "filtered by type</dd></div>\n<div id=\"unreadable\"><dt>Unreadable folders</dt>"
                          "<dd>/t/&lt;x&gt; (Permission denied); /t/caf\xC3\xA9 (I/O error)</dd>")
            << QByteArray("{\"complete\":false,\"cancelled\":false,\"limit_reached\":true,\"depth_reached\":true,"
                          "\"filtered\":true,\"unreadable\":[{\"path\":\"/t/<x>\",\"reason\":\"Permission denied\"},"
                          "{\"path\":\"/t/caf\xC3\xA9\",\"reason\":\"I/O error\"}]}");
    }
    void completeness()
    {
        QFETCH(ListingOrigin, origin);
        QFETCH(bool, filtered);
        QFETCH(QByteArray, shown);
        QFETCH(QByteArray, header);
        ReportOptions filter;
        filter.chooseMode(FilterMode::ExcludeTypes);
        CatalogueFacts facts = factsFor("/t", filtered ? &filter : nullptr);
        facts.origin = origin;
        ListingTable table;
        table.appendFile("a", 1, std::nullopt);
        const QByteArray page = written(writeCatalogue, table, facts);
        QVERIFY2(page.contains(shown), page.constData());
        QVERIFY(ListingFileReader::parse(page).records == table);
        const QByteArray headerLine = written(writeJsonLines, table, facts).split('\n').at(0);
        QCOMPARE(QJsonDocument::fromJson(headerLine).object().value("completeness").toObject(),
            QJsonDocument::fromJson(header).object());
    }

    // A sink that fails stops the writing at once and says so.
    void failingSink()
    {
        ListingTable table;
        for (int i = 0; i < 50000; ++i)
            table.appendFile(QByteArray::number(i).repeated(8), i, std::nullopt);
        for (const auto write : { writeCatalogue, writeJsonLines }) {
            int pieces = 0;
            QVERIFY(!write(table, factsFor("/t"), [&](QByteArrayView) { return ++pieces < 2; }));
            QCOMPARE(pieces, 2);
        }
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
