#include "comparisonwindow.h"
#include "datetextformatter.h"
#include "fakelistingsession.h"
#include "fakeprinterservice.h"
#include "previewpageview.h"
#include "progresscanceller.h"
#include "reportfixture.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
QWidget* previewWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String("frmprintpreview") && widget->isVisible())
            return widget;
    return nullptr;
}
}

class TestComparisonWindow : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QDir(m_dir.path()).removeRecursively(); // each test's files afresh
        QDir().mkpath(m_dir.path());
        m_session = std::make_unique<FakeListingSession>();
        m_filter.resetToDefaults();
        m_session->selection = "/t";
        m_session->saved = false;
        m_session->table.updatetable("a.txt", "10", "d");
        m_session->table.updatetable("big.txt", "900", "d");
        m_session->table.updatetable("/t/s", " ", " ");
        m_session->table.updatetable("new.txt", "5", "d");
    }

    // The newer side is the listing on screen, named as what it came from: here a file opened.
    void showsCountsAndTable()
    {
        m_session->origin = ListingOrigin::from(ListingOrigin::Source::Opened, "/home/u/new.txt");
        m_session->origin.when = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7));
        ComparisonWindow* window = compare("\"/old\"\r\n\"a.txt\",\"10\",\"d\"\r\n\"big.txt\",\"1000\",\"d\"\r\n"
                                           "\"gone.txt\",\"9\",\"d\"\r\n\"/old/s\",\" \",\" \"\r\n");
        QCOMPARE(window->findChild<QLabel*>("lblCounts")->text(), QString("1 added, 1 removed, 1 changed"));
        QVERIFY2(window->findChild<QLabel*>("lblSources")
                     ->text()
                     .endsWith("Newer: file /home/u/new.txt of "
                         + DateTextFormatter().format(m_session->origin.when.toSecsSinceEpoch()) + ", listing /t"),
            qPrintable(window->findChild<QLabel*>("lblSources")->text()));
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

    // Paths and dates sort as their texts do, where the bytes alone would not: beyond U+E000, and bytes that are
    // no UTF-8. Both ways; and back in the comparison's own order.
    void columnsSortAsTexts()
    {
        QByteArray listing = "\"/old\"\r\n";
        for (const char* name : { "b.txt", "a\xC3\xB1.txt", "a\xC3\xA9.txt", "a\xE9x.txt", "a\xC3x.txt",
                 "a\xF0\x9F\x98\x80.txt", "a\xEE\x80\x80.txt", "a.txt", "a.txtx", "A.txt", "a\xC3" })
            listing += "\"" + QByteArray(name) + "\",\"1\",\"" + QByteArray(name) + "\"\r\n";
        auto* table = compare(listing)->findChild<QTableView*>("tblDifferences");
        const auto shown = [table](int column) {
            QStringList cells;
            for (int r = 0; r < table->model()->rowCount(); ++r)
                cells << table->model()->index(r, column).data().toString();
            return cells;
        };
        const QStringList unsorted = shown(1);
        for (const int column : { 1, 4 }) {
            table->sortByColumn(column, Qt::AscendingOrder);
            QStringList sorted = shown(column);
            std::sort(sorted.begin(), sorted.end());
            QCOMPARE(shown(column), sorted);
            table->sortByColumn(column, Qt::DescendingOrder);
            std::reverse(sorted.begin(), sorted.end());
            QCOMPARE(shown(column), sorted);
        }
        table->sortByColumn(-1, Qt::AscendingOrder);
        QCOMPARE(shown(1), unsorted);
    }

    // What one side did not look at is neither added nor removed: the comparison says it is partial.
    void partialSides_data()
    {
        QTest::addColumn<QString>("gap");
        QTest::addColumn<QString>("counts");
        const QString partial = "\nThe comparison is partial: %1 entries were not looked at on the other side";
        QTest::newRow("whole") << ""
                               << "1 added, 3 removed, 0 changed";
        QTest::newRow("a folder not read") << "unread"
                                           << "1 added, 0 removed, 0 changed" + partial.arg(3);
        QTest::newRow("a walk of one level") << "depth"
                                             << "1 added, 1 removed, 0 changed" + partial.arg(2);
        QTest::newRow("a walk stopped early") << "stopped"
                                              << "1 added, 0 removed, 0 changed" + partial.arg(3);
        QTest::newRow("the file at the limit")
            << "limit"
            << "0 added, 3 removed, 0 changed\nThe comparison is partial: 1 entry was not looked at on the "
               "other side";
    }
    void partialSides()
    {
        QFETCH(QString, gap);
        QFETCH(QString, counts);
        m_session->gaps.unreadFolders = gap == "unread" ? std::vector<QString> { "/t/s" } : std::vector<QString> {};
        m_session->gaps.depth = gap == "depth" ? 1 : ListingChoices::allLevels;
        m_session->gaps.stoppedEarly = gap == "stopped";
        m_session->choices.limit = gap == "limit" ? 6 : ListingChoices::defaultLimit;
        ComparisonWindow* window = compare("\"/old\"\r\n\"a.txt\",\"10\",\"d\"\r\n\"big.txt\",\"900\",\"d\"\r\n"
                                           "\"/old/s\",\" \",\" \"\r\n\"other.txt\",\"1\",\"d\"\r\n"
                                           "\"/old/s/deep\",\" \",\"1\"\r\n\"deep.txt\",\"2\",\"d\"\r\n");
        QVERIFY(window);
        QCOMPARE(window->findChild<QLabel*>("lblCounts")->text(), counts);
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

    // Print, Preview and Save as CSV through the doubles: what reaches the printer, the PDF or CSV file, and
    // what the user is told.
    void commands_data()
    {
        QTest::addColumn<QString>("command"); // print, preview (then its Print) or csv
        QTest::addColumn<int>("printer"); // 0 none, 1 installed, 2 installed but failing
        QTest::addColumn<bool>("pdfInstead"); // the answer to the question of a PDF instead
        QTest::addColumn<QString>("path"); // answered to the save dialog, in the test's folder; empty cancels
        QTest::addColumn<QString>("message"); // how the last message the user saw begins; empty: none seen
        QTest::addColumn<int>("pages"); // on the printer or in the file; -1 nothing written
        const QString question = "There is no default printer.";
        QTest::newRow("printed") << "print" << 1 << false << ""
                                 << "" << 1;
        QTest::newRow("printer fails") << "print" << 2 << false << ""
                                       << "Cannot print the comparison on the printer Fake Printer." << -1;
        QTest::newRow("no printer, a PDF instead") << "print" << 0 << true << "c.pdf" << question << 1;
        QTest::newRow("no printer, no PDF") << "print" << 0 << false << "c.pdf" << question << -1;
        QTest::newRow("no printer, PDF not written") << "print" << 0 << true << "gone/c.pdf"
                                                     << "Cannot write the comparison to " << -1;
        QTest::newRow("preview, then its Print") << "preview" << 1 << false << ""
                                                 << "" << 1;
        QTest::newRow("saved as CSV") << "csv" << 1 << false << "c.csv"
                                      << "" << -1;
        QTest::newRow("CSV not written") << "csv" << 1 << false << "gone/c.csv"
                                         << "Cannot save the comparison to " << -1;
        QTest::newRow("CSV cancelled") << "csv" << 1 << false << ""
                                       << "" << -1;
    }
    void commands()
    {
        QFETCH(QString, command);
        QFETCH(int, printer);
        QFETCH(bool, pdfInstead);
        QFETCH(QString, path);
        QFETCH(QString, message);
        QFETCH(int, pages);
        FakePrinterService printers;
        printers.installed = printer > 0;
        printers.spoolPath = m_dir.filePath(printer == 2 ? "gone/spool.pdf" : "spool.pdf");
        m_session->services_.printer = &printers;
        const QString chosen = path.isEmpty() ? QString() : m_dir.filePath(path);
        m_session->fileDialogs.saveAnswers = QStringList { chosen };
        m_session->messages.answers = { pdfInstead ? QMessageBox::Yes : QMessageBox::No };
        ComparisonWindow* window = compare("\"/t\"\r\n\"a.txt\",\"10\",\"d\"\r\n\"gone.txt\",\"9\",\"d\"\r\n");
        QVERIFY(window);
        if (command == "print") {
            window->printComparison();
        } else if (command == "csv") {
            window->saveComparison();
        } else {
            window->previewComparison();
            QWidget* preview = previewWindow();
            QVERIFY(preview && !window->isEnabled());
            QCOMPARE(preview->findChild<QLabel*>("Label1")->text(), QString("Page 1 of 1"));
            QTest::mouseClick(preview->findChild<QPushButton*>("cmdprint"), Qt::LeftButton);
            QVERIFY(window->isEnabled());
            QTRY_VERIFY(printers.printersCreated == 1);
        }
        const QString written = printer == 0 ? chosen : printers.spoolPath;
        QCOMPARE(pdfPages(command == "csv" ? QString() : written), pages);
        if (pages > 0)
            QVERIFY(runTool("pdftotext", { written, "-" }).contains("3 added, 1 removed, 0 changed"));
        if (command == "csv" && message.isEmpty() && !path.isEmpty()) {
            QFile csv(chosen);
            QVERIFY(csv.open(QIODevice::ReadOnly));
            const QList<QByteArray> records = csv.readAll().split('\n');
            QCOMPARE(records.size(), 5);
            QCOMPARE(records[0], QByteArray("\"removed\",\"/t/gone.txt\",\"9\",\"\",\"d\",\"\"\r"));
            QCOMPARE(records[1], QByteArray("\"added\",\"/t/big.txt\",\"\",\"900\",\"\",\"d\"\r"));
        }
        const QString seen = m_session->messages.shown.isEmpty() ? QString() : m_session->messages.shown.last().text;
        QVERIFY2(message.isEmpty() ? seen.isEmpty() : seen.startsWith(message), qPrintable(seen));
        QVERIFY(window->isEnabled());
        m_session->services_.printer = nullptr;
    }

    // A long print or export of the comparison shows its progress and stops on Cancel or Esc: no half file and
    // no message. A preview closed while its pages are drawn goes away whole.
    void cancelledRun_data()
    {
        QTest::addColumn<QString>("command"); // export, printer, preview or csv
        QTest::addColumn<bool>("byKey");
        QTest::newRow("export, Cancel") << "export" << false;
        QTest::newRow("printer, Esc") << "printer" << true;
        QTest::newRow("preview, closed") << "preview" << false;
        QTest::newRow("CSV over an old one, Cancel") << "csv" << false;
    }
    void cancelledRun()
    {
        QFETCH(QString, command);
        QFETCH(bool, byKey);
        const bool toPrinter = command == "printer";
        for (int i = 0; i < (command == "preview" ? 20000 : 3000); ++i)
            m_session->table.updatetable(QStringLiteral("f%1.txt").arg(i), "1", "d");
        FakePrinterService printer;
        printer.installed = toPrinter;
        printer.spoolPath = m_dir.filePath("spool.pdf");
        m_session->services_.printer = &printer;
        const QString target = m_dir.filePath(command == "csv" ? "c.csv" : "c.pdf");
        m_session->fileDialogs.saveAnswers = { target };
        QFile old(m_dir.filePath("c.csv"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        m_session->messages.answers = { QMessageBox::Yes }; // a PDF instead, when there is no printer
        ComparisonWindow* window = compare("\"/t\"\r\n");
        QVERIFY(window);
        if (command == "preview") {
            QPointer<QWidget> preview;
            bool drawing = false;
            QTimer::singleShot(0, this, [&] {
                preview = previewWindow();
                drawing = preview && !window->isEnabled() && !preview->findChild<QPushButton*>("cmdprint")->isEnabled();
                if (preview)
                    QTest::mouseClick(preview->findChild<QPushButton*>("cmdclosepreview"), Qt::LeftButton);
            });
            window->previewComparison();
            QVERIFY(drawing);
            QTRY_VERIFY(preview.isNull());
        } else if (command == "csv") {
            ProgressCanceller canceller(window, byKey);
            window->saveComparison();
            QCOMPARE(canceller.caption, "Saving Comparison");
        } else {
            ProgressCanceller canceller(window, byKey);
            window->printComparison();
            QVERIFY(canceller.ownerDisabled);
            QCOMPARE(canceller.caption, toPrinter ? "Printing Comparison" : "Writing PDF");
        }
        QCOMPARE(m_session->messages.shown.size(), int(command == "export")); // only the question of a PDF instead
        QVERIFY(!QFile::exists(m_dir.filePath("c.pdf")));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        QVERIFY(window->isEnabled());
        m_session->services_.printer = nullptr;
    }

    // A long comparison's preview keeps a few pages and draws the others again when shown: every difference
    // once and in order, each page with its own number.
    void previewPagesDrawnAgain()
    {
        for (int i = 0; i < 3000; ++i)
            m_session->table.updatetable(QString("n%1.txt").arg(i), "1", "d");
        ComparisonWindow* window = compare("\"/t\"\r\n\"a.txt\",\"10\",\"d\"\r\n");
        QVERIFY(window);
        QStringList expected;
        const QAbstractItemModel* model = window->findChild<QTableView*>("tblDifferences")->model();
        for (int r = 0; r < model->rowCount(); ++r)
            expected << model->index(r, 1).data().toString();
        window->previewComparison();
        QWidget* preview = previewWindow();
        QVERIFY(preview);
        auto* view = preview->findChild<PreviewPageView*>("Picture1");
        QVERIFY(view->pageCount() > int(PreviewPageView::keptPages));
        preview->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(preview));
        QTest::keyClick(preview->findChild<QWidget*>("scrPicture1"), Qt::Key_End);
        QStringList paths;
        for (int page = view->pageCount() - 1; page >= 0; --page) {
            QCOMPARE(view->pageOnShow(), page);
            QStringList onPage;
            bool numbered = false;
            for (const PreviewPage::Text& text : view->page(page)->texts) {
                if (text.text.startsWith("/t/"))
                    onPage << text.text;
                numbered = numbered || text.text == QString("Page %1").arg(page + 1);
            }
            QVERIFY(numbered);
            paths = onPage + paths;
            QTest::keyClick(preview->findChild<QWidget*>("scrPicture1"), Qt::Key_PageUp);
        }
        QCOMPARE(paths, expected);
        preview->close();
    }

    // With the report filtered to .txt, a listing saved filtered (files only) matches the listing on screen by
    // name: the folder and the other types are no difference, and the window says what was compared.
    void filteredAsTheReport()
    {
        m_session->table.updatetable("photo.jpg", "7", "d");
        m_filter.chooseMode(FilterMode::IncludeTypes);
        m_filter.setTypeChecked(0, true);
        m_filter.setTypeText(0, "txt");
        ComparisonWindow* window = compare("\"/old\"\r\n\"a.txt\",\"10\",\"d\"\r\n\"big.txt\",\"1000\",\"d\"\r\n");
        QCOMPARE(window->findChild<QLabel*>("lblCounts")->text(), QString("1 added, 0 removed, 1 changed"));
        QVERIFY(window->findChild<QLabel*>("lblSources")->text().endsWith("Report Options were compared."));
    }

    // Cancelled while the file is read: no window, no word, the listing as it was.
    void cancelledCompare()
    {
        ProgressCanceller canceller(&m_session->mainWindow, true);
        QVERIFY(!compare("\"/old\"\r\n\"a.txt\",\"10\",\"d\"\r\n"));
        QCOMPARE(canceller.caption, "Comparing Listings");
        QVERIFY(m_session->messages.shown.isEmpty() && !m_session->running);
        QCOMPARE(m_session->table.listcount(), 4);
    }

    void disabledWhileListingIsEmpty()
    {
        QMenu menu;
        QAction* action = addCompareCommand(&menu, *m_session, m_filter);
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
        compareWithListing(*m_session, m_filter);
        return m_session->mainWindow.findChild<ComparisonWindow*>();
    }

    QTemporaryDir m_dir;
    std::unique_ptr<FakeListingSession> m_session;
    ReportOptions m_filter;
};

QTEST_MAIN(TestComparisonWindow)
#include "tst_comparisonwindow.moc"
