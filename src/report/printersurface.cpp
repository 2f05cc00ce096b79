#include "printersurface.h"

#include "twips.h"

#include <QPrinter>

PrinterSurface::PrinterSurface(QPrinter& printer)
    : m_printer(printer)
    , m_font(QFont(), &printer)
    , m_metrics(m_font, &printer)
    , m_twipsPerPixelX(double(Twips::perInch) / printer.logicalDpiX())
    , m_twipsPerPixelY(double(Twips::perInch) / printer.logicalDpiY())
    , m_pixelsPerTwipX(printer.logicalDpiX() / double(Twips::perInch))
    , m_pixelsPerTwipY(printer.logicalDpiY() / double(Twips::perInch))
{
    m_font.setPointSize(startPoints);
    applyFont();
}

PrinterSurface::~PrinterSurface()
{
    if (m_painter.isActive())
        m_painter.end();
}

double PrinterSurface::CurrentX() const
{
    if (!m_unmeasured.isEmpty()) {
        m_measuredX += m_metrics.horizontalAdvance(m_unmeasured) * m_twipsPerPixelX;
        m_unmeasured.clear();
    }
    return m_measuredX;
}

void PrinterSurface::setCurrentX(double x)
{
    m_unmeasured.clear();
    m_measuredX = x;
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
    m_painter.setFont(m_font);
    m_painter.setPen(Qt::black);
    return true;
}

void PrinterSurface::draw(const QString& text)
{
    if (text.isEmpty() || !ensureStarted())
        return;
    const double x = CurrentX();
    m_painter.drawText(QPointF(x * m_pixelsPerTwipX, m_y * m_pixelsPerTwipY + m_metrics.ascent()), text);
}

void PrinterSurface::PrintText(const QString& text)
{
    draw(text);
    CurrentX(); // settle the earlier text before this one is appended
    m_unmeasured = text;
}

void PrinterSurface::PrintLine(const QString& text)
{
    draw(text);
    // An empty line begins the document as well, so that blank lines stand where they should.
    static_cast<void>(ensureStarted());
    setCurrentX(0);
    m_y += m_metrics.lineSpacing() * m_twipsPerPixelY;
}

void PrinterSurface::SetFont(int points)
{
    CurrentX();
    m_font.setPointSize(points);
    applyFont();
}

void PrinterSurface::applyFont()
{
    m_metrics = QFontMetricsF(m_font, &m_printer);
    if (m_painter.isActive())
        m_painter.setFont(m_font);
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
    setCurrentX(0);
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
