#include "listingfilebytes.h"

#include "listingfilewriter.h"
#include "reportoptions.h"

#include <algorithm>

namespace {

// Rows past the grid's entries hold nothing and are never written; entries are read in place, not copied.
void writeRows(const ListingTable& table, ListingFileWriter& writer, GridId grid, int lastRow,
    const ReportOptions* filter, bool skipEmpty)
{
    const int firstIndex = grid == GridId::Grid1 ? 0 : ListingTable::gridCapacity;
    const int rows = std::min(lastRow, table.entryRows(grid));
    for (int r = 1; r <= rows; ++r) {
        const ListingEntry& entry = table.entries()[static_cast<size_t>(firstIndex + r - 1)];
        if (skipEmpty && entry.name.isEmpty() && entry.size.isEmpty() && entry.datecreated.isEmpty())
            continue;
        if (filter && !checkforprint(entry.name, entry.size, entry.datecreated, *filter))
            continue;
        writer.addRecord(entry);
    }
}

} // namespace

QByteArray listingFileBytes(const ListingTable& table, const QString& selectedPath, const ReportOptions* filter)
{
    ListingFileWriter writer(selectedPath, table.listcount());
    writeRows(table, writer, GridId::Grid1, table.entryRows(GridId::Grid1), filter, false);
    if (table.listcount() > ListingTable::gridCapacity)
        writeRows(table, writer, GridId::Grid2, table.rowCount(GridId::Grid2) - 1, filter, true);
    return writer.bytes();
}
