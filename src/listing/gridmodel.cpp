#include "gridmodel.h"

#include "bytename.h"

GridModel::GridModel(const ListingTable& table, GridId grid, QObject* parent)
    : QAbstractTableModel(parent)
    , m_table(table)
    , m_grid(grid)
    , m_shownEntries(table.entryRows(grid))
    , m_generation(table.generation())
{
}

int GridModel::entriesShown() const { return m_whole ? m_table.listcount() : m_table.entryRows(m_grid); }

void GridModel::setWholeListing(bool whole)
{
    if (whole == m_whole)
        return;
    beginResetModel();
    m_whole = whole;
    m_shownEntries = entriesShown();
    endResetModel();
}

void GridModel::sync()
{
    const int entries = entriesShown();
    if (m_generation != m_table.generation()) {
        beginResetModel();
        m_shownEntries = entries;
        m_generation = m_table.generation();
        endResetModel();
        return;
    }
    if (entries == m_shownEntries)
        return;
    beginInsertRows({}, m_shownEntries, entries - 1);
    m_shownEntries = entries;
    endInsertRows();
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shownEntries + ListingTable::spareRows;
}

int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 4; }

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) || index.row() >= m_shownEntries)
        return {};
    const QString text = m_whole ? m_table.entryCell(index.row(), index.column())
                                 : m_table.cell(m_grid, index.row() + 1, index.column());
    // The whole text of a cell that its column may cut; a blank cell has none.
    if (role == Qt::ToolTipRole && text.trimmed().isEmpty())
        return {};
    return displayText(text);
}
