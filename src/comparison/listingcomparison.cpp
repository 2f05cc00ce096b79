#include "listingcomparison.h"

#include "bytename.h"
#include "datetextformatter.h"
#include "quotedrecordwriter.h"
#include "reportoptions.h"

#include <QHash>
#include <algorithm>

namespace {

bool isSeparator(QChar c) { return c == u'/' || c == u'\\'; }

bool liesUnder(const QString& path, const QString& root)
{
    if (root.isEmpty() || !path.startsWith(root))
        return false;
    return isSeparator(root.back()) || (path.size() > root.size() && isSeparator(path[root.size()]));
}

// A listing made on a system whose paths use backslashes keeps them; its keys use slashes like the others.
QChar separatorOf(const QString& root) { return root.contains(u'\\') && !root.contains(u'/') ? u'\\' : u'/'; }

QString joined(const QString& folder, QChar separator, const QString& name)
{
    if (folder.isEmpty() || isSeparator(folder.back()))
        return folder + name;
    return folder + separator + name;
}

// What an entry is matched by: a file by its folder and its name, a folder by its relative path alone.
// Folders are numbered by relative path across both listings, so a file's key shares its name with the
// entry and costs no text of its own.
struct EntryKey {
    int folder = 0; // a file's folder (0 the root's own files); for a folder, -1 - its own number
    QByteArrayView name; // a file's name; empty for a folder

    bool operator==(const EntryKey&) const = default;
};

// Every entry of one listing with where its folder stands, in four bytes an entry: listings of millions are
// compared two at a time.
struct IndexedListing {
    const ListingTable& entries;
    QString root;
    QChar separator;
    std::vector<int> groups; // a file's folder number (0 for the root's own files); for a folder, -1 - its number
    std::vector<std::vector<int>> folderRows; // the rows of each folder number in this listing, in order
    const std::vector<QString>* paths;
    std::vector<QString> unreadKeys; // the relative paths of the folders not read, each ended by a slash

    IndexedListing(const ComparedListing& listing, QHash<QString, int>& folderNumbers)
        : entries(listing.entries)
        , root(listingRoot(listing.selectedPath, listing.entries))
        , separator(separatorOf(root))
        , paths(listing.paths)
    {
        groups.reserve(static_cast<size_t>(entries.size()));
        int folderNumber = 0;
        for (qsizetype i = 0; i < entries.size(); ++i) {
            if (entries.kind(i) == EntryKind::Folder) {
                int& number = folderNumbers[relativeKey(entries.name(i))];
                if (number == 0)
                    number = static_cast<int>(folderNumbers.size());
                folderNumber = number;
                if (folderRows.size() <= static_cast<size_t>(number))
                    folderRows.resize(static_cast<size_t>(number) + 1);
                folderRows[static_cast<size_t>(number)].push_back(static_cast<int>(i));
                groups.push_back(-1 - folderNumber);
            } else {
                groups.push_back(folderNumber);
            }
        }
        for (const QString& folderPath : listing.unreadFolders)
            unreadKeys.push_back(relativeKey(folderPath) + u'/');
    }

    [[nodiscard]] EntryKey key(size_t i) const
    {
        const int group = groups[i];
        return { group, group < 0 ? QByteArrayView() : entries.nameBytes(static_cast<qsizetype>(i)) };
    }

    // The folder row above a file, -1 for the root's own files: the last row of its folder's number before it.
    [[nodiscard]] int folderRow(size_t i) const
    {
        const int group = groups[i];
        if (group <= 0)
            return -1;
        const std::vector<int>& rows = folderRows[static_cast<size_t>(group)];
        return *(std::lower_bound(rows.begin(), rows.end(), static_cast<int>(i)) - 1);
    }

    // Whether an entry of this listing lies in a folder that the other one could not read.
    [[nodiscard]] bool inUnread(size_t i, const IndexedListing& other) const
    {
        if (other.unreadKeys.empty())
            return false;
        const QString key = relativeKey(fullPath(i));
        return std::any_of(other.unreadKeys.begin(), other.unreadKeys.end(),
            [&key](const QString& unread) { return key.startsWith(unread); });
    }

