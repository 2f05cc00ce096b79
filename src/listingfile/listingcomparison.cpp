#include "listingcomparison.h"

#include "quotedrecordwriter.h"

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

size_t qHash(const EntryKey& key, size_t seed = 0) { return qHashMulti(seed, key.folder, key.name); }

// Every entry of one listing with the key it is matched by and where its folder stands.
struct IndexedListing {
    const ListingTable& entries;
    QString root;
    QChar separator;
    std::vector<EntryKey> keys;
    std::vector<int> folderRow; // the folder row above a file, -1 for the root's own files

    IndexedListing(const ComparedListing& listing, QHash<QString, int>& folderNumbers)
        : entries(listing.entries)
        , root(listingRoot(listing.selectedPath, listing.entries))
        , separator(separatorOf(root))
    {
        keys.reserve(static_cast<size_t>(entries.size()));
        folderRow.reserve(static_cast<size_t>(entries.size()));
        int folderNumber = 0;
        int folder = -1;
        for (qsizetype i = 0; i < entries.size(); ++i) {
            if (entries.kind(i) == EntryKind::Folder) {
                int& number = folderNumbers[relativeKey(entries.name(i))];
                if (number == 0)
                    number = static_cast<int>(folderNumbers.size());
                folderNumber = number;
                folder = static_cast<int>(i);
                folderRow.push_back(-1);
                keys.push_back({ -1 - folderNumber, {} });
            } else {
                folderRow.push_back(folder);
                keys.push_back({ folderNumber, entries.nameBytes(i) });
            }
        }
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
        const auto at = static_cast<qsizetype>(i);
        if (entries.kind(at) == EntryKind::Folder)
            return entries.name(at);
        const int folder = folderRow[i];
        return joined(folder < 0 ? root : entries.name(folder), separator, entries.name(at));
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

Difference added(const IndexedListing& newer, size_t i)
{
    return { Change::Added, newer.fullPath(i), newer.rowKind(i), {}, newer.sizeText(i), {}, newer.dateText(i) };
}

Difference removed(const IndexedListing& older, size_t i)
{
    return { Change::Removed, older.fullPath(i), older.rowKind(i), older.sizeText(i), {}, older.dateText(i), {} };
}

void append(ListingComparison& result, Difference difference)
{
    switch (difference.change) {
    case Change::Added:
        ++result.counts.added;
        break;
    case Change::Removed:
        ++result.counts.removed;
        break;
    case Change::Changed:
        ++result.counts.changed;
        break;
    }
    result.differences.push_back(std::move(difference));
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

ListingComparison compareListings(const ComparedListing& older, const ComparedListing& newer)
{
    QHash<QString, int> folderNumbers;
    const IndexedListing oldSide(older, folderNumbers);
    const IndexedListing newSide(newer, folderNumbers);

    // The first older entry of each key; a repeated path (a listing saved without its folder rows) chains on.
    const size_t oldCount = oldSide.keys.size();
    QHash<EntryKey, int> oldByKey;
    oldByKey.reserve(static_cast<qsizetype>(oldCount));
    std::vector<int> nextWithKey(oldCount, -1);
    for (size_t i = oldCount; i-- > 0;) {
        int& first = oldByKey[oldSide.keys[i]];
        nextWithKey[i] = first - 1;
        first = static_cast<int>(i) + 1; // 0 is the value of a new slot
    }

    // Which older entry each newer one matches: repeats pair up in order, first with first.
    std::vector<int> match(newSide.keys.size(), -1);
    std::vector<bool> oldMatched(oldCount, false);
    for (size_t i = 0; i < newSide.keys.size(); ++i) {
        const auto found = oldByKey.find(newSide.keys[i]);
        if (found == oldByKey.end() || found.value() == 0)
            continue;
        const int j = found.value() - 1;
        match[i] = j;
        oldMatched[static_cast<size_t>(j)] = true;
        found.value() = nextWithKey[static_cast<size_t>(j)] + 1;
    }

    ListingComparison result;
    size_t nextOld = 0;
    const auto removeUpTo = [&](size_t end) {
        for (; nextOld < end; ++nextOld)
            if (!oldMatched[nextOld])
                append(result, removed(oldSide, nextOld));
    };
    // Removed entries go where they stood: right after the older entry that the newer listing last matched.
    const auto removeFollowing = [&] {
        for (; nextOld < oldCount && !oldMatched[nextOld]; ++nextOld)
            append(result, removed(oldSide, nextOld));
    };
    removeFollowing();
    for (size_t i = 0; i < match.size(); ++i) {
        if (match[i] < 0) {
            append(result, added(newSide, i));
            continue;
        }
        const auto j = static_cast<size_t>(match[i]);
        const auto before = static_cast<qsizetype>(j);
        const auto after = static_cast<qsizetype>(i);
        if (!newSide.isFolder(i)
            && !(oldSide.entries.sameSize(before, newSide.entries, after)
                && oldSide.entries.sameDate(before, newSide.entries, after)))
            append(result,
                { Change::Changed, newSide.fullPath(i), newSide.rowKind(i), oldSide.sizeText(j), newSide.sizeText(i),
                    oldSide.dateText(j), newSide.dateText(i) });
        if (j >= nextOld) {
            removeUpTo(j);
            nextOld = j + 1;
            removeFollowing();
        }
    }
    removeUpTo(oldCount);
    return result;
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

QByteArray comparisonRecords(const std::vector<Difference>& differences)
{
    QuotedRecordWriter writer;
    writer.reserve(static_cast<qsizetype>(differences.size()) * 100);
    for (const Difference& d : differences) {
        for (const QString& field : { changeName(d.change), d.path, d.oldSize, d.newSize, d.oldDate, d.newDate })
            writer.addField(QStringView(field));
        writer.endRecord();
    }
    return writer.bytes();
}
