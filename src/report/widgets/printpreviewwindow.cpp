#include "printpreviewwindow.h"

#include "growinglayout.h"
#include "windowplacement.h"

#include "listingsession.h"
#include "messageservice.h"
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
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>

namespace {
constexpr int clientWidth = 6090;
constexpr int clientHeight = 8100;
// Fit, then steps that make the preview's 4-point text readable up to the size of print and beyond.
constexpr double zoomFactors[] = { 1, 1.5, 2, 3, 4, 6, 8 };
constexpr int zoomSteps = static_cast<int>(std::size(zoomFactors));

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

// The report of the session's listing.
class ListingDocument final : public PreviewDocument {
public:
    ListingDocument(ListingSession& session, const ReportOptions& options)
        : m_session(session)
        , m_options(options)
    {
    }

    std::optional<int> draw(ReportSurface& surface, const std::function<bool()>& afterRow) override
    {
        if (listingIsEmpty(m_session.listing()))
            return 0;
        m_runDate = runDateText(QDateTime::currentDateTime());
        ReportLayout layout = this->layout(surface);
        m_layout = &layout;
        // Each page is noted with the row it began in and where the report stood before that row.
        m_pageStarts.clear();
        RowMark before;
        qsizetype rowsDrawn = 0;
        const auto noteNewPages = [&] {
            while (static_cast<int>(m_pageStarts.size()) < layout.state().pageno)
                m_pageStarts.push_back(before);
        };
        const bool finished = drawReport(layout, m_session.listing(), [&] {
            noteNewPages();
            before = { ++rowsDrawn, layout.state(), surface.CurrentY() };
            return afterRow();
        });
        noteNewPages();
        m_layout = nullptr;
        return finished ? std::optional(layout.state().pageno) : std::nullopt;
    }
    int pageBeingDrawn() const override { return m_layout ? m_layout->state().pageno : 1; }
    bool drawsPagesAgain() const override { return true; }
    bool pagesEndByLineCount() const override
    {
        return ReportGeometry::preview().pageEnd == PageEndRule::LineCountReached;
    }
    bool drawPage(int index, PreviewPageSurface& surface) override
    {
        if (index < 0 || index >= static_cast<int>(m_pageStarts.size()))
            return false;
        const RowMark& start = m_pageStarts[static_cast<size_t>(index)];
        ReportLayout layout = this->layout(surface);
        m_layout = &layout;
        // Row 0 is the very start, header and all.
        if (start.row > 0) {
            surface.startAt(start.state.pageno - 1);
            layout.state() = start.state;
            surface.setCurrentY(start.cursorY);
        }
        (void)drawReport(
            layout, m_session.listing(), [&] { return layout.state().pageno <= index + 1; }, start.row);
        surface.EndDoc();
        m_layout = nullptr;
        return true;
    }

    std::function<void()> printCommand() const override
    {
        return [&session = m_session, &options = m_options] { ReportCommands(session, options).printlisting(); };
    }

private:
    struct RowMark {
        qsizetype row = 0;
        ReportRunState state;
        double cursorY = 0;
    };

    [[nodiscard]] ReportLayout layout(ReportSurface& surface) const
    {
        return { surface, ReportGeometry::preview(), m_options, [this] { return m_session.selectedPath(); },
            m_runDate };
    }

    ListingSession& m_session;
    const ReportOptions& m_options;
    QString m_runDate;
    std::vector<RowMark> m_pageStarts; // by page index
    const ReportLayout* m_layout = nullptr;
};
}

void showPrintPreview(ListingSession& session, const ReportOptions& options)
{
    const CommandScope scope(session);
    if (!scope.acquired())
        return;
    // A blank page would say the report is empty, not why: the command says it, as Print does.
    if (listingIsEmpty(session.listing())) {
        session.services().messages->show(session.window(),
            { QMessageBox::Warning, {}, PrintPreviewWindow::tr("Cannot preview report, List is empty"),
                QMessageBox::Ok });
        return;
    }
    // Parentless, so that disabling the main window leaves it usable; it deletes itself once closed.
    auto* window = new PrintPreviewWindow(
        std::make_unique<ListingDocument>(session, options), session.window(), session.services().printer);
    window->open();
}

