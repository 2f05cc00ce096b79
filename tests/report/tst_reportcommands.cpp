#include "fakelistingsession.h"
#include "fakeprinterservice.h"
#include "reportcommands.h"
#include "reportfixture.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
// Left edges of the words of a PDF, in points from the page's left edge, keyed by the word.
QMultiHash<QString, QPointF> wordPositions(const QString& path)
{
    QMultiHash<QString, QPointF> words;
    for (const PdfWord& word : pdfWords(path))
        words.insert(word.text, word.topLeft);
    return words;
}
}

class TestReportCommands : public QObject {
    Q_OBJECT

private slots:
    void init();
    void noDefaultPrinter_data();
    void noDefaultPrinter();
    void exportPdf_data();
    void exportPdf();
    void printDialog_data();
    void printDialog();
    void printerFailure_data();
    void printerFailure();
    void pdfThroughThePrinterSurface();
    void noSecondPrintWhilePrinting();

private:
    void print() { ReportCommands(*m_session, m_options).printlisting(); }

    std::unique_ptr<FakeListingSession> m_session;
    FakePrinterService m_printer;
    ReportOptions m_options;
    QTemporaryDir m_dir;
};

void TestReportCommands::init()
{
    m_session = std::make_unique<FakeListingSession>();
    m_session->services_.printer = &m_printer;
    m_session->selection = "/sel";
    m_printer = FakePrinterService();
    m_printer.spoolPath = m_dir.filePath("spooled.pdf");
    QFile::remove(m_printer.spoolPath);
}

void TestReportCommands::noDefaultPrinter_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<bool>("pathChosen");
    QTest::newRow("yes, file chosen") << QMessageBox::Yes << true;
    QTest::newRow("yes, dialog cancelled") << QMessageBox::Yes << false;
    QTest::newRow("no") << QMessageBox::No << true;
}

