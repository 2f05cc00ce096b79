#include "listingtable.h"

#include <algorithm>

void ListingTable::updatetable(const QString& name, const QString& size, const QString& datecreated)
{
    m_entries.push_back({ name, size, datecreated });
}

void ListingTable::empty()
{
    // The entries go; their slots stay for the next listing, which is usually as long.
    m_entries.clear();
    ++m_generation;
}

int ListingTable::rowCount(GridId grid) const
{
    const int n = listcount();
    const int inGrid = grid == GridId::Grid1 ? std::min(n, gridCapacity) : std::max(0, n - gridCapacity);
    return designedRows + inGrid;
}

const ListingEntry* ListingTable::entryAt(GridId grid, int row) const
{
    if (row < 1 || row > entryRows(grid))
        return nullptr;
    const int index = (grid == GridId::Grid1 ? 0 : gridCapacity) + row - 1;
    return &m_entries[static_cast<size_t>(index)];
}

QString ListingTable::cell(GridId grid, int row, int column) const
{
    const ListingEntry* entry = entryAt(grid, row);
    if (!entry)
        return {};
    switch (column) {
    case 0:
        return QStringLiteral(" ");
    case 1:
        return entry->name;
    case 2:
        return entry->size;
    case 3:
        return entry->datecreated;
    default:
        return {};
    }
}

ListingEntry ListingTable::row(GridId grid, int row) const
{
    const ListingEntry* entry = entryAt(grid, row);
    return entry ? *entry : ListingEntry {};
}

QString ListingTable::rowText(GridId grid, int row) const
{
    const ListingEntry entry = this->row(grid, row);
    return entry.name + QLatin1Char('\t') + entry.size + QLatin1Char('\t') + entry.datecreated;
}