PrintPreviewWindow::PrintPreviewWindow(
    std::unique_ptr<PreviewDocument> document, QWidget* owner, PrinterService* printers)
    : QWidget(nullptr, Qt::Window)
    , m_document(std::move(document))
    , m_mainWindow(owner)
    , m_printers(printers)
{
    setObjectName(QStringLiteral("frmprintpreview"));
    setWindowTitle(tr("Print Preview"));
    layoutControls();
    connectCommands();
    createShortcuts();
    setCommandsEnabled(false);
}

PrintPreviewWindow::~PrintPreviewWindow()
{
    if (m_mainWindow)
        m_mainWindow->setEnabled(true);
}

void PrintPreviewWindow::layoutControls()
{
    resize(Twips::size(clientWidth, clientHeight));
    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setGeometry(Twips::rect(600, 30, 1815, 255));

    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("scrPicture1"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setGeometry(Twips::rect(600, 360, 5055, 6615));
    m_scroll->viewport()->setAutoFillBackground(false);
    m_pages = new PreviewPageView;
    m_pages->setObjectName(QStringLiteral("Picture1"));
    m_pages->resize(m_scroll->size());
    m_scroll->setWidget(m_pages);

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

    // The design's size is the least; the page takes what the window gains, the buttons keep to the bottom.
    auto* layout = new GrowingLayout(this);
    layout->add(m_scroll, { 0, 0, 1, 1 });
    for (QWidget* paging : { static_cast<QWidget*>(m_pageUpFrame), static_cast<QWidget*>(m_pageDownFrame),
             static_cast<QWidget*>(m_pageUp), static_cast<QWidget*>(m_pageDown) })
        layout->add(paging, { 0.5, 1, 0, 0 });
    layout->add(m_print, { 0, 1, 0, 0 });
    layout->add(m_close, { 1, 1, 0, 0 });
    layout->fixDesign();
}

void PrintPreviewWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_pages->fittedSize().isValid())
        m_pages->fitInto(m_scroll->size());
}

void PrintPreviewWindow::connectCommands()
{
    connect(m_pageDown, &QToolButton::clicked, this, &PrintPreviewWindow::picpagedown_Click);
    connect(m_pageUp, &QToolButton::clicked, this, &PrintPreviewWindow::picPageup_Click);
    connect(m_print, &QPushButton::clicked, this, &PrintPreviewWindow::cmdprint_Click);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
}

void PrintPreviewWindow::createShortcuts()
{
    const auto add = [this](const QList<QKeySequence>& keys, auto command) {
        for (const QKeySequence& key : keys)
            connect(new QShortcut(key, this), &QShortcut::activated, this, command);
    };
    // Paging keys take the place of the page buttons, so they wait for the drawing to end as the buttons do.
    const auto addPaging = [this](Qt::Key key, auto command) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, this, command);
        m_pagingKeys.append(shortcut);
    };
    addPaging(Qt::Key_PageDown, &PrintPreviewWindow::picpagedown_Click);
    addPaging(Qt::Key_PageUp, &PrintPreviewWindow::picPageup_Click);
    addPaging(Qt::Key_Home, [this] { showPageOf(0); });
    addPaging(Qt::Key_End, [this] { showPageOf(std::max(0, lastpage)); });
    add({ QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal) }, [this] { zoomTo(m_zoomStep + 1); });
    add({ QKeySequence::ZoomOut }, [this] { zoomTo(m_zoomStep - 1); });
    add({ QKeySequence(Qt::CTRL | Qt::Key_0) }, [this] { zoomTo(0); });
    add({ QKeySequence(Qt::Key_Escape) }, [this] { close(); });
    connect(m_pages, &PreviewPageView::zoomStepRequested, this, [this](int steps) { zoomTo(m_zoomStep + steps); });
}

// Keeps the middle of what is in view in the middle.
void PrintPreviewWindow::zoomTo(int step)
{
    step = std::clamp(step, 0, zoomSteps - 1);
    if (step == m_zoomStep)
        return;
    m_zoomStep = step;
    QScrollBar* across = m_scroll->horizontalScrollBar();
    QScrollBar* down = m_scroll->verticalScrollBar();
    const QSize view = m_scroll->viewport()->size();
    const QSizeF before = m_pages->size();
    const QPointF middle((across->value() + view.width() / 2.0) / before.width(),
        (down->value() + view.height() / 2.0) / before.height());
    m_pages->setZoom(zoomFactors[step]);
    across->setValue(static_cast<int>(middle.x() * m_pages->width() - view.width() / 2.0));
    down->setValue(static_cast<int>(middle.y() * m_pages->height() - view.height() / 2.0));
}

