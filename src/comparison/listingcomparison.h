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

struct ComparisonCounts {
    int added = 0;
    int removed = 0;
    int changed = 0;

    [[nodiscard]] int total() const { return added + removed + changed; }
    bool operator==(const ComparisonCounts&) const = default;
};

struct ListingComparison {
    std::vector<Difference> differences; // the newer listing's order, removed entries where they stood
    ComparisonCounts counts;
    // Entries of one side that the other did not look at (under a folder it could not read, past its limit,
    // or deeper than it walked): no difference, but the comparison is partial.
    int notCompared = 0;
    bool cancelled = false; // stopped by its progress hook: it holds nothing else

    bool operator==(const ListingComparison&) const = default;
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
[[nodiscard]] ListingComparison compareListings(
    const ComparedListing& older, const ComparedListing& newer, const ReportOptions& filter);

// The folder that a listing's paths are relative to: its selected path when its folder rows lie under it,
// otherwise the folder above its first folder row by that row's level (the selected-path box may have been
// changed after the walk).
[[nodiscard]] QString listingRoot(const QString& selectedPath, const ListingTable& entries);

[[nodiscard]] QString changeName(Change change); // "added", "removed", "changed"

// One record per difference, every field quoted with inner quotes doubled, lines ended by CR LF: change,
// path, old size, new size, old date, new date. Written as the listing file is, names with their own bytes.
// Dates count as changed only when they name another instant (see DateTextComparison).
[[nodiscard]] QByteArray comparisonRecords(const std::vector<Difference>& differences);
