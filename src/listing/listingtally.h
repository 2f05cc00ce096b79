#pragma once

#include "folderwalk.h"
#include "listingchoices.h"
#include "listingtable.h"

#include <QDateTime>
#include <QString>

// What the listing on screen holds, counted as it grows: a walk adds rows between two looks, so only the new
// rows are counted at each look, and an emptied listing starts the count again.
struct ListingCounts {
    int entries = 0;
    int files = 0;
    int folders = 0;
    qint64 totalBytes = 0;
    QString widestSize; // the longest size and date texts, which their columns must show whole
    QString widestDate;

    bool operator==(const ListingCounts&) const = default;
};

class ListingTally {
public:
    const ListingCounts& update(const ListingTable& table);
    [[nodiscard]] const ListingCounts& counts() const { return m_counts; }

private:
    ListingCounts m_counts;
    int m_generation = -1;
};

// The levels a listing file may have been stopped at when it was made: the default depth when its deepest folders
// lie there, as every listing's did before the depth could be chosen; otherwise all levels.
[[nodiscard]] int listingFileDepth(const ListingTable& table);
[[nodiscard]] int deepestFolderLevel(const ListingTable& table); // 0 when it holds no folder

// Where the listing on screen came from and whether it holds all that its source holds.
struct ListingOrigin {
    enum class Source { None, Walked, Opened };
    Source source = Source::None;
    QString place; // the folder walked or the file opened
    QDateTime when; // when the folder was walked, or when the opened file was last written
    ListingChoices choices; // those in force when the listing was made
    bool limitReached = false;
    bool depthReached = false;
    bool cancelled = false;
    std::vector<UnreadableFolder> unreadable;

    [[nodiscard]] static ListingOrigin from(Source source, const QString& place)
    {
        ListingOrigin origin;
        origin.source = source;
        origin.place = place;
        origin.when = QDateTime::currentDateTime();
        return origin;
    }
    bool operator==(const ListingOrigin&) const = default;
};

namespace StatusText {
// "1,234,567 bytes (1.2 MB)"; below a kilobyte only the bytes.
[[nodiscard]] QString bytes(qint64 bytes);
// "12 entries: 9 files, 3 folders, 1,234 bytes (1.2 kB)"
[[nodiscard]] QString counts(const ListingCounts& counts);
// "listed /srv/share at 14:02", "opened inv.txt", or empty before any listing.
[[nodiscard]] QString source(const ListingOrigin& origin);
// "5 levels, 32,000 entries at most", "all levels, no limit".
[[nodiscard]] QString choices(const ListingChoices& choices);
// What kept the listing from holding all its source holds: "cancelled", "stopped at 32,000 entries", ...
[[nodiscard]] QStringList gaps(const ListingOrigin& origin);
// "complete", or the gaps, the report filter included.
[[nodiscard]] QString completeness(const ListingOrigin& origin, bool filterActive);
}