void PrintPreviewWindow::showPageOf(int index)
{
    currentpage = index;
    drawPageIfGone(currentpage);
    m_pages->showPage(currentpage);
    setPageLabel(currentpage + 1, m_pages->pageCount());
}

// The pages are drawn afresh from the listing as it is now; nothing can change it while the preview is open.
void PrintPreviewWindow::drawPageIfGone(int index)
{
    if (m_pages->page(index))
        return;
    PreviewPageSurface surface([this] { return m_document->pageBeingDrawn(); });
    surface.recordsPage = [index](int drawn) { return drawn == index; };
    surface.measuresPagesNotKept = !m_document->pagesEndByLineCount();
    surface.pageFinished = [this](int drawn, PreviewPage page) { m_pages->setPage(drawn, std::move(page)); };
    (void)m_document->drawPage(index, surface);
}

void PrintPreviewWindow::setCommandsEnabled(bool enabled)
{
    for (QShortcut* key : std::as_const(m_pagingKeys))
        key->setEnabled(enabled);
    // Close stays usable while the pages are drawn: it stops the drawing.
    for (QWidget* command :
        { static_cast<QWidget*>(m_pageUp), static_cast<QWidget*>(m_pageDown), static_cast<QWidget*>(m_print) })
        command->setEnabled(enabled);
}

void PrintPreviewWindow::open()
{
    if (m_mainWindow)
        m_mainWindow->setEnabled(false);
    lastpage = 0;
    centreOnScreen(this);
    show();
    m_pages->scalepreviewpage(pageInches(m_printers));
    previewlisting();
}

void PrintPreviewWindow::previewlisting()
{
    m_label->setText(tr("Page 1"));
    m_drawing = true;
    PreviewPageSurface surface([this] { return m_document->pageBeingDrawn(); });
    surface.pageAdded = [this](int pageCount) {
        m_pages->setPageCount(pageCount);
        setPageLabel(1, pageCount);
    };
    // A document that can draw a page again keeps only the first one now; the others are drawn when shown.
    const bool drawsAgain = m_document->drawsPagesAgain();
    m_pages->setKeepsEveryPage(!drawsAgain);
    if (drawsAgain)
        surface.recordsPage = [](int index) { return index == 0; };
    surface.measuresPagesNotKept = !m_document->pagesEndByLineCount();
    surface.pageFinished = [this](int index, PreviewPage page) { m_pages->setPage(index, std::move(page)); };
    TimeSlicer slicer([] { QCoreApplication::processEvents(); });
    const std::optional<int> pageno = m_document->draw(surface, [&] {
        slicer.maybeTurn();
        return !m_closed;
    });
    m_drawing = false;
    if (!pageno) {
        deleteLater();
        return;
    }
    lastpage = *pageno - 1;
    currentpage = 0;
    m_pages->showPage(0);
    setPageLabel(1, m_pages->pageCount());
    setCommandsEnabled(true);
}

void PrintPreviewWindow::setPageLabel(int page, int pageCount)
{
    m_label->setText(tr("Page %1 of %2").arg(page).arg(pageCount));
}

void PrintPreviewWindow::picpagedown_Click() { showPageOf(currentpage + 1 > lastpage ? 0 : currentpage + 1); }

void PrintPreviewWindow::picPageup_Click()
{
    --currentpage;
    if (currentpage < 0) {
        currentpage = 0;
        m_label->setText(tr("Page 1"));
        return;
    }
    showPageOf(currentpage);
}

void PrintPreviewWindow::cmdprint_Click()
{
    const std::function<void()> print = m_document->printCommand();
    close();
    // Printed once the preview is gone, from the owner's own event handling.
    QTimer::singleShot(0, m_mainWindow ? static_cast<QObject*>(m_mainWindow.data()) : qApp, print);
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
