#include "listingfilebytes.h"

#include "listingfilewriter.h"
#include "reportoptions.h"

#include <algorithm>

namespace {

// Rows past the grid's entries hold nothing and are never written.
void writeRows(const ListingTable& table, ListingFileWriter& writer, GridId grid, int lastRow,
    const ReportOptions* filter, bool skipEmpty)
{
    const qsizetype firstIndex = grid == GridId::Grid1 ? 0 : ListingTable::gridCapacity;
    const int rows = std::min(lastRow, table.entryRows(grid));
    for (int r = 1; r <= rows; ++r) {
        const qsizetype i = firstIndex + r - 1;
        const RowKind kind = table.rowKind(i);
        if (skipEmpty && kind == RowKind::Blank && table.nameBytes(i).isEmpty() && table.dateBytes(i).isEmpty())
            continue;
        if (filter && !checkforprint(table.name(i), kind, *filter))
            continue;
        writer.addRecord(table, i);
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
