#pragma once

#include "datetextformatter.h"
#include "listingtable.h"
#include "quotedrecordwriter.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

// Builds a listing file in memory: line 1 the selected path, then one line per entry with its three cells, in
// the quoted form of QuotedRecordWriter.
class ListingFileWriter {
public:
    explicit ListingFileWriter(const QString& selectedPath, int expectedRecords = 0);

    void addRecord(const ListingTable& table, qsizetype entry);
    // The records a table's appendFile and appendFolder rows give, for a walk written without a table.
    void addFile(QByteArrayView name, qint64 size, std::optional<qint64> created);
    void addFolder(QByteArrayView path, int level);
    [[nodiscard]] int recordCount() const { return m_records; }
    [[nodiscard]] QByteArray bytes() const { return m_writer.bytes(); }
    [[nodiscard]] qsizetype pendingBytes() const { return m_writer.written().size(); }
    // The bytes added since the last takePiece, for a file written as it is made.
    [[nodiscard]] QByteArrayView takePiece()
    {
        const QByteArrayView piece = m_writer.written();
        m_writer.clear();
        return piece;
    }

private:
    void addSize(qint64 size);

    QuotedRecordWriter m_writer;
    int m_records = 0;
    RecentDateTexts m_dates;
};

struct SaveOutcome {
    enum class Status {
        Saved,
        InUse, // busy, or locked by another program
        OpenFailed, // the file could not be created
        WriteFailed,
    };
    Status status = Status::Saved;
    QString reason; // the system's reason for a failure, with the step that failed where the reason alone misleads

    bool operator==(const SaveOutcome&) const = default;
};

class StagedFile;

// Writes the bytes to the file's temporary, not yet in the target's place; a failure discards them.
[[nodiscard]] SaveOutcome writeListingFile(StagedFile& file, const QByteArray& bytes);
// The same for output made a piece at a time: produce hands each piece to the function it is given, which
// returns false when the piece could not be written, and returns false itself then.
using PieceWriter = std::function<bool(QByteArrayView piece)>;
[[nodiscard]] SaveOutcome writeStagedFile(StagedFile& file, const std::function<bool(const PieceWriter&)>& produce);
// Puts a written file in its target's place.
[[nodiscard]] SaveOutcome commitListingFile(StagedFile& file);
// Both: a failed save leaves an existing file as it was.
[[nodiscard]] SaveOutcome saveListingFile(const QString& path, const QByteArray& bytes);
