#include "printersurface.h"

#include <QPrinter>

PrinterSurface::PrinterSurface(QPrinter& printer)
    : PrintedPageSurface(printer)
    , m_printer(printer)
{
}

PrinterSurface::~PrinterSurface()
{
    if (m_painter.isActive())
        m_painter.end();
}

bool PrinterSurface::startDocument()
{
    if (!m_painter.begin(&m_printer))
        return false;
    m_painter.setFont(shaper().font());
    m_painter.setPen(Qt::black);
    return true;
}

bool PrinterSurface::startNextPage() { return m_printer.newPage(); }

bool PrinterSurface::finishDocument() { return m_painter.end() && m_printer.printerState() != QPrinter::Error; }

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