    [[nodiscard]] QString relativeKey(const QString& folderPath) const
    {
        QString key = liesUnder(folderPath, root) ? folderPath.mid(root.size()) : folderPath;
        qsizetype start = 0;
        while (start < key.size() && isSeparator(key[start]))
            ++start;
        key.remove(0, start);
        if (separator == u'\\')
            key.replace(u'\\', u'/');
        return key;
    }

    [[nodiscard]] QString fullPath(size_t i) const
    {
        if (paths)
            return (*paths)[i];
        const auto at = static_cast<qsizetype>(i);
        if (entries.kind(at) == EntryKind::Folder)
            return entries.name(at);
        const int folder = folderRow(i);
        return joined(folder < 0 ? root : entries.name(folder), separator, entries.name(at));
    }
    // The level of a folder row, or of the folder that holds a file (0 for the root's own files).
    [[nodiscard]] int folderLevel(size_t i) const
    {
        const auto row = isFolder(i) ? static_cast<qsizetype>(i) : folderRow(i);
        return row < 0 ? 0 : entries.level(row);
    }

    [[nodiscard]] bool isFolder(size_t i) const { return entries.kind(static_cast<qsizetype>(i)) == EntryKind::Folder; }
    [[nodiscard]] RowKind rowKind(size_t i) const { return entries.rowKind(static_cast<qsizetype>(i)); }
    [[nodiscard]] QString sizeText(size_t i) const { return entries.sizeText(static_cast<qsizetype>(i)); }
    // A folder has no date: its date cell holds only its level.
    [[nodiscard]] QString dateText(size_t i) const
    {
        return isFolder(i) ? QString() : entries.dateText(static_cast<qsizetype>(i));
    }
};

// The older listing's entries by key, in an open table of entry numbers: some 12 bytes an entry where a hash of
// keys took some 60.
class OlderEntries {
public:
    explicit OlderEntries(const IndexedListing& older)
        : m_older(older)
        , m_next(older.groups.size(), -1)
    {
        size_t capacity = 16;
        while (capacity < 2 * older.groups.size())
            capacity *= 2;
        m_slots.assign(capacity, empty);
    }

    // Entries are added from the last back, so that each key's chain starts at its first entry.
    void add(size_t i)
    {
        int& slot = m_slots[find(m_older.key(i))];
        if (slot != empty)
            m_next[i] = slot;
        slot = static_cast<int>(i);
    }

    // The first older entry of the key not taken yet, or -1.
    int take(const EntryKey& key)
    {
        int& slot = m_slots[find(key)];
        if (slot < 0)
            return -1;
        const int first = slot;
        const int next = m_next[static_cast<size_t>(first)];
        // A key all of whose entries are taken keeps its last one, encoded, to be compared with.
        slot = next >= 0 ? next : -2 - first;
        return first;
    }

private:
    static constexpr int empty = -1;

    // The slot of the key: the one that holds it, or the empty one where it would go.
    [[nodiscard]] size_t find(const EntryKey& key) const
    {
        const size_t mask = m_slots.size() - 1;
        for (size_t at = qHashMulti(0, key.folder, key.name) & mask;; at = (at + 1) & mask) {
            const int held = m_slots[at];
            if (held == empty || m_older.key(static_cast<size_t>(held >= 0 ? held : -2 - held)) == key)
                return at;
        }
    }

    const IndexedListing& m_older;
    std::vector<int> m_next; // the next older entry of the same key, or -1
    std::vector<int> m_slots; // an entry of the key, -2 - the last one once all are taken, or empty
};

// Two creation dates are the same when they are the same instant, or when their texts name it alike.
bool sameDate(const IndexedListing& older, size_t j, const IndexedListing& newer, size_t i, DateTextComparison& dates)
{
    const std::optional<qint64> before = older.entries.created(static_cast<qsizetype>(j));
    const std::optional<qint64> after = newer.entries.created(static_cast<qsizetype>(i));
    if (before && after)
        return *before == *after;
    return dates.same(older.dateText(j), newer.dateText(i));
}

void count(ComparisonCounts& counts, Change change)
{
    switch (change) {
    case Change::Added:
        ++counts.added;
        break;
    case Change::Removed:
        ++counts.removed;
        break;
    case Change::Changed:
        ++counts.changed;
        break;
    }
}

// Entry olderRow of the older side and newerRow of the newer one, -1 where a side lacks it.
void append(ListingComparison& result, Change change, const IndexedListing& older, int olderRow,
    const IndexedListing& newer, int newerRow)
{
    count(result.counts, change);
    const IndexedListing& holder = change == Change::Removed ? older : newer;
    const auto row = static_cast<size_t>(change == Change::Removed ? olderRow : newerRow);
    result.differences.add(
        change, holder.fullPath(row), holder.rowKind(row), older.entries, olderRow, newer.entries, newerRow);
}

} // namespace

