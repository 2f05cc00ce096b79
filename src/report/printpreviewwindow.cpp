#include "printpreviewwindow.h"

#include "windowplacement.h"

#include "listingsession.h"
#include "platformservices.h"
#include "previewpagesurface.h"
#include "previewpageview.h"
#include "printerservice.h"
#include "reportcommands.h"
#include "reportlayout.h"
#include "timeslicer.h"
#include "twips.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

namespace {
constexpr int clientWidth = 6090;
constexpr int clientHeight = 8100;

QSizeF pageInches(PrinterService* printers)
{
    const QPageLayout layout = printers ? printers->pageLayout() : PrinterService::fallbackPageLayout();
    return layout.fullRect(QPageLayout::Inch).size();
}

QToolButton* pageButton(
    QWidget* parent, const char* objectName, const QString& toolTip, const QString& themeIcon, const QString& ownIcon)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(objectName));
    button->setToolTip(toolTip);
    button->setAutoRaise(true);
    button->setIcon(QIcon::fromTheme(themeIcon, QIcon(ownIcon)));
    button->setIconSize(Twips::size(375, 375));
    return button;
}
}

void showPrintPreview(ListingSession& session, const ReportOptions& options)
{
    const CommandScope scope(session);
    if (!scope.acquired())
        return;
    // Parentless, so that disabling the main window leaves it usable; it deletes itself once closed.
    auto* window = new PrintPreviewWindow(session, options);
    window->open();
}

PrintPreviewWindow::PrintPreviewWindow(ListingSession& session, const ReportOptions& options)
    : QWidget(nullptr, Qt::Window)
    , m_session(session)
    , m_options(options)
    , m_mainWindow(session.window())
{
    setObjectName(QStringLiteral("frmprintpreview"));
    setWindowTitle(tr("Print Preview"));
    layoutControls();
    connectCommands();
    setCommandsEnabled(false);
}

PrintPreviewWindow::~PrintPreviewWindow()
{
    if (m_mainWindow)
        m_mainWindow->setEnabled(true);
}

void PrintPreviewWindow::layoutControls()
{
    setFixedSize(Twips::size(clientWidth, clientHeight));
    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setGeometry(Twips::rect(600, 30, 1815, 255));

    m_pages = new PreviewPageView(this);
    m_pages->setObjectName(QStringLiteral("Picture1"));
    m_pages->setGeometry(Twips::rect(600, 360, 5055, 6615));

    m_pageUpFrame = new QFrame(this);
    m_pageUpFrame->setObjectName(QStringLiteral("frame2"));
    m_pageUpFrame->setFrameShape(QFrame::Box);
    m_pageUpFrame->setGeometry(Twips::rect(2400, 7080, 735, 855));
    m_pageDownFrame = new QFrame(this);
    m_pageDownFrame->setObjectName(QStringLiteral("Frame1"));
    m_pageDownFrame->setFrameShape(QFrame::Box);
    m_pageDownFrame->setGeometry(Twips::rect(3120, 7080, 735, 855));

    m_pageUp
        = pageButton(this, "picPageup", tr("Page Up"), QStringLiteral("go-up"), QStringLiteral(":/report/pageup.svg"));
    m_pageUp->setGeometry(Twips::rect(2520, 7320, 495, 495));
    m_pageDown = pageButton(
        this, "picpagedown", tr("Page Down"), QStringLiteral("go-down"), QStringLiteral(":/report/pagedown.svg"));
    m_pageDown->setGeometry(Twips::rect(3240, 7320, 495, 495));

    m_print = new QPushButton(tr("Print Report"), this);
    m_print->setObjectName(QStringLiteral("cmdprint"));
    m_print->setGeometry(Twips::rect(840, 7200, 1215, 495));
    m_close = new QPushButton(tr("Close"), this);
    m_close->setObjectName(QStringLiteral("cmdclosepreview"));
    m_close->setGeometry(Twips::rect(4320, 7200, 1215, 495));
}

