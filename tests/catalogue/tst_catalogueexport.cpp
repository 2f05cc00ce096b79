#include "catalogueexport.h"
#include "fakelistingsession.h"
#include "listingfilebytes.h"
#include "listingfilereader.h"
#include "reportoptions.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestCatalogueExport : public QObject {
    Q_OBJECT
private slots:
    // The window's Export entries: what is written, and what the user is told, through the platform doubles.
    void exports_data()
    {
        QTest::addColumn<bool>("catalogue");
        QTest::addColumn<bool>("empty");
        QTest::addColumn<QString>("answer"); // DIR stands for a test folder; empty cancels the dialog
        QTest::addColumn<bool>("filtered");
        QTest::addColumn<QString>("told"); // the start of the message shown; empty for none
        QTest::newRow("catalogue") << true << false << "DIR/c.html" << false << "";
        QTest::newRow("catalogue, filtered") << true << false << "DIR/c.html" << true << "";
        QTest::newRow("json lines, filtered") << false << false << "DIR/l.jsonl" << true << "";
        QTest::newRow("empty listing") << true << true << "DIR/c.html" << false
                                       << "Cannot export catalogue, List is empty";
        QTest::newRow("json lines of an empty listing")
            << false << true << "DIR/l.jsonl" << false << "Cannot export JSON Lines, List is empty";
        QTest::newRow("cancelled") << true << false << "" << false << "";
        QTest::newRow("folder missing") << true << false << "DIR/none/c.html" << false << "Cannot write";
        QTest::newRow("onto a pipe") << false << false << "DIR/pipe" << false << "Cannot write";
    }
    void exports()
    {
        QFETCH(bool, catalogue);
        QFETCH(bool, empty);
        QFETCH(QString, answer);
        QFETCH(bool, filtered);
        QFETCH(QString, told);
        QTemporaryDir dir;
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("pipe")).constData(), 0600), 0);
        FakeListingSession session;
        session.selection = "/t";
        if (!empty) {
            session.table.appendFile("a.txt", 1, std::nullopt);
            session.table.appendFolder("/t/s", 1);
            session.table.appendFile("b.doc", 2, std::nullopt);
        }
        ReportOptions options;
        if (filtered) {
            options.chooseMode(FilterMode::IncludeTypes);
            options.setTypeChecked(0, true);
            options.setTypeText(0, "txt");
            options.activatefilter();
        }
        const QString path = QString(answer).replace("DIR", dir.path());
        session.fileDialogs.saveAnswers << path;
        CatalogueExport exporter(session, options);
        if (catalogue)
            exporter.exportCatalogue();
        else
            exporter.exportJsonLines();

        QCOMPARE(session.fileDialogs.saved, empty ? 0 : 1);
        QCOMPARE(session.messages.shown.size(), told.isEmpty() ? 0 : 1);
        if (!told.isEmpty())
            QVERIFY(session.messages.shown[0].text.startsWith(told));
        QVERIFY(!session.running);
        QFile written(path);
        const bool wrote = told.isEmpty() && !path.isEmpty();
        QCOMPARE(QFileInfo(path).isFile(), wrote);
        if (!wrote)
            return;
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray bytes = written.readAll();
        if (!catalogue) {
            QCOMPARE(bytes.count('\n'), filtered ? 2 : 4);
            return;
        }
        const ListingFileContent back = ListingFileReader::parse(bytes);
        QCOMPARE(listingFileBytes(back.records, back.selectedPath),
            listingFileBytes(session.table, session.selection, filtered ? &options : nullptr));
    }
};

QTEST_MAIN(TestCatalogueExport)
#include "tst_catalogueexport.moc"
