#pragma once

#include <QObject>

class QTableView;

// Lets the user widen or narrow a column of a grid whose title row is too thin to grab, by dragging the edge
// between two cells anywhere in the grid. Ctrl+Tab and Ctrl+Shift+Tab leave the grid, inside which Tab moves
// from cell to cell. Nothing is kept once the program ends.
class GridColumnResizer final : public QObject {
    Q_OBJECT
public:
    explicit GridColumnResizer(QTableView* grid);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    [[nodiscard]] int edgeNear(int x) const; // the column whose right edge is at x, or -1
    bool leaveOnCtrlTab(QEvent* event);

    QTableView* m_grid;
    int m_column = -1; // the column being dragged
    int m_grabOffset = 0;
};
