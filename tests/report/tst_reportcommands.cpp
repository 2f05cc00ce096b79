#include "fakelistingsession.h"
#include "fakeprinterservice.h"
#include "previewpagesurface.h"
#include "previewpageview.h"
#include "printpreviewwindow.h"
#include "progresscanceller.h"
#include "reportcommands.h"
#include "reportfixture.h"
#include "runprogress.h"
#include "twips.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

namespace {
// One use of Print Report, Print with the dialog or Export PDF; file names are in the test's folder.
struct PrintCase {
    QString printer = "default"; // default, dialog, dialog cancelled, none (no default printer), failing, export
    bool empty = false;
    QList<QMessageBox::StandardButton> answers {}; // to the questions, in turn
    QString file {}; // chosen in the file dialog; empty: cancelled
    QByteArray before {}; // what the chosen file, completed to .pdf when bare, holds beforehand
    QStringList shown {}; // the messages in turn, DIR for the test's folder
    QString report {}; // the file the report is in
};

// A preview page's texts where they stand, the run date left out.
QStringList textsOf(const PreviewPage& page)
{
    QStringList texts;
    for (const PreviewPage::Text& text : page.texts)
        if (!text.text.startsWith("Report Run Date"))
            texts << QString("%1,%2 %3").arg(text.baseline.x()).arg(text.baseline.y()).arg(text.text);
    return texts;
}

QWidget* previewWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String("frmprintpreview") && widget->isVisible())
            return widget;
    return nullptr;
}

}
Q_DECLARE_METATYPE(PrintCase)

