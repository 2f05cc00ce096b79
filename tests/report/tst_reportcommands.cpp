#include "fakelistingsession.h"
#include "fakeprinterservice.h"
#include "reportcommands.h"
#include "reportfixture.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
// One use of Print Report, Print with the dialog or Export PDF; file names are in the test's folder.
struct PrintCase {
    QString printer = "default"; // default, dialog, dialog cancelled, none (no default printer), failing, export
    bool empty = false;
    QList<QMessageBox::StandardButton> answers {}; // to the questions, in turn
    QString file {}; // chosen in the file dialog; empty: cancelled
    QByteArray before {}; // what the chosen file, completed to .pdf when bare, holds beforehand
    QStringList shown {}; // the messages in turn, DIR for the test's folder; a trailing * stands for more text
    QString report {}; // the file the report is in
}; // to the questions, in turn
}
Q_DECLARE_METATYPE(PrintCase)

class TestReportCommands : public QObject {
    Q_OBJECT

private slots:
    void init();
    void printReport_data();
    void printReport();
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
    m_session->fileDialogs.lastChosen = m_dir.filePath("list.txt");
    m_printer = FakePrinterService();
    m_printer.spoolPath = m_dir.filePath("spooled.pdf");
    for (const QString& name : QDir(m_dir.path()).entryList(QDir::Files))
        QFile::remove(m_dir.filePath(name));
}

void TestReportCommands::printReport_data()
{
    QTest::addColumn<PrintCase>("use");
    const auto row = [](const char* name, const PrintCase& use) { QTest::newRow(name) << use; };
    const QString offer = "There is no default printer.\r\n\r\nDo you want to write the report to a PDF file instead?";
    const QString empty = "Cannot print report, List is empty";
    const auto yes = QMessageBox::Yes, no = QMessageBox::No;
    row("printer chosen", { .printer = "dialog", .report = "spooled.pdf" });
    row("dialog cancelled", { .printer = "dialog cancelled" });
    row("empty listing, no dialog", { .printer = "dialog", .empty = true, .shown = { empty } });
    row("empty listing, default printer", { .empty = true, .shown = { empty } });
    row("printer fails", { .printer = "failing", .shown = { "Cannot print report on the printer Fake Printer." } });
    row("no printer, PDF",
        { .printer = "none", .answers = { yes }, .file = "r.pdf", .shown = { offer }, .report = "r.pdf" });
    row("no printer, file dialog cancelled", { .printer = "none", .answers = { yes }, .shown = { offer } });
    row("no printer, no PDF", { .printer = "none", .answers = { no }, .file = "r.pdf", .shown = { offer } });
    row("no printer, PDF fails",
        { .printer = "none",
            .answers = { yes },
            .file = "gone/r.pdf",
            .shown = { offer, "Cannot write the report to DIR/gone/r.pdf:\r\n*" } });
    // Export PDF: a bare name is completed, and the question about replacing comes for the completed name.
    row("export, bare name", { .printer = "export", .file = "out", .report = "out.pdf" });
    row("export onto a PDF, kept",
        { .printer = "export",
            .answers = { no },
            .file = "old",
            .before = "%PDF-1.4",
            .shown = { "DIR/old.pdf already exists.*" } });
    row("export over a text file, replaced",
        { .printer = "export",
            .answers = { yes },
            .file = "list.txt",
            .before = "\"/x\"\r\n",
            .shown = { "DIR/list.txt already exists and is not a PDF file: it is a plain text document.*" },
            .report = "list.txt" });
}

void TestReportCommands::printReport()
{
    QFETCH(PrintCase, use);
    m_printer.installed = use.printer != "none";
    m_printer.dialogAccepts = use.printer != "dialog cancelled";
    if (use.printer == "failing")
        m_printer.spoolPath = "/no/such/folder/spool.pdf";
    if (!use.empty)
        fill(m_session->table, { fileRow("a.txt") });
    m_session->messages.answers = use.answers;
    if (!use.file.isEmpty())
        m_session->fileDialogs.saveAnswers = { m_dir.filePath(use.file) };
    const QString target = QFileInfo(use.file).suffix().isEmpty() ? use.file + ".pdf" : use.file;
    if (!use.before.isEmpty())
        QVERIFY(writeFile(m_dir.filePath(target), use.before));
    ReportCommands commands(*m_session, m_options);
    const bool dialog = use.printer.startsWith("dialog");
    use.printer == "export" ? commands.exportPdf() : dialog ? commands.printWithDialog() : commands.printlisting();

    QCOMPARE(m_session->messages.shown.size(), use.shown.size());
    for (qsizetype i = 0; i < use.shown.size(); ++i) {
        const Message& shown = m_session->messages.shown.at(i);
        const QString text = QString(use.shown.at(i)).replace("DIR", m_dir.path());
        QVERIFY2(text.endsWith(u'*') ? shown.text.startsWith(text.chopped(1)) && shown.text.size() >= text.size()
                                     : shown.text == text,
            qPrintable(shown.text));
        QCOMPARE(shown.icon, shown.text.startsWith("There is") ? QMessageBox::Question : QMessageBox::Warning);
        QVERIFY(shown.buttons == (shown.text.endsWith(u'?') ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok));
    }
    const bool fileAsked = use.printer == "export" || use.answers.value(0) == QMessageBox::Yes;
    QCOMPARE(m_session->fileDialogs.filtersAsked, fileAsked ? QStringList { "PDF (*.pdf)" } : QStringList {});
    QCOMPARE(m_session->fileDialogs.suggestionsOffered,
        fileAsked ? QStringList { m_dir.filePath("list.pdf") } : QStringList {});
    QCOMPARE(m_printer.dialogsShown, dialog && !use.empty ? 1 : 0);
    QCOMPARE(m_printer.printersCreated > 0, use.report == "spooled.pdf" || use.printer == "failing");
    // Only the report is left in the folder, or the file it was not allowed to replace.
    const QStringList files = QDir(m_dir.path()).entryList(QDir::Files);
    const QString left = use.report.isEmpty() && !use.before.isEmpty() ? target : use.report;
    QCOMPARE(files, left.isEmpty() ? QStringList {} : QStringList { left });
    if (!files.isEmpty())
        QCOMPARE(pdfPages(m_dir.filePath(files.first())), use.report.isEmpty() ? -1 : 1);
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
    const QString words = runTool("pdftotext", { "-bbox", m_printer.spoolPath, "-" });
    const auto corner = [&words](const QString& word) {
        const QRegularExpressionMatch m = QRegularExpression(
            "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\"[^>]*>" + QRegularExpression::escape(word) + "</word>")
                                              .match(words);
        return m.hasMatch() ? QPointF(m.captured(1).toDouble() - 18, m.captured(2).toDouble() - 18) : QPointF();
    };
    for (const auto& [word, twips] :
        { std::pair { "Report", 0 }, { "Creation", 8400 }, { "/sel/sub", 750 }, { "10", 6000 }, { "Page", 5900 } })
        QVERIFY2(qAbs(corner(word).x() - twips / 20.0) < 1, word);
    QVERIFY(corner("Page").y() > 14414 / 20.0);
    QVERIFY(words.contains("Summary"));
}

void TestReportCommands::noSecondPrintWhilePrinting()
{
    fillFiles(m_session->table, 32000);
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
