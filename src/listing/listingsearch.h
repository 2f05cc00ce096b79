#pragma once

#include "listingtable.h"

#include <QString>

// Reading the listing by entry number, 1 to listcount, whichever grid holds the entry.
namespace ListingSearch {
[[nodiscard]] ListingEntry entry(const ListingTable& table, int entry);
[[nodiscard]] bool isFolder(const ListingEntry& entry);

// The next entry from `from` on (forward) or back, among entries 1 to `last`, whose name or path holds the text,
// in any case; the search wraps round once. 0 when none does.
[[nodiscard]] int find(const ListingTable& table, const QString& text, int from, bool forward, int last);

// A folder row holds its full path; a file row only its name, under the nearest folder row above it, or under
// the listed folder when no folder row comes before it.
[[nodiscard]] QString fullPath(const ListingTable& table, int entry, const QString& listedFolder);
// The folder that holds the entry.
[[nodiscard]] QString containingFolder(const ListingTable& table, int entry, const QString& listedFolder);

// The entry's cells as a spreadsheet reads a line: name, size and date between tabs.
[[nodiscard]] QString rowText(const ListingTable& table, int entry);
}
