#include "previewpagesurface.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <utility>

void PreviewPage::play(QPainter& painter) const
{
    painter.setFont(PreviewPageSurface::font());
    painter.setPen(Qt::black);
    for (const Text& text : texts)
        painter.drawText(text.baseline * PreviewPageSurface::unitsPerInch, text.text);
}

QFont PreviewPageSurface::font()
{
    QFont font;
    font.setPixelSize(static_cast<int>(std::lround(fontPoints * unitsPerInch / 72)));
    return font;
}

PreviewPageSurface::PreviewPageSurface(std::function<int()> pageBeingDrawn)
    : m_pageBeingDrawn(std::move(pageBeingDrawn))
    , m_metrics(font())
    , m_ascent(m_metrics.ascent() / unitsPerInch)
    , m_lineHeight(m_metrics.lineSpacing() / unitsPerInch)
{
    m_pages.push_back(std::make_unique<Page>());
}

int PreviewPageSurface::drawingIndex() const
{
    const int page = m_pageBeingDrawn ? m_pageBeingDrawn() : pageCount();
    return std::clamp(page, m_firstIndex + 1, pageCount()) - 1;
}

double PreviewPageSurface::CurrentX() const
{
    Page& page = drawingPage();
    if (!measuresPagesNotKept && recordsPage && !recordsPage(drawingIndex()))
        page.unmeasured.clear();
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

void PreviewPageSurface::draw(const QString& text)
{
    const double x = CurrentX();
    // Pages are drawn in order, so drawing on a later page completes the earlier ones.
    finishUpTo(drawingIndex());
    Page& page = drawingPage();
    if (!text.isEmpty() && !page.finished && (!recordsPage || recordsPage(drawingIndex())))
        page.picture.texts.push_back({ QPointF(x, page.cursor.y() + m_ascent), text });
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
    page.cursor = QPointF(0, page.cursor.y() + m_lineHeight);
}

void PreviewPageSurface::NewPage()
{
    m_pages.push_back(std::make_unique<Page>());
    if (pageAdded)
        pageAdded(pageCount());
}

void PreviewPageSurface::finishUpTo(int pageNumber)
{
    // Pages finish in order: the loop starts past the last one finished, so a long report does not slow down.
    for (int i = std::max(m_firstIndex, m_finishedBefore); i < pageNumber && i < pageCount(); ++i) {
        Page& page = *m_pages[static_cast<size_t>(i - m_firstIndex)];
        m_finishedBefore = i + 1;
        if (page.finished)
            continue;
        page.finished = true;
        PreviewPage picture = std::exchange(page.picture, {});
        if (pageFinished && (!recordsPage || recordsPage(i)))
            pageFinished(i, std::move(picture));
    }
}