void TestReportCommands::noDefaultPrinter()
{
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(bool, pathChosen);
    m_printer.installed = false;
    fill(m_session->table, { fileRow("a.txt") });
    const QString path = m_dir.filePath("report.pdf");
    QFile::remove(path);
    m_session->messages.answers = { answer };
    if (pathChosen)
        m_session->fileDialogs.saveAnswers = { path };
    print();

    QCOMPARE(m_session->messages.shown.size(), 1);
    const Message offer = m_session->messages.shown.first();
    QCOMPARE(offer.buttons, QMessageBox::Yes | QMessageBox::No);
    QVERIFY(offer.text.contains("PDF"));
    const bool written = answer == QMessageBox::Yes && pathChosen;
    QCOMPARE(m_session->fileDialogs.filtersAsked,
        answer == QMessageBox::Yes ? QStringList { "PDF (*.pdf)" } : QStringList {});
    QCOMPARE(QFile::exists(path), written);
    if (written)
        QCOMPARE(pdfPages(path), 1);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void TestReportCommands::exportPdf_data()
{
    QTest::addColumn<bool>("listingSaved");
    QTest::addColumn<QString>("answer"); // in the test's folder
    QTest::addColumn<QByteArray>("existing"); // what answer.pdf or answer holds beforehand; empty: no file
    QTest::addColumn<QMessageBox::StandardButton>("replace"); // the answer to a question about replacing
    QTest::addColumn<QString>("suggested");
    QTest::addColumn<QString>("written"); // empty: nothing written
    QTest::newRow("bare name gets .pdf") << false << "out" << QByteArray() << QMessageBox::NoButton << "Photos.pdf"
                                         << "out.pdf";
    QTest::newRow("saved listing's name")
        << true << "list.pdf" << QByteArray() << QMessageBox::NoButton << "DIR/list.pdf"
        << "list.pdf";
    QTest::newRow("bare name onto a PDF, kept")
        << false << "old" << QByteArray("%PDF-1.4") << QMessageBox::No << "Photos.pdf"
        << "";
    QTest::newRow("over a text file, kept")
        << false << "list.txt" << QByteArray("\"/x\"\r\n") << QMessageBox::No << "Photos.pdf"
        << "";
    QTest::newRow("over a text file, replaced")
        << false << "list.txt" << QByteArray("\"/x\"\r\n") << QMessageBox::Yes << "Photos.pdf"
        << "list.txt";
}

void TestReportCommands::exportPdf()
{
    QFETCH(bool, listingSaved);
    QFETCH(QString, answer);
    QFETCH(QByteArray, existing);
    QFETCH(QMessageBox::StandardButton, replace);
    QFETCH(QString, suggested);
    QFETCH(QString, written);
    QTemporaryDir dir;
    const QString target = dir.filePath(QFileInfo(answer).suffix().isEmpty() ? answer + ".pdf" : answer);
    if (!existing.isEmpty()) {
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(existing);
    }
    m_session->selection = "/home/anna/Photos";
    m_session->saved = listingSaved;
    m_session->fileDialogs.lastChosen = dir.filePath("list.txt");
    m_session->fileDialogs.saveAnswers = { dir.filePath(answer) };
    m_session->messages.answers = { replace };
    fill(m_session->table, { fileRow("a.txt") });
    ReportCommands(*m_session, m_options).exportPdf();

    QCOMPARE(m_session->fileDialogs.suggestionsOffered, QStringList { QString(suggested).replace("DIR", dir.path()) });
    QCOMPARE(m_session->messages.shown.size(), replace == QMessageBox::NoButton ? 0 : 1);
    if (replace != QMessageBox::NoButton && existing.startsWith("\""))
        QVERIFY2(m_session->messages.shown.first().text.contains("plain text document"),
            qPrintable(m_session->messages.shown.first().text));
    QCOMPARE(m_printer.printersCreated, 0);
    if (written.isEmpty())
        QCOMPARE(QFile(target).size(), existing.size());
    else
        QCOMPARE(pdfPages(dir.filePath(written)), 1);
}

void TestReportCommands::printDialog_data()
{
    QTest::addColumn<bool>("withDialog");
    QTest::addColumn<bool>("empty");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("printer chosen") << true << false << true;
    QTest::newRow("dialog cancelled") << true << false << false;
    QTest::newRow("empty listing, no dialog") << true << true << true;
    QTest::newRow("empty listing, default printer") << false << true << true;
}

void TestReportCommands::printDialog()
{
    QFETCH(bool, withDialog);
    QFETCH(bool, empty);
    QFETCH(bool, accepted);
    m_printer.dialogAccepts = accepted;
    if (!empty)
        fill(m_session->table, { fileRow("a.txt") });
    if (withDialog)
        ReportCommands(*m_session, m_options).printWithDialog();
    else
        print();
    QCOMPARE(m_printer.dialogsShown, withDialog && !empty ? 1 : 0);
    QCOMPARE(QFile::exists(m_printer.spoolPath), !empty && accepted);
    const Message emptyWarning { QMessageBox::Warning, {}, "Cannot print report, List is empty", QMessageBox::Ok };
    QCOMPARE(m_session->messages.shown, empty ? QList<Message> { emptyWarning } : QList<Message> {});
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QVERIFY(!m_session->running);
}

void TestReportCommands::printerFailure_data()
{
    QTest::addColumn<bool>("toPdf");
    QTest::addColumn<QString>("expectedText");
    QTest::newRow("printer") << false << "Cannot print report on the printer Fake Printer.";
    QTest::newRow("pdf file") << true << "Cannot write the report to /no/such/folder/r.pdf:\r\n";
}

void TestReportCommands::printerFailure()
{
    QFETCH(bool, toPdf);
    QFETCH(QString, expectedText);
    m_printer.installed = !toPdf;
    m_printer.spoolPath = "/no/such/folder/spool.pdf";
    m_session->fileDialogs.saveAnswers = { "/no/such/folder/r.pdf" };
    fill(m_session->table, { fileRow("a.txt") });
    print();

    const Message failure = m_session->messages.shown.last();
    QCOMPARE(failure.icon, QMessageBox::Warning);
    QVERIFY2(failure.text.startsWith(expectedText), qPrintable(failure.text));
    if (toPdf)
        QVERIFY(failure.text.size() > expectedText.size()); // the system's reason follows
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QVERIFY(!m_session->running);
}

void TestReportCommands::pdfThroughThePrinterSurface()
{
    fill(m_session->table, { folderRow("/sel/sub", "3"), fileRow("f.txt") });
    print();
    QVERIFY(m_session->messages.shown.isEmpty());
    QCOMPARE(pdfPages(m_printer.spoolPath), 1);

    // Twips from the printable area's corner, which lies a quarter inch (18 points) in.
    const QMultiHash<QString, QPointF> words = wordPositions(m_printer.spoolPath);
    auto leftOf = [&words](const QString& word) { return words.value(word, QPointF(-100, -100)).x() - 18; };
    for (const auto& [word, twips] :
        { std::pair { "Report", 0 }, { "Creation", 8400 }, { "/sel/sub", 750 }, { "10", 6000 }, { "Page", 5900 } })
        QVERIFY2(qAbs(leftOf(word) - twips / 20.0) < 1, word);
    QVERIFY(words.value("Page").y() > 18 + 14414 / 20.0);
    QVERIFY(words.contains("Summary"));
}

void TestReportCommands::noSecondPrintWhilePrinting()
{
    for (int i = 0; i < 32000; ++i)
        m_session->table.updatetable(QString("f%1.txt").arg(i), "1", "d");
    bool secondTried = false;
    QTimer::singleShot(0, this, [&] {
        secondTried = true;
        QVERIFY(m_session->running);
        print();
    });
    print();
    QVERIFY(secondTried);
    QCOMPARE(m_printer.printersCreated, 1);
    QVERIFY(m_session->messages.shown.isEmpty());
    QVERIFY(pdfPages(m_printer.spoolPath) > 100);
}

QTEST_MAIN(TestReportCommands)
#include "tst_reportcommands.moc"
