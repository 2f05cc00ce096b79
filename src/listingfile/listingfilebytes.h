#pragma once

#include "folderwalk.h"
#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

class ListingFileWriter;
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

// A walk's rows written as they are listed, a piece at a time, without a table: the bytes writeListingPieces
// gives for the table of the same walk.
class ListingFileRows final : public WalkRows {
public:
    ListingFileRows(const ReportOptions* filter, std::function<bool(QByteArrayView piece)> write);
    ~ListingFileRows() override;
    ListingFileRows(const ListingFileRows&) = delete;
    ListingFileRows& operator=(const ListingFileRows&) = delete;

    void start(const QString& folder) override;
    bool appendFile(QByteArrayView name, qint64 size, std::optional<qint64> created) override;
    bool appendFolder(QByteArrayView path, int level) override;
    // Writes what is left; false when a piece could not be written or the walk never started.
    [[nodiscard]] bool finish();

private:
    bool written();

    const ReportOptions* m_filter;
    std::function<bool(QByteArrayView piece)> m_write;
    std::unique_ptr<ListingFileWriter> m_writer;
    bool m_failed = false;
};
