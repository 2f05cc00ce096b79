#include "gridcolumnresizer.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <cmath>
#include <numeric>

namespace {
constexpr int grabDistance = 3; // pixels either side of an edge
constexpr size_t nameColumn = 1;
}

GridColumnResizer::GridColumnResizer(QTableView* grid)
    : QObject(grid)
    , m_grid(grid)
{
    grid->viewport()->installEventFilter(this);
    grid->viewport()->setMouseTracking(true);
    grid->installEventFilter(this);
}

void GridColumnResizer::fixDesign()
{
    m_designGridWidth = m_grid->width();
    const int columns = m_grid->model() ? m_grid->model()->columnCount() : 0;
    m_designWidths.assign(columns, 0.0);
    m_minimumWidths.resize(columns, 0);
    for (int column = 0; column < columns; ++column)
        m_designWidths[column] = m_grid->columnWidth(column);
}

void GridColumnResizer::setMinimumWidth(int column, int width)
{
    if (column < 0 || column >= static_cast<int>(m_minimumWidths.size()) || m_minimumWidths[column] == width)
        return;
    m_minimumWidths[column] = width;
    applyWidths();
}

double GridColumnResizer::growth() const
{
    return m_designGridWidth > 0 ? std::max(1.0, double(m_grid->width()) / m_designGridWidth) : 1.0;
}

void GridColumnResizer::applyWidths()
{
    const double factor = growth();
    std::vector<int> widths(m_designWidths.size());
    for (size_t column = 0; column < m_designWidths.size(); ++column) {
        // The thin first column stays as drawn: it only holds the row's mark.
        const double scaled = column == 0 ? m_designWidths[column] : m_designWidths[column] * factor;
        widths[column] = std::max(int(std::lround(scaled)), m_minimumWidths[column]);
    }
    // Dates with their zone are wider than the design allowed for: where the widest texts overrun the room, the
    // name column gives way, down to half its width, so that sizes and dates show whole with no sideways scroll.
    if (widths.size() > nameColumn) {
        const int room = m_grid->maximumViewportSize().width()
            - m_grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_grid->verticalScrollBar());
        const int overrun = std::accumulate(widths.begin(), widths.end(), 0) - room;
        if (overrun > 0)
            widths[nameColumn]
                = std::max({ widths[nameColumn] - overrun, widths[nameColumn] / 2, m_minimumWidths[nameColumn] });
    }
    for (size_t column = 0; column < widths.size(); ++column)
        m_grid->setColumnWidth(int(column), widths[column]);
}

void GridColumnResizer::setWidth(int column, int width)
{
    m_grid->setColumnWidth(column, width);
    if (column < static_cast<int>(m_designWidths.size()))
        m_designWidths[column] = column == 0 ? width : width / growth();
}

int GridColumnResizer::edgeNear(int x) const
{
    const QHeaderView* header = m_grid->horizontalHeader();
    for (int column = 0; column < header->count(); ++column) {
        const int edge = header->sectionViewportPosition(column) + header->sectionSize(column);
        if (std::abs(x - edge) <= grabDistance && header->sectionSize(column) > grabDistance)
            return column;
    }
    return -1;
}

bool GridColumnResizer::leaveOnCtrlTab(QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!(key->modifiers() & Qt::ControlModifier) || (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab))
        return false;
    const bool next = key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
    QWidget* target = next ? m_grid->nextInFocusChain() : m_grid->previousInFocusChain();
    while (target != m_grid && !(target->isVisible() && target->isEnabled() && (target->focusPolicy() & Qt::TabFocus)))
        target = next ? target->nextInFocusChain() : target->previousInFocusChain();
    target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

bool GridColumnResizer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid) {
        if (event->type() == QEvent::Resize && m_designGridWidth > 0)
            applyWidths();
        return leaveOnCtrlTab(event);
    }
    auto* viewport = static_cast<QWidget*>(watched); // the grid may be part destroyed: ask it nothing here
    switch (event->type()) {
    case QEvent::MouseMove: {
        const int x = static_cast<QMouseEvent*>(event)->position().toPoint().x();
        if (m_column >= 0) {
            const int left = m_grid->horizontalHeader()->sectionViewportPosition(m_column);
            setWidth(m_column, std::max(grabDistance + 1, x - left + m_grabOffset));
            return true;
        }
        if (edgeNear(x) >= 0)
            viewport->setCursor(Qt::SplitHCursor);
        else
            viewport->unsetCursor();
        return false;
    }
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const int x = mouse->position().toPoint().x();
        m_column = mouse->button() == Qt::LeftButton ? edgeNear(x) : -1;
        if (m_column < 0)
            return false;
        const QHeaderView* header = m_grid->horizontalHeader();
        m_grabOffset = header->sectionViewportPosition(m_column) + header->sectionSize(m_column) - x;
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (m_column < 0)
            return false;
        m_column = -1;
        return true;
    case QEvent::Leave:
        if (m_column < 0)
            viewport->unsetCursor();
        return false;
    default:
        return false;
    }
}
