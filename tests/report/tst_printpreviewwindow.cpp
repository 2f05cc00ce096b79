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
#include <variant>

namespace {
QWidget* previewWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String("frmprintpreview") && widget->isVisible())
            return widget;
    return nullptr;
}

// The paging and zoom keys belong to the preview while it is the active window.
QWidget* activePreviewWindow()
{
    QWidget* window = previewWindow();
    if (window) {
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window))
            return nullptr;
    }
    return window;
}

QString indicator(QWidget* window) { return window->findChild<QLabel*>("Label1")->text(); }

void click(QWidget* window, const char* name)
{
    QTest::mouseClick(window->findChild<QAbstractButton*>(QLatin1String(name)), Qt::LeftButton);
}

int pageOnShow(QWidget* window) { return window->findChild<PreviewPageView*>("Picture1")->pageOnShow(); }
}

class TestPrintPreviewWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void emptyListing();
    void pagingAtBothEnds();
    void pagesAreDrawn();
    void zoom();
    void closedWhileDrawing();
    void printFromPreview();

private:
    void fillFiles(int count)
    {
        for (int i = 0; i < count; ++i)
            m_session->table.updatetable(QString("f%1.txt").arg(i), "1", "d");
    }

    std::unique_ptr<FakeListingSession> m_session;
    FakePrinterService m_printer;
    ReportOptions m_options;
};

void TestPrintPreviewWindow::init()
{
    m_session = std::make_unique<FakeListingSession>();
    m_session->services_.printer = &m_printer;
    m_session->mainWindow.show();
}

void TestPrintPreviewWindow::cleanup()
{
    if (QWidget* window = previewWindow())
        window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestPrintPreviewWindow::emptyListing()
{
    showPrintPreview(*m_session, m_options);
    QWidget* window = previewWindow();
    QVERIFY(window);
    QVERIFY(!m_session->mainWindow.isEnabled());
    QCOMPARE(indicator(window), "Page 1 of 1");
    QVERIFY(window->findChild<QPushButton*>("cmdprint")->isEnabled());
    click(window, "picpagedown");
    QCOMPARE(indicator(window), "Page 1 of 1");

    const QPointer<QWidget> guard(window);
    click(window, "cmdclosepreview");
    QVERIFY(m_session->mainWindow.isEnabled());
    QTRY_VERIFY(guard.isNull());
    QVERIFY(!m_session->running);
}

void TestPrintPreviewWindow::pagingAtBothEnds()
{
    fillFiles(200); // 70 rows on page 1, 72 on page 2, the rest and the summary on page 3
    showPrintPreview(*m_session, m_options);
    QWidget* window = activePreviewWindow();
    QVERIFY(window);
    QCOMPARE(indicator(window), "Page 1 of 3");

    // A button by name, or a key.
    const QList<std::pair<std::variant<const char*, Qt::Key>, QString>> steps {
        { "picPageup", "Page 1" },
        { "picpagedown", "Page 2 of 3" },
        { "picpagedown", "Page 3 of 3" },
        { "picpagedown", "Page 1 of 3" },
        { Qt::Key_End, "Page 3 of 3" },
        { "picPageup", "Page 2 of 3" },
        { Qt::Key_Home, "Page 1 of 3" },
        { Qt::Key_PageUp, "Page 1" },
        { Qt::Key_PageDown, "Page 2 of 3" },
    };
    for (qsizetype i = 0; i < steps.size(); ++i) {
        if (const auto* key = std::get_if<Qt::Key>(&steps[i].first))
            QTest::keyClick(window->findChild<QWidget*>("scrPicture1"), *key);
        else
            click(window, std::get<const char*>(steps[i].first));
        QCOMPARE(indicator(window), steps[i].second);
        QCOMPARE(pageOnShow(window), steps[i].second.section(u' ', 1, 1).toInt() - 1);
    }
}

void TestPrintPreviewWindow::pagesAreDrawn()
{
    fill(m_session->table, { fileRow("a.txt") });
    showPrintPreview(*m_session, m_options);
    QWidget* window = previewWindow();
    QVERIFY(window);
    auto* view = window->findChild<PreviewPageView*>("Picture1");
    // Fitted to the printer's letter page within its designed box, keeping its corner.
    QCOMPARE(view->mapTo(window, QPoint()), Twips::rect(600, 360, 5055, 6615).topLeft());
    QVERIFY(qAbs(double(view->height()) / view->width() - 11 / 8.5) < 0.02);
    const QImage image = view->grab().toImage();
    bool inked = false;
    for (int y = 2; y < image.height() / 4 && !inked; ++y)
        for (int x = 2; x < image.width() - 2 && !inked; ++x)
            inked = qGray(image.pixel(x, y)) < 245;
    QVERIFY2(inked, "the header is drawn on page 1");
}

void TestPrintPreviewWindow::zoom()
{
    fill(m_session->table, { fileRow("a.txt") });
    showPrintPreview(*m_session, m_options);
    QWidget* window = activePreviewWindow();
    QVERIFY(window);
    auto* view = window->findChild<PreviewPageView*>("Picture1");
    const QSize fitted = view->size();
    const auto darkPixels = [view] {
        const QImage image = view->grab(QRect(0, 0, view->width(), view->height() / 8)).toImage();
        int dark = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                dark += qGray(image.pixel(x, y)) < 80 ? 1 : 0;
        return dark;
    };
    const QList<std::pair<QKeySequence, double>> steps {
        { QKeySequence(Qt::CTRL | Qt::Key_Minus), 1 },
        { QKeySequence(Qt::CTRL | Qt::Key_Plus), 1.5 },
        { QKeySequence(Qt::CTRL | Qt::Key_Equal), 2 },
        { QKeySequence(Qt::CTRL | Qt::Key_Plus), 3 },
        { QKeySequence(Qt::CTRL | Qt::Key_Plus), 4 },
        { QKeySequence(Qt::CTRL | Qt::Key_0), 1 },
    };
    for (const auto& [keys, zoom] : steps) {
        QTest::keySequence(window, keys);
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
    fillFiles(20000);
    QPointer<QWidget> window;
    bool commandsWereDisabled = false;
    QString indicatorWhileDrawing;
    QTimer::singleShot(0, this, [&] {
        window = previewWindow();
        QVERIFY(window);
        commandsWereDisabled = !window->findChild<QPushButton*>("cmdclosepreview")->isEnabled()
            && !window->findChild<QToolButton*>("picpagedown")->isEnabled();
        indicatorWhileDrawing = indicator(window);
        window->close(); // the close box
    });
    showPrintPreview(*m_session, m_options);
    QVERIFY(commandsWereDisabled);
    QVERIFY(indicatorWhileDrawing.startsWith("Page 1"));
    QVERIFY(m_session->mainWindow.isEnabled());
    QVERIFY(!m_session->running);
    QTRY_VERIFY(window.isNull());
}

void TestPrintPreviewWindow::printFromPreview()
{
    QTemporaryDir dir;
    m_printer.spoolPath = dir.filePath("spooled.pdf");
    fill(m_session->table, { fileRow("a.txt") });
    showPrintPreview(*m_session, m_options);
    QWidget* window = previewWindow();
    QVERIFY(window);
    const QPointer<QWidget> guard(window);
    click(window, "cmdprint");
    QVERIFY(m_session->mainWindow.isEnabled());
    QTRY_COMPARE(m_printer.printersCreated, 1);
    QTRY_VERIFY(guard.isNull());
    QVERIFY(QFile::exists(m_printer.spoolPath));
}

QTEST_MAIN(TestPrintPreviewWindow)
#include "tst_printpreviewwindow.moc"