void PrintPreviewWindow::connectCommands()
{
    connect(m_pageDown, &QToolButton::clicked, this, &PrintPreviewWindow::picpagedown_Click);
    connect(m_pageUp, &QToolButton::clicked, this, &PrintPreviewWindow::picPageup_Click);
    connect(m_print, &QPushButton::clicked, this, &PrintPreviewWindow::cmdprint_Click);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
}

void PrintPreviewWindow::setCommandsEnabled(bool enabled)
{
    for (QWidget* command : { static_cast<QWidget*>(m_pageUp), static_cast<QWidget*>(m_pageDown),
             static_cast<QWidget*>(m_print), static_cast<QWidget*>(m_close) })
        command->setEnabled(enabled);
}

void PrintPreviewWindow::open()
{
    if (m_mainWindow)
        m_mainWindow->setEnabled(false);
    lastpage = 0;
    centreOnScreen(this);
    show();
    m_pages->scalepreviewpage(pageInches(m_session.services().printer));
    previewlisting();
}

void PrintPreviewWindow::previewlisting()
{
    m_label->setText(tr("Page 1"));
    int pageno = 0;
    if (!listingIsEmpty(m_session.listing())) {
        m_drawing = true;
        const ReportLayout* layoutSeen = nullptr;
        PreviewPageSurface surface([&layoutSeen] { return layoutSeen ? layoutSeen->state().pageno : 1; });
        surface.pageAdded = [this](int pageCount) { setPageLabel(1, pageCount); };
        surface.pageFinished = [this](int index, const PreviewPage& page) { m_pages->setPage(index, page); };
        ReportLayout layout(
            surface, ReportGeometry::preview(), m_options, [this] { return m_session.selectedPath(); },
            runDateText(QDateTime::currentDateTime()));
        layoutSeen = &layout;
        TimeSlicer slicer([] { QCoreApplication::processEvents(); });
        const bool finished = drawReport(layout, m_session.listing(), [&] {
            slicer.maybeTurn();
            return !m_closed;
        });
        m_drawing = false;
        if (!finished) {
            deleteLater();
            return;
        }
        pageno = layout.state().pageno;
    }
    lastpage = pageno - 1;
    currentpage = 0;
    m_pages->showPage(0);
    setPageLabel(1, m_pages->pageCount());
    setCommandsEnabled(true);
}

void PrintPreviewWindow::setPageLabel(int page, int pageCount)
{
    m_label->setText(tr("Page %1 of %2").arg(page).arg(pageCount));
}

void PrintPreviewWindow::picpagedown_Click()
{
    ++currentpage;
    if (currentpage > lastpage)
        currentpage = 0;
    m_pages->showPage(currentpage);
    setPageLabel(currentpage + 1, m_pages->pageCount());
}

void PrintPreviewWindow::picPageup_Click()
{
    --currentpage;
    if (currentpage < 0) {
        currentpage = 0;
        m_label->setText(tr("Page 1"));
        return;
    }
    m_pages->showPage(currentpage);
    setPageLabel(currentpage + 1, m_pages->pageCount());
}

void PrintPreviewWindow::cmdprint_Click()
{
    close();
    // Printed once the preview is gone, from the main window's own event handling.
    ListingSession& session = m_session;
    const ReportOptions& options = m_options;
    QTimer::singleShot(0, m_mainWindow ? static_cast<QObject*>(m_mainWindow.data()) : qApp,
        [&session, &options] { ReportCommands(session, options).printlisting(); });
}

void PrintPreviewWindow::closeEvent(QCloseEvent* event)
{
    m_closed = true;
    if (m_mainWindow) {
        m_mainWindow->setEnabled(true);
        m_mainWindow->activateWindow();
        m_mainWindow->setFocus();
    }
    event->accept();
    // While drawing, the drawing loop ends first and deletes the window on its way out.
    if (!m_drawing)
        deleteLater();
}
