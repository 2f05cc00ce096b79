#include "printersurface.h"

#include "twips.h"

#include <QPrinter>

PrinterSurface::PrinterSurface(QPrinter& printer)
    : m_printer(printer)
    , m_shaper(printer, startPoints)
    , m_twipsPerPixelX(double(Twips::perInch) / printer.logicalDpiX())
    , m_twipsPerPixelY(double(Twips::perInch) / printer.logicalDpiY())
    , m_pixelsPerTwipX(printer.logicalDpiX() / double(Twips::perInch))
    , m_pixelsPerTwipY(printer.logicalDpiY() / double(Twips::perInch))
{
}

PrinterSurface::~PrinterSurface()
{
    if (m_painter.isActive())
        m_painter.end();
}

bool PrinterSurface::ensureStarted()
{
    if (m_failed)
        return false;
    if (m_started)
        return true;
    if (!m_painter.begin(&m_printer)) {
        m_failed = true;
        return false;
    }
    m_started = true;
    m_pages = 1;
    m_painter.setFont(m_shaper.font());
    m_painter.setPen(Qt::black);
    return true;
}

void PrinterSurface::draw(const TextShaper::ShapedText& text)
{
    if (text.runs.isEmpty() || !ensureStarted())
        return;
    const QPointF topLeft(m_x * m_pixelsPerTwipX, m_y * m_pixelsPerTwipY);
    for (const QGlyphRun& run : text.runs)
        m_painter.drawGlyphRun(topLeft, run);
}

void PrinterSurface::PrintText(const QString& text)
{
    if (text.isEmpty())
        return;
    const TextShaper::ShapedText& shapedText = m_shaper.shaped(text);
    draw(shapedText);
    m_x += shapedText.width * m_twipsPerPixelX;
}

void PrinterSurface::PrintLine(const QString& text)
{
    if (!text.isEmpty())
        draw(m_shaper.shaped(text));
    // An empty line begins the document as well, so that blank lines stand where they should.
    static_cast<void>(ensureStarted());
    m_x = 0;
    m_y += m_shaper.lineSpacing() * m_twipsPerPixelY;
}

void PrinterSurface::SetFont(int points)
{
    m_shaper.setPointSize(points);
    if (m_painter.isActive())
        m_painter.setFont(m_shaper.font());
}

void PrinterSurface::NewPage()
{
    if (!ensureStarted())
        return;
    if (!m_printer.newPage()) {
        m_failed = true;
        return;
    }
    ++m_pages;
    m_x = 0;
    m_y = 0;
}

void PrinterSurface::EndDoc()
{
    if (!m_started)
        return;
    m_started = false;
    if (!m_painter.end() || m_printer.printerState() == QPrinter::Error)
        m_failed = true;
}
