#include "previewpageview.h"

#include <QPainter>
#include <QWheelEvent>
#include <cmath>

PreviewPageView::PreviewPageView(QWidget* parent)
    : QWidget(parent)
    , m_pages(1)
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

void PreviewPageView::setPage(int index, const PreviewPage& page)
{
    if (index < 0)
        return;
    if (index >= pageCount())
        m_pages.resize(static_cast<size_t>(index) + 1);
    m_pages[static_cast<size_t>(index)] = page;
    if (index == m_onShow)
        update();
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
    m_pages[static_cast<size_t>(m_onShow)].play(painter);
}
