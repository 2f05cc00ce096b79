#include "printersurface.h"

#include <QPrinter>

PrinterSurface::PrinterSurface(QPagedPaintDevice& device)
    : PrintedPageSurface(device)
    , m_device(device)
{
}

PrinterSurface::~PrinterSurface()
{
    if (m_painter.isActive())
        m_painter.end();
}

bool PrinterSurface::startDocument()
{
    if (!m_painter.begin(&m_device))
        return false;
    m_painter.setFont(shaper().font());
    m_painter.setPen(Qt::black);
    return true;
}

bool PrinterSurface::startNextPage() { return m_device.newPage(); }

bool PrinterSurface::finishDocument()
{
    const auto* printer = dynamic_cast<const QPrinter*>(&m_device);
    return m_painter.end() && (!printer || printer->printerState() != QPrinter::Error);
}

void PrinterSurface::drawText(const QString&, const TextShaper::ShapedText& shaped, const QPointF& topLeft)
{
    for (const QGlyphRun& run : shaped.runs)
        m_painter.drawGlyphRun(topLeft, run);
}

void PrinterSurface::fontChanged()
{
    if (m_painter.isActive())
        m_painter.setFont(shaper().font());
}
