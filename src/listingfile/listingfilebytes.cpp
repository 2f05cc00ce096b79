#include "listingfilebytes.h"

#include "bytename.h"
#include "listingfilewriter.h"
#include "reportoptions.h"

#include <algorithm>

namespace {

constexpr qsizetype pieceBytes = 1 << 16;

// Rows past the grid's entries hold nothing and are never written. rowsDone counts the rows looked at.
bool writeRows(const ListingTable& table, ListingFileWriter& writer, GridId grid, int lastRow,
    const ReportOptions* filter, bool skipEmpty, const ListingPieceWriter& write, qsizetype& rowsDone)
{
    const qsizetype firstIndex = grid == GridId::Grid1 ? 0 : ListingTable::gridCapacity;
    const int rows = std::min(lastRow, table.entryRows(grid));
    for (int r = 1; r <= rows; ++r) {
        const qsizetype i = firstIndex + r - 1;
        ++rowsDone;
        const RowKind kind = table.rowKind(i);
        if (skipEmpty && kind == RowKind::Blank && table.nameBytes(i).isEmpty() && table.dateBytes(i).isEmpty())
            continue;
        if (filter && !checkforprint(table.name(i), kind, *filter))
            continue;
        writer.addRecord(table, i);
        if (write && writer.pendingBytes() >= pieceBytes && !write(writer.takePiece(), rowsDone))
            return false;
    }
    return true;
}

bool writeListing(
    ListingFileWriter& writer, const ListingTable& table, const ReportOptions* filter, const ListingPieceWriter& write)
{
    qsizetype rowsDone = 0;
    if (!writeRows(table, writer, GridId::Grid1, table.entryRows(GridId::Grid1), filter, false, write, rowsDone))
        return false;
    if (table.listcount() > ListingTable::gridCapacity
        && !writeRows(table, writer, GridId::Grid2, table.rowCount(GridId::Grid2) - 1, filter, true, write, rowsDone))
        return false;
    return !write || write(writer.takePiece(), rowsDone);
}

} // namespace

QByteArray listingFileBytes(const ListingTable& table, const QString& selectedPath, const ReportOptions* filter)
{
    ListingFileWriter writer(selectedPath, table.listcount());
    writeListing(writer, table, filter, {});
    return writer.bytes();
}

bool writeListingPieces(const ListingTable& table, const QString& selectedPath, const ReportOptions* filter,
    const ListingPieceWriter& write)
{
    ListingFileWriter writer(selectedPath);
    return writeListing(writer, table, filter, write);
}

ListingFileRows::ListingFileRows(const ReportOptions* filter, std::function<bool(QByteArrayView piece)> write)
    : m_filter(filter)
    , m_write(std::move(write))
{
}

ListingFileRows::~ListingFileRows() = default;

void ListingFileRows::start(const QString& folder) { m_writer = std::make_unique<ListingFileWriter>(folder); }

bool ListingFileRows::appendFile(QByteArrayView name, qint64 size, std::optional<qint64> created)
{
    if (!m_filter || checkforprint(fromNativeBytes(name), RowKind::File, *m_filter))
        m_writer->addFile(name, size, created);
    return written();
}

bool ListingFileRows::appendFolder(QByteArrayView path, int level)
{
    if (!m_filter || checkforprint(fromNativeBytes(path), RowKind::Folder, *m_filter))
        m_writer->addFolder(path, level);
    return written();
}

bool ListingFileRows::written()
{
    if (m_writer->pendingBytes() >= pieceBytes && !m_write(m_writer->takePiece()))
        m_failed = true;
    return !m_failed;
}

bool ListingFileRows::finish() { return m_writer && !m_failed && m_write(m_writer->takePiece()); }
