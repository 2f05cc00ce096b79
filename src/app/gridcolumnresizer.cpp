#include "gridcolumnresizer.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTableView>

namespace {
constexpr int grabDistance = 3; // pixels either side of an edge
}

GridColumnResizer::GridColumnResizer(QTableView* grid)
    : QObject(grid)
    , m_grid(grid)
{
    grid->viewport()->installEventFilter(this);
    grid->viewport()->setMouseTracking(true);
    grid->installEventFilter(this);
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
    if (watched == m_grid)
        return leaveOnCtrlTab(event);
    auto* viewport = static_cast<QWidget*>(watched); // the grid may be part destroyed: ask it nothing here
    switch (event->type()) {
    case QEvent::MouseMove: {
        const int x = static_cast<QMouseEvent*>(event)->position().toPoint().x();
        if (m_column >= 0) {
            const int left = m_grid->horizontalHeader()->sectionViewportPosition(m_column);
            m_grid->setColumnWidth(m_column, std::max(grabDistance + 1, x - left + m_grabOffset));
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
