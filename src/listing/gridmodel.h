#pragma once

#include "listingtable.h"

#include <QAbstractTableModel>

// Shows one grid of a ListingTable: its data rows and the 24 spare rows, columns 0 to 3. The model learns
// of appended rows only at sync(), so a long walk notifies the view once per event-loop turn, not per row.
class GridModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    GridModel(const ListingTable& table, GridId grid, QObject* parent = nullptr);

    void sync();
    // Shows every entry of the listing, whichever grid holds it: a listing past the grids' limit is seen whole.
    void setWholeListing(bool whole);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    [[nodiscard]] int entriesShown() const;

    const ListingTable& m_table;
    GridId m_grid;
    bool m_whole = false;
    int m_shownEntries = 0;
    int m_generation = 0;
};
