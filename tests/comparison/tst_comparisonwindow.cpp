#include "comparisonwindow.h"
#include "fakelistingsession.h"
#include "fakeprinterservice.h"
#include "progresscanceller.h"

#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

class TestComparisonWindow : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_session = std::make_unique<FakeListingSession>();
        m_session->selection = "/t";
        m_session->saved = false;
        m_session->table.updatetable("a.txt", "10", "d");
        m_session->table.updatetable("big.txt", "900", "d");
        m_session->table.updatetable("/t/s", " ", " ");
        m_session->table.updatetable("new.txt", "5", "d");
    }

    void showsCountsAndTable()
    {
        ComparisonWindow* window = compare("\"/old\"\r\n\"a.txt\",\"10\",\"d\"\r\n\"big.txt\",\"1000\",\"d\"\r\n"
                                           "\"gone.txt\",\"9\",\"d\"\r\n\"/old/s\",\" \",\" \"\r\n");
        QCOMPARE(window->findChild<QLabel*>("lblCounts")->text(), QString("1 added, 1 removed, 1 changed"));
        auto* table = window->findChild<QTableView*>("tblDifferences");
        const auto column = [table](int c) {
            QStringList cells;
            for (int r = 0; r < table->model()->rowCount(); ++r)
                cells << table->model()->index(r, c).data().toString();
            return cells.join(',');
        };
        QCOMPARE(column(1), QString("/t/big.txt,/old/gone.txt,/t/s/new.txt"));
        table->sortByColumn(2, Qt::DescendingOrder); // 1000 above 9: numbers, not texts
        QCOMPARE(column(2), QString("1000,9,"));
        window->findChild<QCheckBox*>("chkRemoved")->click();
        QCOMPARE(column(0), QString("changed,added"));
        QVERIFY(!m_session->saved); // the listing on screen stays unsaved and unchanged
        QCOMPARE(m_session->table.listcount(), 4);
    }

    void sameListingsAndDamagedFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("same") << QByteArray("\"/t\"\r\n\"a.txt\",\"10\",\"d\"\r\n\"big.txt\",\"900\",\"d\"\r\n"
                                            "\"/t/s\",\" \",\" \"\r\n\"new.txt\",\"5\",\"d\"\r\n")
                              << QString();
        QTest::newRow("damaged") << QByteArray("\"/t\"\r\n\"a.txt\",\"1")
                                 << "is malformed at line 2: the file ends inside a record";
        QTest::newRow("empty file") << QByteArray() << "is empty, not a listing";
    }
    void sameListingsAndDamagedFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        ComparisonWindow* window = compare(bytes);
        QCOMPARE(m_session->messages.shown.size(), int(!window));
        if (window) {
            QVERIFY(message.isEmpty() && window->findChild<QLabel*>("lblSame")->isVisible());
            QVERIFY(!window->findChild<QTableView*>("tblDifferences")->isVisible());
        } else {
            QVERIFY2(
                m_session->messages.shown[0].text.contains(message), qPrintable(m_session->messages.shown[0].text));
        }
    }

    // A long print, export or preview of the comparison shows its progress and stops on Cancel or Esc: no half
    // file, no message, no half-drawn preview.
    void cancelledRun_data()
    {
        QTest::addColumn<QString>("command"); // export, printer or preview
        QTest::addColumn<bool>("byKey");
        QTest::newRow("export, Cancel") << "export" << false;
        QTest::newRow("printer, Esc") << "printer" << true;
        QTest::newRow("preview, Cancel") << "preview" << false;
    }
    void cancelledRun()
    {
        QFETCH(QString, command);
        QFETCH(bool, byKey);
        const bool toPrinter = command == "printer";
        for (int i = 0; i < 3000; ++i)
            m_session->table.updatetable(QStringLiteral("f%1.txt").arg(i), "1", "d");
        FakePrinterService printer;
        printer.installed = toPrinter;
        printer.spoolPath = m_dir.filePath("spool.pdf");
        m_session->services_.printer = &printer;
        m_session->fileDialogs.saveAnswers = { m_dir.filePath("c.pdf") };
        m_session->messages.answers = { QMessageBox::Yes }; // a PDF instead, when there is no printer
        ComparisonWindow* window = compare("\"/t\"\r\n");
        QVERIFY(window);
        ProgressCanceller canceller(window, byKey);
        command == "preview" ? window->previewComparison() : window->printComparison();
        QVERIFY(canceller.ownerDisabled);
        QCOMPARE(canceller.caption,
            command == "preview" ? "Print Preview"
                : toPrinter      ? "Printing Comparison"
                                 : "Writing PDF");
        QCOMPARE(m_session->messages.shown.size(), int(command == "export")); // only the question of a PDF instead
        QVERIFY(!window->findChild<QDialog*>("frmcomparepreview")); // a cancelled preview is not shown half drawn
        QVERIFY(!QFile::exists(m_dir.filePath("c.pdf")));
        QVERIFY(window->isEnabled());
        m_session->services_.printer = nullptr;
    }

    void disabledWhileListingIsEmpty()
    {
        QMenu menu;
        QAction* action = addCompareCommand(&menu, *m_session);
        QVERIFY(action->isEnabled());
        m_session->table.empty();
        emit menu.aboutToShow();
        QVERIFY(!action->isEnabled());
    }

private:
    // Compares the listing on screen with a listing file of these bytes; the window it opened, if any.
    ComparisonWindow* compare(const QByteArray& bytes)
    {
        QFile file(m_dir.filePath("old.txt"));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write the listing");
        file.close();
        m_session->fileDialogs.openAnswers << file.fileName();
        compareWithListing(*m_session);
        return m_session->mainWindow.findChild<ComparisonWindow*>();
    }

    QTemporaryDir m_dir;
    std::unique_ptr<FakeListingSession> m_session;
};

QTEST_MAIN(TestComparisonWindow)
#include "tst_comparisonwindow.moc"
