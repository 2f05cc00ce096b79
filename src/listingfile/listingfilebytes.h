#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class ListingTable;
class ReportOptions;

// The bytes Save writes for a listing: every entry, or with a filter only the rows it passes.
[[nodiscard]] QByteArray listingFileBytes(
    const ListingTable& table, const QString& selectedPath, const ReportOptions* filter = nullptr);

// Takes one piece of the file and the rows looked at so far; false stops the writing.
using ListingPieceWriter = std::function<bool(QByteArrayView piece, qsizetype rowsDone)>;
// The same bytes handed over a piece at a time, so a listing of any length is written in little memory.
// Returns false when write stopped it.
[[nodiscard]] bool writeListingPieces(const ListingTable& table, const QString& selectedPath,
    const ReportOptions* filter, const ListingPieceWriter& write);
