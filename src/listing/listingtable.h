#pragma once

#include <QString>
#include <vector>

struct ListingEntry {
    QString name; // a file's name, or a folder's full path
    QString size; // decimal bytes, or a single blank for a folder
    QString datecreated; // creation date text, or a folder's level marker

    bool operator==(const ListingEntry&) const = default;
};

enum class GridId { Grid1 = 1, Grid2 = 2 };

// The listing held by two grids of at most 16000 entries each. A grid has a title row 0, its entries in
// rows 1..n and 24 rows below them that hold no entry.
class ListingTable {
public:
    static constexpr int gridCapacity = 16000;
    static constexpr int listLimit = 2 * gridCapacity;
    static constexpr int spareRows = 24;
    static constexpr int designedRows = 1 + spareRows;

    // Appends entry listcount + 1: the first gridCapacity entries fill Grid1, the rest Grid2. The caller keeps
    // within listLimit.
    void updatetable(const QString& name, const QString& size, const QString& datecreated);
    // Back to the designed state: no entries, listcount 0.
    void empty();

    [[nodiscard]] int listcount() const { return static_cast<int>(m_entries.size()); }
    [[nodiscard]] bool isFull() const { return listcount() >= listLimit; }
    [[nodiscard]] int rowCount(GridId grid) const;
    [[nodiscard]] int entryRows(GridId grid) const { return rowCount(grid) - designedRows; }
    [[nodiscard]] QString cell(GridId grid, int row, int column) const;
    [[nodiscard]] ListingEntry row(GridId grid, int row) const;
    [[nodiscard]] QString rowText(GridId grid, int row) const;
    [[nodiscard]] const std::vector<ListingEntry>& entries() const { return m_entries; }
    // Changes each time the listing is emptied, so views know their rows were replaced.
    [[nodiscard]] int generation() const { return m_generation; }

private:
    [[nodiscard]] const ListingEntry* entryAt(GridId grid, int row) const;

    std::vector<ListingEntry> m_entries;
    int m_generation = 0;
};
