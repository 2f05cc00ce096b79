#include "listingsearch.h"

#include "bytename.h"

#include <QDir>

ListingEntry ListingSearch::entry(const ListingTable& table, int entry)
{
    if (entry > ListingTable::gridCapacity)
        return table.row(GridId::Grid2, entry - ListingTable::gridCapacity);
    return table.row(GridId::Grid1, entry);
}

bool ListingSearch::isFolder(const ListingEntry& entry) { return entry.size == QLatin1String(" "); }

int ListingSearch::find(const ListingTable& table, const QString& text, int from, bool forward, int last)
{
    last = std::min(last, table.listcount());
    if (text.isEmpty() || last < 1)
        return 0;
    const int step = forward ? 1 : -1;
    int candidate = std::clamp(from, 1, last);
    for (int looked = 0; looked < last; ++looked) {
        if (displayText(entry(table, candidate).name).contains(text, Qt::CaseInsensitive))
            return candidate;
        candidate += step;
        if (candidate > last)
            candidate = 1;
        else if (candidate < 1)
            candidate = last;
    }
    return 0;
}

QString ListingSearch::containingFolder(const ListingTable& table, int entry, const QString& listedFolder)
{
    const ListingEntry self = ListingSearch::entry(table, entry);
    if (isFolder(self)) {
        const qsizetype slash = self.name.lastIndexOf(QDir::separator());
        return slash > 0 ? self.name.left(slash) : QString(QDir::separator());
    }
    for (int above = entry - 1; above >= 1; --above) {
        const ListingEntry row = ListingSearch::entry(table, above);
        if (isFolder(row))
            return row.name;
    }
    return listedFolder;
}

QString ListingSearch::fullPath(const ListingTable& table, int entry, const QString& listedFolder)
{
    const ListingEntry self = ListingSearch::entry(table, entry);
    if (isFolder(self))
        return self.name;
    const QString folder = containingFolder(table, entry, listedFolder);
    return folder.endsWith(QDir::separator()) ? folder + self.name : folder + QDir::separator() + self.name;
}

QString ListingSearch::rowText(const ListingTable& table, int entry)
{
    const ListingEntry row = ListingSearch::entry(table, entry);
    return displayText(row.name) + QLatin1Char('\t') + row.size.trimmed() + QLatin1Char('\t')
        + row.datecreated.trimmed();
}