QString listingRoot(const QString& selectedPath, const ListingTable& entries)
{
    qsizetype firstFolder = 0;
    while (firstFolder < entries.size() && entries.kind(firstFolder) != EntryKind::Folder)
        ++firstFolder;
    if (firstFolder == entries.size())
        return selectedPath;
    const QString folderPath = entries.name(firstFolder);
    if (liesUnder(folderPath, selectedPath))
        return selectedPath;
    QString root = folderPath;
    const int firstLevel = entries.level(firstFolder);
    for (int level = firstLevel; level > 0; --level) {
        const qsizetype cut = std::max(root.lastIndexOf(u'/'), root.lastIndexOf(u'\\'));
        if (cut < 0)
            return selectedPath;
        // The root of a drive keeps its separator.
        root.truncate(cut == 0 || (cut > 0 && root[cut - 1] == u':') ? cut + 1 : cut);
    }
    return firstLevel > 0 ? root : selectedPath;
}

ListingComparison compareListings(
    const ComparedListing& older, const ComparedListing& newer, const ComparisonProgress& progress)
{
    // A step is an entry handled: each older one once, each newer one twice.
    constexpr qsizetype stepsBetweenCalls = 4096;
    const qsizetype steps = older.entries.size() + 2 * newer.entries.size();
    qsizetype done = 0;
    bool stopped = false;
    const auto stepStops = [&] {
        stopped = stopped || (progress && ++done % stepsBetweenCalls == 0 && !progress(done, steps));
        return stopped;
    };
    ListingComparison cancelled;
    cancelled.cancelled = true;

    QHash<QString, int> folderNumbers;
    const IndexedListing oldSide(older, folderNumbers);
    const IndexedListing newSide(newer, folderNumbers);

    // The first older entry of each key; a repeated path (a listing saved without its folder rows) chains on.
    const size_t oldCount = oldSide.groups.size();
    OlderEntries oldByKey(oldSide);
    for (size_t i = oldCount; i-- > 0;) {
        if (stepStops())
            return cancelled;
        oldByKey.add(i);
    }

    // Which older entry each newer one matches: repeats pair up in order, first with first.
    std::vector<int> match(newSide.groups.size(), -1);
    std::vector<bool> oldMatched(oldCount, false);
    for (size_t i = 0; i < newSide.groups.size(); ++i) {
        if (stepStops())
            return cancelled;
        const int j = oldByKey.take(newSide.key(i));
        if (j < 0)
            continue;
        match[i] = j;
        oldMatched[static_cast<size_t>(j)] = true;
    }

    // Past the last entry that both sides hold, a side stopped at its limit did not look.
    const int lastOldMatched = match.empty() ? -1 : *std::max_element(match.begin(), match.end());
    int lastNewMatched = -1;
    for (size_t i = 0; i < match.size(); ++i)
        if (match[i] >= 0)
            lastNewMatched = static_cast<int>(i);
    const auto oldLooked = [&](size_t j) {
        return !(newer.stoppedAtLimit && static_cast<int>(j) > lastOldMatched) && oldSide.folderLevel(j) <= newer.depth
            && !oldSide.inUnread(j, newSide);
    };
    const auto newLooked = [&](size_t i) {
        return !(older.stoppedAtLimit && static_cast<int>(i) > lastNewMatched) && newSide.folderLevel(i) <= older.depth
            && !newSide.inUnread(i, oldSide);
    };

    ListingComparison result;
    const auto remove = [&](size_t j) {
        if (oldLooked(j))
            append(result, Change::Removed, oldSide, static_cast<int>(j), newSide, -1);
        else
            ++result.notCompared;
    };
    size_t nextOld = 0;
    const auto removeUpTo = [&](size_t end) {
        for (; nextOld < end; ++nextOld)
            if (!oldMatched[nextOld])
                remove(nextOld);
    };
    // Removed entries go where they stood: right after the older entry that the newer listing last matched.
    const auto removeFollowing = [&] {
        for (; nextOld < oldCount && !oldMatched[nextOld]; ++nextOld)
            remove(nextOld);
    };
    DateTextComparison dates;
    removeFollowing();
    for (size_t i = 0; i < match.size(); ++i) {
        if (stepStops())
            return cancelled;
        if (match[i] < 0) {
            if (newLooked(i))
                append(result, Change::Added, oldSide, -1, newSide, static_cast<int>(i));
            else
                ++result.notCompared;
            continue;
        }
        const auto j = static_cast<size_t>(match[i]);
        if (!newSide.isFolder(i)
            && !(oldSide.entries.sameSize(static_cast<qsizetype>(j), newSide.entries, static_cast<qsizetype>(i))
                && sameDate(oldSide, j, newSide, i, dates)))
            append(result, Change::Changed, oldSide, static_cast<int>(j), newSide, static_cast<int>(i));
        if (j >= nextOld) {
            removeUpTo(j);
            nextOld = j + 1;
            removeFollowing();
        }
    }
    removeUpTo(oldCount);
    return result;
}