// Print Report, Print with the print dialog, Export PDF and Print Preview, with the session and printer doubles.
class TestReportCommands : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_session = std::make_unique<FakeListingSession>();
        m_session->services_.printer = &m_printer;
        m_session->selection = "/sel";
        m_session->fileDialogs.lastChosen = m_dir.filePath("list.txt");
        m_session->mainWindow.show();
        m_printer = FakePrinterService();
        m_printer.spoolPath = m_dir.filePath("spooled.pdf");
        for (const QString& name : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(m_dir.filePath(name));
    }

    void cleanup()
    {
        if (QWidget* window = previewWindow())
            window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void printReport_data()
    {
        QTest::addColumn<PrintCase>("use");
        const auto row = [](const char* name, const PrintCase& use) { QTest::newRow(name) << use; };
        const QString offer
            = "There is no default printer.\r\n\r\nDo you want to write the report to a PDF file instead?";
        const auto yes = QMessageBox::Yes, no = QMessageBox::No;
        row("printer chosen", { .printer = "dialog", .report = "spooled.pdf" });
        row("dialog cancelled", { .printer = "dialog cancelled" });
        row("empty listing", { .printer = "dialog", .empty = true, .shown = { "Cannot print report, List is empty" } });
        row("printer fails", { .printer = "failing", .shown = { "Cannot print report on the printer Fake Printer." } });
        row("no printer, PDF",
            { .printer = "none", .answers = { yes }, .file = "r.pdf", .shown = { offer }, .report = "r.pdf" });
        row("no printer, file dialog cancelled", { .printer = "none", .answers = { yes }, .shown = { offer } });
        row("no printer, no PDF", { .printer = "none", .answers = { no }, .file = "r.pdf", .shown = { offer } });
        const QString failed = "Cannot write the report to DIR/gone/r.pdf:\r\nNo such file or directory";
        row("no printer, PDF fails",
            { .printer = "none", .answers = { yes }, .file = "gone/r.pdf", .shown = { offer, failed } });
        const QString replace = "\r\n\r\nDo you want to replace it with the report?";
        // Export PDF: a bare name is completed, and the question about replacing comes for the completed name.
        row("export, bare name", { .printer = "export", .file = "out", .report = "out.pdf" });
        row("export, empty listing",
            { .printer = "export", .empty = true, .shown = { "Cannot export report, List is empty" } });
        const QString pdfThere = "DIR/old.pdf already exists." + replace,
                      textThere
            = "DIR/list.txt already exists and is not a PDF file: it is a plain text document." + replace;
        row("export onto a PDF, kept",
            { .printer = "export", .answers = { no }, .file = "old", .before = "%PDF-1.4", .shown = { pdfThere } });
        row("export over a text file, replaced",
            { .printer = "export",
                .answers = { yes },
                .file = "list.txt",
                .before = "\"/x\"\r\n",
                .shown = { textThere },
                .report = "list.txt" });
    }

    void printReport()
    {
        QFETCH(PrintCase, use);
        m_printer.installed = use.printer != "none";
        m_printer.dialogAccepts = use.printer != "dialog cancelled";
        if (use.printer == "failing")
            m_printer.spoolPath = "/no/such/folder/spool.pdf";
        if (!use.empty)
            fill(m_session->table, { folderRow("/sel/sub", "3"), fileRow("f.txt") });
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
            QCOMPARE(shown.text, QString(use.shown.at(i)).replace("DIR", m_dir.path()));
            QCOMPARE(shown.icon, shown.text.startsWith("There is") ? QMessageBox::Question : QMessageBox::Warning);
            QVERIFY(
                shown.buttons == (shown.text.endsWith(u'?') ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok));
            // A question about replacing a file defaults to keeping it.
            QCOMPARE(shown.defaultButton, shown.text.contains("replace") ? QMessageBox::No : QMessageBox::NoButton);
        }
        const bool fileAsked = (use.printer == "export" && !use.empty) || use.answers.value(0) == QMessageBox::Yes;
        QCOMPARE(m_session->fileDialogs.filtersAsked + m_session->fileDialogs.suggestionsOffered,
            (fileAsked ? QStringList { "PDF (*.pdf)", m_dir.filePath("list.pdf") } : QStringList {}));
        QCOMPARE(m_printer.dialogsShown, dialog && !use.empty ? 1 : 0);
        // Only the report is left in the folder, or the file it was not allowed to replace.
        const QStringList files = QDir(m_dir.path()).entryList(QDir::Files);
        const QString left = use.report.isEmpty() && !use.before.isEmpty() ? target : use.report;
        QCOMPARE(files, left.isEmpty() ? QStringList {} : QStringList { left });
        if (!files.isEmpty())
            QCOMPARE(pdfPages(m_dir.filePath(files.first())), use.report.isEmpty() ? -1 : 1);
        if (!use.report.isEmpty()) {
            // Twips from the printable area's corner, which lies a quarter inch (18 points) in.
            const QString words = runTool("pdftotext", { "-bbox", m_dir.filePath(use.report), "-" });
            const auto corner = [&words](const QString& word) {
                const QRegularExpressionMatch m = QRegularExpression(
                    "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\"[^>]*>" + QRegularExpression::escape(word) + "</word>")
                                                      .match(words);
                return m.hasMatch() ? QPointF(m.captured(1).toDouble() - 18, m.captured(2).toDouble() - 18) : QPointF();
            };
            for (const auto& [word, twips] : { std::pair { "Report", 0 }, { "Creation", 8400 }, { "/sel/sub", 750 },
                     { "10", 6000 }, { "Page", 5900 } })
                QVERIFY2(qAbs(corner(word).x() - twips / 20.0) < 1, word);
            QVERIFY(corner("Page").y() > 14414 / 20.0);
        }
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QVERIFY(!m_session->running);
    }

    // A long print or export shows its progress and stops on Cancel or Esc: no half file, no message.
    void cancelledRun_data()
    {
        QTest::addColumn<QString>("printer");
        QTest::addColumn<bool>("byKey");
        QTest::newRow("export, Cancel") << "export" << false;
        QTest::newRow("export, Esc") << "export" << true;
        QTest::newRow("printer, Cancel") << "default" << false;
    }
    void cancelledRun()
    {
        QFETCH(QString, printer);
        QFETCH(bool, byKey);
        fillFiles(m_session->table, 3000);
        m_session->fileDialogs.saveAnswers = { m_dir.filePath("r.pdf") };
        ProgressCanceller canceller(&m_session->mainWindow, byKey);
        ReportCommands commands(*m_session, m_options);
        printer == "export" ? commands.exportPdf() : commands.printlisting();
        QVERIFY(canceller.ownerDisabled);
        QCOMPARE(canceller.caption, printer == "export" ? "Writing PDF" : "Printing Report");
        QVERIFY(m_session->messages.shown.isEmpty());
        QVERIFY(!QFile::exists(m_dir.filePath("r.pdf")));
        QVERIFY(m_session->mainWindow.isEnabled() && !m_session->running);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    // The preview keeps a few pages and draws the others again when shown: each must be the page the whole
    // report draws, with the page breaks, indents and counts of the rows before it.
    void previewPagesDrawnAgain_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("folderEvery"); // 0: files only
        QTest::newRow("files, the summary on a page of its own") << 208 << 0;
        QTest::newRow("folders at four levels among files") << 2400 << 7;
    }
    void previewPagesDrawnAgain()
    {
        QFETCH(int, rows);
        QFETCH(int, folderEvery);
        for (int i = 0; i < rows; ++i) {
            if (folderEvery && i % folderEvery == 0)
                m_session->table.updatetable(
                    QString("/sel/d%1").arg(i), " ", QString(" 123").mid(i / folderEvery % 4, 1));
            else // now and then a name too long for its line
                m_session->table.updatetable(
                    QString("f%1.txt").arg(i) + QString(i % 50 == 1 ? 200 : 0, u'n'), QString::number(i), "1/2/2026");
        }
        // The whole report at once, every page kept.
        std::vector<QStringList> whole;
        ReportLayout* drawing = nullptr;
        PreviewPageSurface surface([&] { return drawing->state().pageno; });
        surface.pageFinished = [&](int, const PreviewPage& page) { whole.push_back(textsOf(page)); };
        ReportLayout layout(surface, ReportGeometry::preview(), m_options, [] { return QString("/sel"); }, {});
        drawing = &layout;
        QVERIFY(drawReport(layout, m_session->table, {}));

        showPrintPreview(*m_session, m_options);
        QWidget* window = previewWindow();
        QVERIFY(window);
        auto* view = window->findChild<PreviewPageView*>("Picture1");
        QCOMPARE(view->pageCount(), int(whole.size()));
        QVERIFY(whole.size() > PreviewPageView::keptPages || rows < 1000);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window->findChild<QWidget*>("scrPicture1"), Qt::Key_End);
        for (int page = view->pageCount() - 1; page >= 0; --page) {
            QCOMPARE(view->pageOnShow(), page);
            QCOMPARE(textsOf(*view->page(page)), whole[size_t(page)]);
            QTest::keyClick(window->findChild<QWidget*>("scrPicture1"), Qt::Key_PageUp);
        }
        window->close();
    }

    void previewPagingZoomThenCloseOrPrint_data()
    {
        QTest::addColumn<int>("files"); // none: closed at the end; some: printed
        QTest::addColumn<QString>("steps"); // a button or a key, and the page label it leaves
        QTest::newRow("empty listing, refused") << 0 << "";
        // 70 rows on page 1, 72 on page 2, the rest and the summary on page 3
        QTest::newRow("three pages, printed")
            << 200
            << ":Page 1 of 3,picPageup:Page 1,picpagedown:Page 2 of 3,picpagedown:Page 3 of 3,picpagedown:Page 1 of 3,"
               "End:Page 3 of 3,picPageup:Page 2 of 3,Home:Page 1 of 3,PgUp:Page 1,PgDown:Page 2 of 3";
    }

    void previewPagingZoomThenCloseOrPrint()
    {
        QFETCH(int, files);
        QFETCH(QString, steps);
        fillFiles(m_session->table, files);
        showPrintPreview(*m_session, m_options);
        QWidget* window = previewWindow();
        if (files == 0) {
            QVERIFY(!window);
            QCOMPARE(m_session->messages.shown.value(0).text, QString("Cannot preview report, List is empty"));
            return;
        }
        QVERIFY(window);
        window->activateWindow(); // so that the paging and zoom keys reach it
        QVERIFY(QTest::qWaitForWindowActive(window));
        QVERIFY(!m_session->mainWindow.isEnabled());
        auto* view = window->findChild<PreviewPageView*>("Picture1");
        for (const QString& step : steps.split(u',')) {
            const QString control = step.section(u':', 0, 0), label = step.section(u':', 1);
            if (!control.isEmpty() && window->findChild<QAbstractButton*>(control))
                QTest::mouseClick(window->findChild<QAbstractButton*>(control), Qt::LeftButton);
            else if (!control.isEmpty())
                QTest::keyClick(window->findChild<QWidget*>("scrPicture1"), QKeySequence(control)[0].key());
            QCOMPARE(window->findChild<QLabel*>("Label1")->text(), label);
            QCOMPARE(view->pageOnShow(), label.section(u' ', 1, 1).toInt() - 1);
        }
        // Fitted to the printer's letter page within its designed box, keeping its corner.
        QCOMPARE(view->mapTo(window, QPoint()), Twips::rect(600, 360, 5055, 6615).topLeft());
        QVERIFY(qAbs(double(view->height()) / view->width() - 11 / 8.5) < 0.02);
        const QSize fitted = view->size();
        const auto darkPixels = [view] {
            const QImage image = view->grab(QRect(0, 0, view->width(), view->height() / 8)).toImage();
            int dark = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    dark += qGray(image.pixel(x, y)) < 80 ? 1 : 0;
            return dark;
        };
        for (const auto& [keys, zoom] : { std::pair { "Ctrl+-", 1.0 }, { "Ctrl++", 1.5 }, { "Ctrl+=", 2.0 },
                 { "Ctrl++", 3.0 }, { "Ctrl++", 4.0 }, { "Ctrl+0", 1.0 } }) {
            QTest::keySequence(window, QKeySequence(keys));
            QCOMPARE(view->size(), fitted * zoom);
        }
        QWheelEvent wheel(QPointF(5, 5), view->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, 120), Qt::NoButton,
            Qt::ControlModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view, &wheel);
        QCOMPARE(view->size(), fitted * 1.5);
        // The window grows from its design size; the page fills the room it gains, keeping its zoom, and Close
        // keeps to the corner.
        auto* close = window->findChild<QPushButton*>("cmdclosepreview");
        const QSize design = window->size();
        const QPoint closeFromCorner = window->rect().bottomRight() - close->geometry().bottomRight();
        window->resize(design * 2);
        const QWidget* room = window->findChild<QWidget*>("scrPicture1");
        QTRY_VERIFY(room->width() > design.width());
        const double filled = std::max(double(view->width()) / room->width(), double(view->height()) / room->height());
        QVERIFY2(qAbs(filled - 1.5) < 0.01, qPrintable(QString::number(filled)));
        QCOMPARE(window->rect().bottomRight() - close->geometry().bottomRight(), closeFromCorner);
        window->resize(design / 2);
        QTRY_COMPARE(window->size(), design);
        QCOMPARE(view->size(), fitted * 1.5);
        const int darkAtFit = darkPixels();
        for (int i = 0; i < 3; ++i)
            QTest::keySequence(window, QKeySequence::ZoomIn);
        // Drawn from the texts at every zoom (an empty listing draws none): stems stay solid instead of blurring as a
        // stretched picture would.
        QVERIFY2(!files || darkPixels() > 8 * std::max(darkAtFit, 10), qPrintable(QString::number(darkAtFit)));

        const QPointer<QWidget> guard(window);
        QTest::mouseClick(window->findChild<QPushButton*>(files ? "cmdprint" : "cmdclosepreview"), Qt::LeftButton);
        QVERIFY(m_session->mainWindow.isEnabled());
        QTRY_VERIFY(guard.isNull());
        QTRY_COMPARE(pdfPages(m_printer.spoolPath) > 0, files > 0);
        QVERIFY(!m_session->running);
    }

    // A long drawing: a second print is refused without a word, and the preview closes by its close box.
    void duringLongDrawing_data()
    {
        QTest::addColumn<bool>("preview");
        QTest::newRow("second print") << false;
        QTest::newRow("preview closed") << true;
    }
    void duringLongDrawing()
    {
        QFETCH(bool, preview);
        fillFiles(m_session->table, preview ? 100000 : 32000);
        QPointer<QWidget> window;
        bool drawing = false; // the commands wait, and the label shows the first page
        QTimer::singleShot(0, this, [&] {
            QVERIFY(m_session->running);
            window = previewWindow();
            QCOMPARE(window != nullptr, preview);
            // Close stays usable while drawing, and stops it.
            auto* close = preview ? window->findChild<QPushButton*>("cmdclosepreview") : nullptr;
            drawing = !preview
                || (close->isEnabled() && !window->findChild<QToolButton*>("picpagedown")->isEnabled()
                    && window->findChild<QLabel*>("Label1")->text().startsWith("Page 1"));
            preview ? QTest::mouseClick(close, Qt::LeftButton) : ReportCommands(*m_session, m_options).printlisting();
        });
        preview ? showPrintPreview(*m_session, m_options) : ReportCommands(*m_session, m_options).printlisting();
        QVERIFY(drawing);
        QCOMPARE(m_printer.printersCreated, preview ? 0 : 1);
        QVERIFY(m_session->messages.shown.isEmpty());
        QCOMPARE(pdfPages(m_printer.spoolPath) > 100, !preview);
        QVERIFY(m_session->mainWindow.isEnabled());
        QVERIFY(!m_session->running);
        QTRY_VERIFY(window.isNull());
    }

private:
    std::unique_ptr<FakeListingSession> m_session;
    FakePrinterService m_printer;
    ReportOptions m_options;
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestReportCommands)
#include "tst_reportcommands.moc"
