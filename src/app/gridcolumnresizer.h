#pragma once

#include <QObject>
#include <vector>

class QTableView;

// Lets the user widen or narrow a column of a grid whose title row is too thin to grab, by dragging the edge
// between two cells anywhere in the grid. As the grid grows past its design width the columns keep their
// proportions, a dragged width included; a column never gets narrower than its minimum. Ctrl+Tab and
// Ctrl+Shift+Tab leave the grid, inside which Tab moves from cell to cell. Nothing is kept once the program ends.
class GridColumnResizer final : public QObject {
    Q_OBJECT
public:
    explicit GridColumnResizer(QTableView* grid);

    // The grid's width and column widths as they are now are the design.
    void fixDesign();
    void setMinimumWidth(int column, int width);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    [[nodiscard]] int edgeNear(int x) const; // the column whose right edge is at x, or -1
    bool leaveOnCtrlTab(QEvent* event);
    [[nodiscard]] double growth() const;
    void applyWidths();
    void setWidth(int column, int width);

    QTableView* m_grid;
    int m_column = -1; // the column being dragged
    int m_grabOffset = 0;
    int m_designGridWidth = 0;
    std::vector<double> m_designWidths; // at the design width of the grid
    std::vector<int> m_minimumWidths;
};