namespace {

bool hasFolderRows(const ListingTable& entries)
{
    for (qsizetype i = 0; i < entries.size(); ++i)
        if (entries.kind(i) == EntryKind::Folder)
            return true;
    return false;
}

// The differences that the filter passes, with the counts made again.
ListingComparison filtered(const ListingComparison& comparison, const ReportOptions& filter)
{
    ListingComparison kept;
    kept.notCompared = comparison.notCompared;
    kept.cancelled = comparison.cancelled;
    const DifferenceList& all = comparison.differences;
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (checkforprint(all.path(i), all.kind(i), filter)) {
            count(kept.counts, all.change(i));
            kept.differences.add(all, i);
        }
    }
    return kept;
}

// A side's files that the filter passes, without folder rows, each with its full path.
struct FlatListing {
    ListingTable entries;
    std::vector<QString> paths;
};

FlatListing flattened(const ComparedListing& listing, const ReportOptions& filter)
{
    QHash<QString, int> folderNumbers;
    const IndexedListing indexed(listing, folderNumbers);
    FlatListing flat;
    for (qsizetype i = 0; i < listing.entries.size(); ++i) {
        const RowKind kind = listing.entries.rowKind(i);
        if (kind != RowKind::Folder && checkforprint(listing.entries.name(i), kind, filter)) {
            flat.entries.appendEntry(listing.entries, i);
            flat.paths.push_back(indexed.fullPath(static_cast<size_t>(i)));
        }
    }
    return flat;
}

} // namespace

ListingComparison compareListings(const ComparedListing& older, const ComparedListing& newer,
    const ReportOptions& filter, const ComparisonProgress& progress)
{
    if (!filter.filteractive())
        return compareListings(older, newer, progress);
    ListingComparison comparison;
    if (hasFolderRows(older.entries) && hasFolderRows(newer.entries)) {
        comparison = filtered(compareListings(older, newer, progress), filter);
    } else {
        const FlatListing oldFlat = flattened(older, filter);
        const FlatListing newFlat = flattened(newer, filter);
        comparison = compareListings(
            { older.selectedPath, oldFlat.entries, older.unreadFolders, older.stoppedAtLimit, &oldFlat.paths },
            { newer.selectedPath, newFlat.entries, newer.unreadFolders, newer.stoppedAtLimit, &newFlat.paths },
            progress);
    }
    comparison.filtered = true;
    return comparison;
}

QString changeName(Change change)
{
    switch (change) {
    case Change::Added:
        return QStringLiteral("added");
    case Change::Removed:
        return QStringLiteral("removed");
    case Change::Changed:
        return QStringLiteral("changed");
    }
    return {};
}

