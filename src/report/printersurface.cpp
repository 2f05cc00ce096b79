#include "printersurface.h"

#include <QPrinter>
#include <algorithm>

PrinterSurface::PrinterSurface(QPagedPaintDevice& device)
    : PrintedPageSurface(device)
    , m_device(device)
{
    // A spooler is handed the range with the job and picks the pages itself; a file must hold only those.
    const auto* printer = dynamic_cast<const QPrinter*>(&device);
    if (printer && printer->outputFormat() == QPrinter::PdfFormat)
        m_ranges = printer->pageRanges();
}

PrinterSurface::~PrinterSurface()
{
    if (m_painter.isActive()) {
        drawPendingLine();
        m_painter.end();
    }
}

bool PrinterSurface::startDocument()
{
    if (!m_painter.begin(&m_device))
        return false;
    m_painter.setFont(shaper().font());
    m_painter.setPen(Qt::black);
    return true;
}

bool PrinterSurface::startNextPage()
{
    drawPendingLine();
    if (!shows(pagesStarted() + 1))
        return true;
    // The device starts on its first page; a later page of the range needs a new one.
    const bool needsPage = m_pageShown;
    m_pageShown = true;
    return !needsPage || m_device.newPage();
}

bool PrinterSurface::finishDocument()
{
    const auto* printer = dynamic_cast<const QPrinter*>(&m_device);
    drawPendingLine();
    return m_painter.end() && (!printer || printer->printerState() != QPrinter::Error);
}

void PrinterSurface::drawText(const QString& /*text*/, const TextShaper::ShapedText& shaped, const QPointF& topLeft)
{
    if (!shows(pagesStarted()))
        return;
    m_pageShown = true;
    if (!m_pending.isEmpty() && topLeft.y() != m_pendingY)
        drawPendingLine();
    m_pendingY = topLeft.y();
    for (const QGlyphRun& run : shaped.runs) {
        auto same = std::find_if(m_pending.begin(), m_pending.end(),
            [&](const PendingRun& pending) { return pending.font == run.rawFont(); });
        if (same == m_pending.end())
            same = m_pending.insert(m_pending.end(), { run.rawFont(), {}, {} });
        same->glyphs.append(run.glyphIndexes());
        for (const QPointF& position : run.positions())
            same->positions.append(topLeft + position);
    }
}

// Each glyph run the engine is given costs a graphics state, a colour and a font selection in the page's
// content, so the cells of a line are drawn together, one run for each font they use.
void PrinterSurface::drawPendingLine()
{
    for (const PendingRun& pending : std::as_const(m_pending)) {
        QGlyphRun run;
        run.setRawFont(pending.font);
        run.setGlyphIndexes(pending.glyphs);
        run.setPositions(pending.positions);
        m_painter.drawGlyphRun(QPointF(), run);
    }
    m_pending.clear();
}

void PrinterSurface::fontChanged()
{
    drawPendingLine();
    if (m_painter.isActive())
        m_painter.setFont(shaper().font());
}
