#include "previewpageview.h"

#include <QPainter>
#include <QWheelEvent>
#include <cmath>

PreviewPageView::PreviewPageView(QWidget* parent)
    : QWidget(parent)
{
    setAutoFillBackground(false);
}

void PreviewPageView::scalepreviewpage(QSizeF pageInches)
{
    if (pageInches.isEmpty())
        return;
    m_pageInches = pageInches;
    fitInto(size());
}

void PreviewPageView::fitInto(QSize room)
{
    const double heightRatio = room.height() / m_pageInches.height();
    const double widthRatio = room.width() / m_pageInches.width();
    if (heightRatio < widthRatio)
        m_fitted = QSize(static_cast<int>(std::lround(m_pageInches.width() * heightRatio)), room.height());
    else
        m_fitted = QSize(room.width(), static_cast<int>(std::lround(m_pageInches.height() * widthRatio)));
    setZoom(m_zoom);
}

void PreviewPageView::setZoom(double zoom)
{
    m_zoom = zoom;
    if (m_fitted.isValid())
        resize(m_fitted * zoom);
}

void PreviewPageView::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier) || event->angleDelta().y() == 0) {
        event->ignore(); // scrolls the page
        return;
    }
    emit zoomStepRequested(event->angleDelta().y() > 0 ? 1 : -1);
    event->accept();
}

void PreviewPageView::setPage(int index, PreviewPage page)
{
    if (index < 0)
        return;
    m_pageCount = std::max(m_pageCount, index + 1);
    m_pages[index] = std::move(page);
    std::erase(m_setOrder, index);
    m_setOrder.push_back(index);
    // The page on show stays, whatever its age.
    for (auto oldest = m_setOrder.begin(); !m_keepsEveryPage && m_setOrder.size() > keptPages;) {
        if (*oldest == m_onShow) {
            ++oldest;
            continue;
        }
        m_pages.erase(*oldest);
        oldest = m_setOrder.erase(oldest);
    }
    if (index == m_onShow)
        update();
}

const PreviewPage* PreviewPageView::page(int index) const
{
    const auto found = m_pages.find(index);
    return found == m_pages.end() ? nullptr : &found->second;
}

void PreviewPageView::showPage(int index)
{
    if (index < 0 || index >= pageCount() || index == m_onShow)
        return;
    m_onShow = index;
    update();
}

void PreviewPageView::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(width() / (m_pageInches.width() * PreviewPageSurface::unitsPerInch),
        height() / (m_pageInches.height() * PreviewPageSurface::unitsPerInch));
    if (const PreviewPage* shown = page(m_onShow))
        shown->play(painter);
}