bool writeComparisonRecords(
    const DifferenceList& differences, const std::function<bool(QByteArrayView, qsizetype)>& write)
{
    constexpr qsizetype pieceBytes = 1 << 16;
    QuotedRecordWriter writer;
    writer.reserve(2 * pieceBytes);
    for (qsizetype i = 0; i < differences.size(); ++i) {
        const Difference d = differences[i];
        for (const QString& field : { changeName(d.change), d.path, d.oldSize, d.newSize, d.oldDate, d.newDate })
            writer.addField(QStringView(field));
        writer.endRecord();
        if (writer.written().size() >= pieceBytes) {
            if (!write(writer.written(), i + 1))
                return false;
            writer.clear();
        }
    }
    return write(writer.written(), differences.size());
}

QByteArray comparisonRecords(const DifferenceList& differences)
{
    QByteArray bytes;
    (void)writeComparisonRecords(differences, [&bytes](QByteArrayView piece, qsizetype) {
        bytes.append(piece);
        return true;
    });
    return bytes;
}

void DifferenceList::add(Change change, const QString& path, RowKind kind, const ListingTable& older,
    qsizetype olderRow, const ListingTable& newer, qsizetype newerRow)
{
    // The path is kept once, as the name of the row it is named by: the newer one unless the entry was removed.
    const QByteArray pathBytes = toNativeBytes(path);
    const bool namedByNewer = change != Change::Removed;
    const auto keep = [&pathBytes](ListingTable& into, const ListingTable& from, qsizetype row, bool named) {
        if (row < 0)
            into.appendFile({}, 0, std::nullopt);
        else
            into.appendEntry(from, row, named ? QByteArrayView(pathBytes) : QByteArrayView());
    };
    keep(m_older, older, olderRow, !namedByNewer);
    keep(m_newer, newer, newerRow, namedByNewer);
    m_tags.push_back(static_cast<quint8>(static_cast<int>(change) | static_cast<int>(kind) << 2));
}

void DifferenceList::add(const DifferenceList& other, qsizetype i)
{
    m_older.appendEntry(other.m_older, i);
    m_newer.appendEntry(other.m_newer, i);
    m_tags.push_back(other.m_tags[static_cast<size_t>(i)]);
}

Change DifferenceList::change(qsizetype i) const { return static_cast<Change>(m_tags[static_cast<size_t>(i)] & 3); }

RowKind DifferenceList::kind(qsizetype i) const { return static_cast<RowKind>(m_tags[static_cast<size_t>(i)] >> 2); }

bool DifferenceList::holds(qsizetype i, bool newer) const
{
    const Change c = change(i);
    return c == Change::Changed || c == (newer ? Change::Added : Change::Removed);
}

QString DifferenceList::path(qsizetype i) const { return fromNativeBytes(pathBytes(i)); }

QByteArrayView DifferenceList::pathBytes(qsizetype i) const
{
    return (change(i) == Change::Removed ? m_older : m_newer).nameBytes(i);
}

QString DifferenceList::sizeText(qsizetype i, bool newer) const
{
    return holds(i, newer) ? (newer ? m_newer : m_older).sizeText(i) : QString();
}

std::optional<qint64> DifferenceList::fileSize(qsizetype i, bool newer) const
{
    return holds(i, newer) ? (newer ? m_newer : m_older).fileSize(i) : std::nullopt;
}

QString DifferenceList::dateText(qsizetype i, bool newer) const
{
    // A folder has no date: its date cell holds only its level.
    const ListingTable& side = newer ? m_newer : m_older;
    return holds(i, newer) && side.kind(i) != EntryKind::Folder ? side.dateText(i) : QString();
}

QByteArray DifferenceList::dateBytes(qsizetype i, bool newer) const
{
    const ListingTable& side = newer ? m_newer : m_older;
    return holds(i, newer) && side.kind(i) != EntryKind::Folder ? side.dateBytes(i) : QByteArray();
}

Difference DifferenceList::operator[](qsizetype i) const
{
    return { change(i), path(i), kind(i), sizeText(i, false), sizeText(i, true), dateText(i, false),
        dateText(i, true) };
}
