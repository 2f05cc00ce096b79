#include "printedpagesurface.h"

#include "twips.h"

#include <QPaintDevice>

PrintedPageSurface::PrintedPageSurface(QPaintDevice& device)
    : m_shaper(device, startPoints)
    , m_twipsPerPixelX(double(Twips::perInch) / device.logicalDpiX())
    , m_twipsPerPixelY(double(Twips::perInch) / device.logicalDpiY())
{
}

bool PrintedPageSurface::ensureStarted()
{
    if (m_failed)
        return false;
    if (m_started)
        return true;
    if (!startDocument()) {
        m_failed = true;
        return false;
    }
    m_started = true;
    m_pages = 1;
    return true;
}

void PrintedPageSurface::draw(const QString& text, const TextShaper::ShapedText& shaped)
{
    if (!shaped.runs.isEmpty() && ensureStarted())
        drawText(text, shaped, QPointF(m_x / m_twipsPerPixelX, m_y / m_twipsPerPixelY));
}

void PrintedPageSurface::PrintText(const QString& text)
{
    if (text.isEmpty())
        return;
    const TextShaper::ShapedText& shaped = m_shaper.shaped(text);
    draw(text, shaped);
    m_x += shaped.width * m_twipsPerPixelX;
}

void PrintedPageSurface::PrintLine(const QString& text)
{
    if (!text.isEmpty())
        draw(text, m_shaper.shaped(text));
    // An empty line begins the document as well, so that blank lines stand where they should.
    static_cast<void>(ensureStarted());
    m_x = 0;
    m_y += m_shaper.lineSpacing() * m_twipsPerPixelY;
}

void PrintedPageSurface::SetFont(int points)
{
    m_shaper.setPointSize(points);
    fontChanged();
}

void PrintedPageSurface::NewPage()
{
    if (!ensureStarted())
        return;
    if (!startNextPage()) {
        m_failed = true;
        return;
    }
    ++m_pages;
    m_x = 0;
    m_y = 0;
}

void PrintedPageSurface::EndDoc()
{
    if (!m_started)
        return;
    m_started = false;
    if (!finishDocument())
        m_failed = true;
}
