#include "comparisonwindow.h"
#include "fakelistingsession.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

class TestComparisonWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void showsCountsAndTable();
    void sameListingsAndDamagedFiles_data();
    void sameListingsAndDamagedFiles();
    void disabledWhileListingIsEmpty();

private:
    QString writeListing(const QByteArray& bytes);
    ComparisonWindow* compare();

    QTemporaryDir m_dir;
    std::unique_ptr<FakeListingSession> m_session;
};

void TestComparisonWindow::init()
{
    m_session = std::make_unique<FakeListingSession>();
    m_session->selection = "/t";
    m_session->saved = false;
    m_session->table.updatetable("a.txt", "10", "d");
    m_session->table.updatetable("big.txt", "900", "d");
    m_session->table.updatetable("/t/s", " ", " ");
    m_session->table.updatetable("new.txt", "5", "d");
}

QString TestComparisonWindow::writeListing(const QByteArray& bytes)
{
    const QString path = m_dir.filePath("old.txt");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write the listing");
    return path;
}

ComparisonWindow* TestComparisonWindow::compare()
{
    compareWithListing(*m_session);
    return m_session->mainWindow.findChild<ComparisonWindow*>();
}

void TestComparisonWindow::showsCountsAndTable()
{
    m_session->fileDialogs.openAnswers << writeListing(
        "\"/old\"\r\n\"a.txt\",\"10\",\"d\"\r\n\"big.txt\",\"1000\",\"d\"\r\n"
        "\"gone.txt\",\"1\",\"d\"\r\n\"/old/s\",\" \",\" \"\r\n");
    ComparisonWindow* window = compare();
    QVERIFY(window);
    QCOMPARE(window->findChild<QLabel*>("lblCounts")->text(), QString("1 added, 1 removed, 1 changed"));
    auto* table = window->findChild<QTableView*>("tblDifferences");
    const auto column = [table](int c) {
        QStringList cells;
        for (int r = 0; r < table->model()->rowCount(); ++r)
            cells << table->model()->index(r, c).data().toString();
        return cells.join(',');
    };
    QCOMPARE(column(1), QString("/t/big.txt,/old/gone.txt,/t/s/new.txt"));
    table->sortByColumn(2, Qt::DescendingOrder); // 1000 above 1: numbers, not texts
    QCOMPARE(column(2), QString("1000,1,"));
    window->findChild<QCheckBox*>("chkRemoved")->click();
    QCOMPARE(column(0), QString("changed,added"));
    QVERIFY(!m_session->saved); // the listing on screen stays unsaved and unchanged
    QCOMPARE(m_session->table.listcount(), 4);
}

void TestComparisonWindow::sameListingsAndDamagedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QTest::newRow("same") << QByteArray(
        "\"/t\"\r\n\"a.txt\",\"10\",\"d\"\r\n\"big.txt\",\"900\",\"d\"\r\n\"/t/s\",\" \",\" \"\r\n"
        "\"new.txt\",\"5\",\"d\"\r\n")
                          << QString();
    QTest::newRow("damaged") << QByteArray("\"/t\"\r\n\"a.txt\",\"1") << "is damaged at line 2";
    QTest::newRow("empty file") << QByteArray() << "is empty, not a listing";
}

void TestComparisonWindow::sameListingsAndDamagedFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    m_session->fileDialogs.openAnswers << writeListing(bytes);
    ComparisonWindow* window = compare();
    if (!message.isEmpty()) {
        QVERIFY(!window);
        QCOMPARE(m_session->messages.shown.size(), 1);
        QVERIFY2(m_session->messages.shown.front().text.contains(message),
            qPrintable(m_session->messages.shown.front().text));
        return;
    }
    QVERIFY(window);
    window->show();
    QVERIFY(window->findChild<QLabel*>("lblSame")->isVisible());
    QVERIFY(!window->findChild<QTableView*>("tblDifferences")->isVisible());
}

void TestComparisonWindow::disabledWhileListingIsEmpty()
{
    QMenu menu;
    QAction* action = addCompareCommand(&menu, *m_session);
    QVERIFY(action->isEnabled());
    m_session->table.empty();
    emit menu.aboutToShow();
    QVERIFY(!action->isEnabled());
}

QTEST_MAIN(TestComparisonWindow)
#include "tst_comparisonwindow.moc"
