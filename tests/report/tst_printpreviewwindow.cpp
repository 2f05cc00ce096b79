#include "fakelistingsession.h"
#include "fakeprinterservice.h"
#include "previewpageview.h"
#include "printpreviewwindow.h"
#include "reportfixture.h"
#include "twips.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

namespace {
QWidget* previewWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String("frmprintpreview") && widget->isVisible())
            return widget;
    return nullptr;
}

QString indicator(QWidget* window) { return window->findChild<QLabel*>("Label1")->text(); }

void click(QWidget* window, const char* name)
{
    QTest::mouseClick(window->findChild<QAbstractButton*>(QLatin1String(name)), Qt::LeftButton);
}
}

class TestPrintPreviewWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void pagingThenCloseOrPrint_data();
    void pagingThenCloseOrPrint();
    void pageViewAndZoom();
    void closedWhileDrawing();

private:
    // The preview of as many files, active so that the paging and zoom keys reach it.
    QWidget* openPreview(int files)
    {
        fillFiles(m_session->table, files);
        showPrintPreview(*m_session, m_options);
        QWidget* window = previewWindow();
        if (window)
            window->activateWindow();
        return window && QTest::qWaitForWindowActive(window) ? window : nullptr;
    }

    std::unique_ptr<FakeListingSession> m_session;
    FakePrinterService m_printer;
    ReportOptions m_options;
    QTemporaryDir m_dir;
};

void TestPrintPreviewWindow::init()
{
    m_session = std::make_unique<FakeListingSession>();
    m_printer = FakePrinterService();
    m_printer.spoolPath = m_dir.filePath("spooled.pdf");
    QFile::remove(m_printer.spoolPath);
    m_session->services_.printer = &m_printer;
    m_session->mainWindow.show();
}

void TestPrintPreviewWindow::cleanup()
{
    if (QWidget* window = previewWindow())
        window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestPrintPreviewWindow::pagingThenCloseOrPrint_data()
{
    QTest::addColumn<int>("files"); // none: closed at the end; some: printed
    QTest::addColumn<QString>("steps"); // a button or a key, and the page label it leaves
    QTest::newRow("empty listing, closed") << 0 << ":Page 1 of 1,picpagedown:Page 1 of 1";
    // 70 rows on page 1, 72 on page 2, the rest and the summary on page 3
    QTest::newRow("three pages, printed")
        << 200
        << ":Page 1 of 3,picPageup:Page 1,picpagedown:Page 2 of 3,picpagedown:Page 3 of 3,picpagedown:Page 1 of 3,"
           "End:Page 3 of 3,picPageup:Page 2 of 3,Home:Page 1 of 3,PgUp:Page 1,PgDown:Page 2 of 3";
}

void TestPrintPreviewWindow::pagingThenCloseOrPrint()
{
    QFETCH(int, files);
    QFETCH(QString, steps);
    QWidget* window = openPreview(files);
    QVERIFY(window);
    QVERIFY(!m_session->mainWindow.isEnabled());
    auto* view = window->findChild<PreviewPageView*>("Picture1");
    for (const QString& step : steps.split(u',')) {
        const QString control = step.section(u':', 0, 0), label = step.section(u':', 1);
        if (!control.isEmpty() && window->findChild<QAbstractButton*>(control))
            click(window, qPrintable(control));
        else if (!control.isEmpty())
            QTest::keyClick(window->findChild<QWidget*>("scrPicture1"), QKeySequence(control)[0].key());
        QCOMPARE(indicator(window), label);
        QCOMPARE(view->pageOnShow(), label.section(u' ', 1, 1).toInt() - 1);
    }

    const QPointer<QWidget> guard(window);
    click(window, files ? "cmdprint" : "cmdclosepreview");
    QVERIFY(m_session->mainWindow.isEnabled());
    QTRY_VERIFY(guard.isNull());
    QTRY_COMPARE(m_printer.printersCreated, files ? 1 : 0);
    QCOMPARE(pdfPages(m_printer.spoolPath) > 0, files > 0);
    QVERIFY(!m_session->running);
}

void TestPrintPreviewWindow::pageViewAndZoom()
{
    QWidget* window = openPreview(1);
    QVERIFY(window);
    auto* view = window->findChild<PreviewPageView*>("Picture1");
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
    const int darkAtFit = darkPixels();
    for (int i = 0; i < 3; ++i)
        QTest::keySequence(window, QKeySequence::ZoomIn);
    // Drawn from the texts at every zoom: stems stay solid instead of blurring as a stretched picture would.
    QVERIFY2(darkPixels() > 8 * std::max(darkAtFit, 10), qPrintable(QString::number(darkAtFit)));
}

void TestPrintPreviewWindow::closedWhileDrawing()
{
    fillFiles(m_session->table, 20000);
    QPointer<QWidget> window;
    bool drawing = false; // the commands wait, and the label shows the first page
    QTimer::singleShot(0, this, [&] {
        window = previewWindow();
        QVERIFY(window);
        drawing = !window->findChild<QPushButton*>("cmdclosepreview")->isEnabled()
            && !window->findChild<QToolButton*>("picpagedown")->isEnabled() && indicator(window).startsWith("Page 1");
        window->close(); // the close box
    });
    showPrintPreview(*m_session, m_options);
    QVERIFY(drawing);
    QVERIFY(m_session->mainWindow.isEnabled());
    QVERIFY(!m_session->running);
    QTRY_VERIFY(window.isNull());
}

QTEST_MAIN(TestPrintPreviewWindow)
#include "tst_printpreviewwindow.moc"
