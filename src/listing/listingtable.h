#pragma once

#include "bytestore.h"
#include "listingcodec.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

class DateTextFormatter;
class RecentDateTexts;

// The three cell texts of one row, as a grid, a listing file and a report show them.
struct ListingEntry {
    QString name; // a file's name, or a folder's full path
    QString size; // decimal bytes, or a single blank for a folder
    QString datecreated; // creation date text, or a folder's level marker

    bool operator==(const ListingEntry&) const = default;
};

enum class GridId { Grid1 = 1, Grid2 = 2 };

// The listing: one entry per file or folder, held by two grids of at most 16000 entries each. A grid has a title
// row 0, its entries in rows 1..n and 24 rows below them that hold no entry.
//
// Entries are typed (kind, level, name bytes, size, creation time) and packed in a few flat arrays, 16 bytes an
// entry besides its name, so that a listing of millions fits. Their cell texts are made when asked for. A row
// read from a listing file keeps a cell's original text wherever the value read from it would not be written
// back the same, so every file reads back byte for byte.
class ListingTable {
public:
    static constexpr int gridCapacity = 16000;
    static constexpr int listLimit = 2 * gridCapacity; // the default limit; Grid2 takes every entry past Grid1
    static constexpr int spareRows = 24;
    static constexpr int designedRows = 1 + spareRows;

    ListingTable();
    // Names kept in blocks of at most this many bytes: tests reach the name references' edges with few entries.
    explicit ListingTable(qsizetype largestNameBlock);
    ~ListingTable();
    ListingTable(ListingTable&& other) noexcept;
    ListingTable& operator=(ListingTable&& other) noexcept;
    ListingTable(const ListingTable&) = delete;
    ListingTable& operator=(const ListingTable&) = delete;

    void appendFile(QByteArrayView name, qint64 size, std::optional<qint64> created);
    void appendFolder(QByteArrayView path, int level);
    // A row given by its three cell texts, as a listing file holds them.
    void appendRecord(QByteArrayView name, QByteArrayView size, QByteArrayView datecreated);
    // A file row as a listing file gave it: a cell given as text is kept as that text.
    void appendFileCells(QByteArrayView name, std::variant<qint64, QByteArrayView> size,
        std::variant<std::optional<qint64>, QByteArrayView> created);
    // Entry i of another listing, as it stands there.
    void appendEntry(const ListingTable& other, qsizetype i);
    // The same under another name.
    void appendEntry(const ListingTable& other, qsizetype i, QByteArrayView name);
    // Appends entry listcount + 1 from its cell texts: the first gridCapacity entries fill Grid1, the rest Grid2.
    // The caller keeps within the listing's limit.
    void updatetable(const QString& name, const QString& size, const QString& datecreated);
    // Back to the designed state: no entries, listcount 0.
    void empty();
    // Takes the entries of another listing in place of its own, as emptying and refilling would.
    void replaceWith(ListingTable&& other);

    [[nodiscard]] int listcount() const { return static_cast<int>(m_count); }
    [[nodiscard]] qsizetype size() const { return m_count; }

    // Typed values of entry i (from 0).
    [[nodiscard]] EntryKind kind(qsizetype i) const;
    [[nodiscard]] RowKind rowKind(qsizetype i) const;
    [[nodiscard]] int level(qsizetype i) const; // a folder's level from 1, 0 when its marker names none
    [[nodiscard]] QByteArrayView nameBytes(qsizetype i) const;
    [[nodiscard]] QString name(qsizetype i) const;
    [[nodiscard]] std::optional<qint64> fileSize(qsizetype i) const; // none for a folder or a size that is no number
    [[nodiscard]] std::optional<qint64> created(qsizetype i) const; // none for a folder or a date that is no time
    // Cell texts of entry i: made from the values, or the texts read where those differ.
    [[nodiscard]] QString sizeText(qsizetype i) const;
    [[nodiscard]] QString dateText(qsizetype i) const;
    [[nodiscard]] QByteArray sizeBytes(qsizetype i) const;
    [[nodiscard]] QByteArray dateBytes(qsizetype i) const;
    [[nodiscard]] ListingEntry entry(qsizetype i) const;
    // Whether two entries' size cells read the same.
    [[nodiscard]] bool sameSize(qsizetype i, const ListingTable& other, qsizetype j) const;

    // The grids.
    [[nodiscard]] int rowCount(GridId grid) const;
    [[nodiscard]] int entryRows(GridId grid) const { return rowCount(grid) - designedRows; }
    [[nodiscard]] QString cell(GridId grid, int row, int column) const;
    // Column 0 to 3 of entry i (from 0), as its grid shows it.
    [[nodiscard]] QString entryCell(qsizetype i, int column) const;
    [[nodiscard]] ListingEntry row(GridId grid, int row) const;
    [[nodiscard]] QString rowText(GridId grid, int row) const;
    // Changes each time the listing is emptied, so views know their rows were replaced.
    [[nodiscard]] int generation() const { return m_generation; }

    // The heap this listing holds, names included.
    [[nodiscard]] qint64 memoryUsed() const;

    bool operator==(const ListingTable& other) const;

private:
    static constexpr qsizetype blockEntries = 1024;
    // An entry's flags, its size (a folder's level) in 50 bits and its date's top 8 bits beside dateLow: a size or
    // date beyond that range, and a cell kept as text, are held among the names and referred to instead.
    struct Block {
        std::array<quint64, blockEntries> head;
        std::array<quint32, blockEntries> dateLow;
        std::array<ByteStore::Ref, blockEntries> name;
        ByteStore::Mark strings = 0; // where the references of this block's strings count from
    };
    [[nodiscard]] qsizetype slotOf(qsizetype i) const { return i % blockEntries; }
    [[nodiscard]] const Block& blockOf(qsizetype i) const { return *m_blocks[static_cast<size_t>(i / blockEntries)]; }
    [[nodiscard]] quint64 head(qsizetype i) const { return blockOf(i).head[static_cast<size_t>(slotOf(i))]; }
    [[nodiscard]] quint32 flags(qsizetype i) const;
    // An entry's values: a file's size in bytes or a folder's level, and its date in UTC seconds.
    [[nodiscard]] qint64 sizeValue(qsizetype i) const;
    [[nodiscard]] qint64 dateValue(qsizetype i) const;
    // The cells kept as read; empty where none is.
    [[nodiscard]] QByteArrayView keptSize(qsizetype i) const;
    [[nodiscard]] QByteArrayView keptDate(qsizetype i) const;
    [[nodiscard]] QByteArrayView stringAt(qsizetype i, quint64 field) const;
    void append(quint32 bits, qint64 size, qint64 created, QByteArrayView name, QByteArrayView sizeText = {},
        QByteArrayView dateText = {});
    [[nodiscard]] DateTextFormatter& dates() const;
    [[nodiscard]] qsizetype indexOf(GridId grid, int row) const; // -1 for a row that holds no entry

    std::vector<std::unique_ptr<Block>> m_blocks;
    ByteStore m_bytes;
    qsizetype m_count = 0;
    int m_generation = 0;
    mutable std::unique_ptr<DateTextFormatter> m_dates;
    mutable std::unique_ptr<RecentDateTexts> m_dateTexts; // a save writes every date: each second's text made once
};
