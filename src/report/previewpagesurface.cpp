#include "previewpagesurface.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {
QFont previewFont()
{
    QFont font;
    font.setPixelSize(
        static_cast<int>(std::lround(PreviewPageSurface::fontPoints * PreviewPageSurface::unitsPerInch / 72)));
    return font;
}
}

PreviewPageSurface::PreviewPageSurface(QSizeF pageInches, std::function<int()> pageBeingDrawn)
    : m_pageBeingDrawn(std::move(pageBeingDrawn))
    , m_pageInches(pageInches)
    , m_font(previewFont())
    , m_metrics(m_font)
{
    m_pages.push_back(std::make_unique<Page>());
    m_pages.back()->number = 1;
}

PreviewPageSurface::~PreviewPageSurface()
{
    if (m_painter.isActive())
        m_painter.end();
}

PreviewPageSurface::Page& PreviewPageSurface::drawingPage() const
{
    const int page = m_pageBeingDrawn ? m_pageBeingDrawn() : pageCount();
    return *m_pages.at(static_cast<size_t>(std::clamp(page, 1, pageCount()) - 1));
}

double PreviewPageSurface::CurrentX() const
{
    Page& page = drawingPage();
    if (!page.unmeasured.isEmpty()) {
        page.cursor.rx() += m_metrics.horizontalAdvance(page.unmeasured) / unitsPerInch;
        page.unmeasured.clear();
    }
    return page.cursor.x();
}

double PreviewPageSurface::CurrentY() const { return drawingPage().cursor.y(); }

void PreviewPageSurface::setCurrentX(double x)
{
    Page& page = drawingPage();
    page.unmeasured.clear();
    page.cursor.setX(x);
}

void PreviewPageSurface::setCurrentY(double y) { drawingPage().cursor.setY(y); }

QPainter& PreviewPageSurface::painterFor(Page& page)
{
    if (m_paintedPage != &page) {
        // Pages are drawn in order, so a page left behind is complete.
        finishUpTo(page.number - 1);
        if (m_painter.isActive())
            m_painter.end();
        m_painter.begin(&page.picture);
        m_painter.setFont(m_font);
        m_painter.setPen(Qt::black);
        m_paintedPage = &page;
    }
    return m_painter;
}

void PreviewPageSurface::draw(const QString& text)
{
    const double x = CurrentX();
    Page& page = drawingPage();
    if (text.isEmpty() || page.finished)
        return;
    painterFor(page).drawText(QPointF(x * unitsPerInch, page.cursor.y() * unitsPerInch + m_metrics.ascent()), text);
}

void PreviewPageSurface::PrintText(const QString& text)
{
    draw(text);
    drawingPage().unmeasured = text;
}

void PreviewPageSurface::PrintLine(const QString& text)
{
    draw(text);
    Page& page = drawingPage();
    page.unmeasured.clear();
    page.cursor = QPointF(0, page.cursor.y() + m_metrics.lineSpacing() / unitsPerInch);
}

void PreviewPageSurface::NewPage()
{
    m_pages.push_back(std::make_unique<Page>());
    m_pages.back()->number = pageCount();
    if (pageAdded)
        pageAdded(pageCount());
}

void PreviewPageSurface::finishUpTo(int pageNumber)
{
    for (int i = 0; i < pageNumber && i < pageCount(); ++i) {
        Page& page = *m_pages[static_cast<size_t>(i)];
        if (page.finished)
            continue;
        if (m_paintedPage == &page) {
            m_painter.end();
            m_paintedPage = nullptr;
        }
        page.finished = true;
        if (pageFinished)
            pageFinished(i, page.picture);
    }
}
