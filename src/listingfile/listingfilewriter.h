#pragma once

#include "listingtable.h"

#include <QByteArray>
#include <QString>

// Builds a listing file in memory: line 1 the selected path, then one line per record, every field between
// double quotes, fields separated by commas, every line ended by CR LF. A double quote inside a field is
// written twice; a line break inside a field stays inside its quotes.
class ListingFileWriter {
public:
    explicit ListingFileWriter(const QString& selectedPath, int expectedRecords = 0);

    void addRecord(const ListingEntry& entry);
    [[nodiscard]] int recordCount() const { return m_records; }
    // The file's bytes: UTF-8, with every escaped byte of a name written back as itself.
    [[nodiscard]] QByteArray bytes() const;

private:
    void makeRoom(qsizetype characters);
    [[nodiscard]] static QChar* writeField(QChar* out, const QString& field);

    // Written through a raw cursor: tens of thousands of small appends are the whole cost of a save. For the
    // 32000-row benchmark listing, formatting takes 2.8 ms against 5.1 ms with QString::append, which keeps a
    // scheduled --save (0.94x find) clear of its 1.0x limit.
    QString m_text; // sized ahead; the first m_used characters hold the file so far
    QChar* m_buffer = nullptr;
    qsizetype m_used = 0;
    int m_records = 0;
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
// Puts a written file in its target's place.
[[nodiscard]] SaveOutcome commitListingFile(StagedFile& file);
// Both: a failed save leaves an existing file as it was.
[[nodiscard]] SaveOutcome saveListingFile(const QString& path, const QByteArray& bytes);
