#pragma once

#include "listingchoices.h"
#include "listingtable.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

enum class Change { Added, Removed, Changed };

// One entry that differs between an older and a newer listing. A side that lacks the entry has empty texts.
struct Difference {
    Change change = Change::Added;
    QString path; // full path as it stands in the listing that holds it (the older one for a removed entry)
    RowKind kind = RowKind::File; // of the entry in the listing that holds it (the newer one for a change)
    QString oldSize;
    QString newSize;
    QString oldDate; // a folder has no date: its date cell holds only its level
    QString newDate;

    bool operator==(const Difference&) const = default;
};

// The differences of a comparison, packed: each keeps its entry's row of each listing it is in (some 16 bytes
// a row, its path's bytes once), so millions of them fit where the listings fit. Their texts are made when asked.
class DifferenceList {
public:
    // Entry olderRow of older and newerRow of newer, named by path; -1 for the side that lacks it.
    void add(Change change, const QString& path, RowKind kind, const ListingTable& older, qsizetype olderRow,
        const ListingTable& newer, qsizetype newerRow);
    // Difference i of another list.
    void add(const DifferenceList& other, qsizetype i);

    [[nodiscard]] qsizetype size() const { return static_cast<qsizetype>(m_tags.size()); }
    [[nodiscard]] bool empty() const { return m_tags.empty(); }
    [[nodiscard]] Change change(qsizetype i) const;
    [[nodiscard]] RowKind kind(qsizetype i) const;
    [[nodiscard]] QString path(qsizetype i) const;
    [[nodiscard]] QByteArrayView pathBytes(qsizetype i) const;
    // The size and date texts of the older side (false) or the newer one (true): empty for a side that lacks it.
    [[nodiscard]] QString sizeText(qsizetype i, bool newer) const;
    [[nodiscard]] QString dateText(qsizetype i, bool newer) const;
    [[nodiscard]] QByteArray dateBytes(qsizetype i, bool newer) const; // the date text's bytes, made faster
    // The size of a side's file in bytes: none for a side that lacks it, a folder or a size that is no number.
    [[nodiscard]] std::optional<qint64> fileSize(qsizetype i, bool newer) const;
    [[nodiscard]] Difference operator[](qsizetype i) const;

private:
    [[nodiscard]] bool holds(qsizetype i, bool newer) const;

    std::vector<quint8> m_tags; // the change, and the row kind shifted by two
    ListingTable m_older; // row i: difference i's older entry, a blank row where it has none
    ListingTable m_newer;
};

struct ComparisonCounts {
    int added = 0;
    int removed = 0;
    int changed = 0;

    [[nodiscard]] int total() const { return added + removed + changed; }
    bool operator==(const ComparisonCounts&) const = default;
};

struct ListingComparison {
    DifferenceList differences; // the newer listing's order, removed entries where they stood
    ComparisonCounts counts;
    // Entries of one side that the other did not look at (under a folder it could not read, past its limit,
    // or deeper than it walked): no difference, but the comparison is partial.
    int notCompared = 0;
    bool cancelled = false; // stopped by its progress hook: it holds nothing else
    bool filtered = false; // only the files that a file-type filter passes were compared
};

// One listing as compared: its chosen folder (line 1 of a file, or the selected path) and its rows, and what
// it did not look at.
struct ComparedListing {
    QString selectedPath;
    const ListingTable& entries;
    std::vector<QString> unreadFolders = {}; // listed, but their contents could not be read
    bool stoppedAtLimit = false; // entries past the listing's limit were not listed
    const std::vector<QString>* paths = nullptr; // each entry's full path, when the rows cannot tell it
    int depth = ListingChoices::allLevels; // levels a walk went down; entries below it were not looked at
};

// Matches entries by their path relative to each listing's folder, so the same tree under another root
// compares clean. A file and a folder of the same path are different entries. Folders never count as
// changed: their only values are the kind and the level, both fixed by the path.
// Runs now and then during a long comparison with the steps done and their total; false stops the comparison.
using ComparisonProgress = std::function<bool(qsizetype done, qsizetype total)>;
[[nodiscard]] ListingComparison compareListings(
    const ComparedListing& older, const ComparedListing& newer, const ComparisonProgress& progress = {});

class ReportOptions;

// The comparison of the entries that the file-type filter passes, applied to both sides alike. A listing saved
// filtered holds no folder rows; against one, files are matched by name in listing order.
[[nodiscard]] ListingComparison compareListings(const ComparedListing& older, const ComparedListing& newer,
    const ReportOptions& filter, const ComparisonProgress& progress = {});

// The folder that a listing's paths are relative to: its selected path when its folder rows lie under it,
// otherwise the folder above its first folder row by that row's level (the selected-path box may have been
// changed after the walk).
[[nodiscard]] QString listingRoot(const QString& selectedPath, const ListingTable& entries);

[[nodiscard]] QString changeName(Change change); // "added", "removed", "changed"

// One record per difference, every field quoted with inner quotes doubled, lines ended by CR LF: change,
// path, old size, new size, old date, new date. Written as the listing file is, names with their own bytes.
// Dates count as changed only when they name another instant (see DateTextComparison).
[[nodiscard]] QByteArray comparisonRecords(const DifferenceList& differences);
// The same records handed over a piece at a time, with the records made so far; false when write refused one.
[[nodiscard]] bool writeComparisonRecords(
    const DifferenceList& differences, const std::function<bool(QByteArrayView piece, qsizetype done)>& write);
