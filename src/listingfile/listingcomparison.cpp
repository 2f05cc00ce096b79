#include "listingcomparison.h"

#include <QHash>
#include <QStringEncoder>
#include <algorithm>

namespace {

const QString folderSize = QStringLiteral(" ");

bool isSeparator(QChar c) { return c == u'/' || c == u'\\'; }

// " " is level 1, "1" to "4" levels 2 to 5; anything else is no level.
int levelOf(const QString& marker)
{
    if (marker == folderSize)
        return 1;
    if (marker.size() == 1 && marker[0] >= u'1' && marker[0] <= u'4')
        return marker[0].unicode() - '0' + 1;
    return 0;
}

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
    QString name; // a file's name; empty for a folder

    bool operator==(const EntryKey&) const = default;
};

size_t qHash(const EntryKey& key, size_t seed = 0) { return qHashMulti(seed, key.folder, key.name); }

// Every entry of one listing with the key it is matched by and where its folder stands.
struct IndexedListing {
    const std::vector<ListingEntry>& entries;
    QString root;
    QChar separator;
    std::vector<EntryKey> keys;
    std::vector<int> folderRow; // the folder row above a file, -1 for the root's own files

    IndexedListing(const ComparedListing& listing, QHash<QString, int>& folderNumbers)
        : entries(listing.entries)
        , root(listingRoot(listing.selectedPath, listing.entries))
        , separator(separatorOf(root))
    {
        keys.reserve(entries.size());
        folderRow.reserve(entries.size());
        int folderNumber = 0;
        int folder = -1;
        for (size_t i = 0; i < entries.size(); ++i) {
            const ListingEntry& entry = entries[i];
            if (entry.size == folderSize) {
                int& number = folderNumbers[relativeKey(entry.name)];
                if (number == 0)
                    number = static_cast<int>(folderNumbers.size());
                folderNumber = number;
                folder = static_cast<int>(i);
                folderRow.push_back(-1);
                keys.push_back({ -1 - folderNumber, {} });
            } else {
                folderRow.push_back(folder);
                keys.push_back({ folderNumber, entry.name });
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
        const ListingEntry& entry = entries[i];
        if (entry.size == folderSize)
            return entry.name;
        const int folder = folderRow[i];
        return joined(folder < 0 ? root : entries[static_cast<size_t>(folder)].name, separator, entry.name);
    }
};

Difference added(const IndexedListing& newer, size_t i)
{
    const ListingEntry& entry = newer.entries[i];
    const bool folder = entry.size == folderSize;
    return { Change::Added, newer.fullPath(i), folder, {}, entry.size, {}, folder ? QString() : entry.datecreated };
}

Difference removed(const IndexedListing& older, size_t i)
{
    const ListingEntry& entry = older.entries[i];
    const bool folder = entry.size == folderSize;
    return { Change::Removed, older.fullPath(i), folder, entry.size, {}, folder ? QString() : entry.datecreated, {} };
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

QString quoted(const QString& field)
{
    QString text = field;
    text.replace(u'"', QStringLiteral("\"\""));
    return u'"' + text + u'"';
}

} // namespace

QString listingRoot(const QString& selectedPath, const std::vector<ListingEntry>& entries)
{
    const auto firstFolder = std::find_if(
        entries.begin(), entries.end(), [](const ListingEntry& entry) { return entry.size == folderSize; });
    if (firstFolder == entries.end() || liesUnder(firstFolder->name, selectedPath))
        return selectedPath;
    QString root = firstFolder->name;
    for (int level = levelOf(firstFolder->datecreated); level > 0; --level) {
        const qsizetype cut = std::max(root.lastIndexOf(u'/'), root.lastIndexOf(u'\\'));
        if (cut < 0)
            return selectedPath;
        // The root of a drive keeps its separator.
        root.truncate(cut == 0 || (cut > 0 && root[cut - 1] == u':') ? cut + 1 : cut);
    }
    return levelOf(firstFolder->datecreated) > 0 ? root : selectedPath;
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
        const ListingEntry& before = oldSide.entries[j];
        const ListingEntry& after = newSide.entries[i];
        if (after.size != folderSize && (before.size != after.size || before.datecreated != after.datecreated))
            append(result,
                { Change::Changed, newSide.fullPath(i), false, before.size, after.size, before.datecreated,
                    after.datecreated });
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
    QString text;
    text.reserve(static_cast<qsizetype>(differences.size()) * 100);
    const QChar comma = u',';
    for (const Difference& d : differences) {
        text += quoted(changeName(d.change)) + comma + quoted(d.path) + comma + quoted(d.oldSize) + comma
            + quoted(d.newSize) + comma + quoted(d.oldDate) + comma + quoted(d.newDate) + QStringLiteral("\r\n");
    }
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
}
