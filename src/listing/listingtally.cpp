#include "listingtally.h"

#include "bytename.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QStringList>

namespace {
// The status bar reads the same in every locale, as the listing file and the report do.
const QLocale& numberLocale()
{
    static const QLocale locale(QLocale::English, QLocale::UnitedStates);
    return locale;
}

QString tr(const char* text) { return QCoreApplication::translate("StatusText", text); }
}

int deepestFolderLevel(const ListingTable& table)
{
    int deepest = 0;
    for (qsizetype i = 0; i < table.size(); ++i)
        if (table.kind(i) == EntryKind::Folder)
            deepest = std::max(deepest, table.level(i));
    return deepest;
}

int listingFileDepth(const ListingTable& table)
{
    const int deepest = deepestFolderLevel(table);
    return deepest == ListingChoices::defaultDepth ? deepest : ListingChoices::allLevels;
}

const ListingCounts& ListingTally::update(const ListingTable& table)
{
    if (m_generation != table.generation()) {
        m_counts = {};
        m_generation = table.generation();
    }
    const int total = table.listcount();
    for (int entry = m_counts.entries + 1; entry <= total; ++entry) {
        const GridId grid = entry <= ListingTable::gridCapacity ? GridId::Grid1 : GridId::Grid2;
        const int row = grid == GridId::Grid1 ? entry : entry - ListingTable::gridCapacity;
        const QString size = table.cell(grid, row, 2);
        if (size == QLatin1String(" ")) {
            ++m_counts.folders;
            continue;
        }
        ++m_counts.files;
        m_counts.totalBytes += size.toLongLong();
        if (size.size() > m_counts.widestSize.size())
            m_counts.widestSize = size;
        if (const QString date = table.cell(grid, row, 3); date.size() > m_counts.widestDate.size())
            m_counts.widestDate = date;
    }
    m_counts.entries = std::max(m_counts.entries, total);
    return m_counts;
}

QString StatusText::bytes(qint64 bytes)
{
    const QLocale& locale = numberLocale();
    QString exact = tr("%1 bytes").arg(locale.toString(bytes));
    if (bytes < 1000)
        return exact;
    return QStringLiteral("%1 (%2)").arg(exact, locale.formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat));
}

QString StatusText::counts(const ListingCounts& counts)
{
    const QLocale& locale = numberLocale();
    const QString entries = counts.entries == 1 ? tr("1 entry") : tr("%1 entries").arg(locale.toString(counts.entries));
    const QString files = counts.files == 1 ? tr("1 file") : tr("%1 files").arg(locale.toString(counts.files));
    const QString folders
        = counts.folders == 1 ? tr("1 folder") : tr("%1 folders").arg(locale.toString(counts.folders));
    return QStringLiteral("%1: %2, %3, %4").arg(entries, files, folders, bytes(counts.totalBytes));
}

QString StatusText::source(const ListingOrigin& origin)
{
    switch (origin.source) {
    case ListingOrigin::Source::Walked:
        return tr("listed %1 at %2").arg(displayText(origin.place), origin.when.toString(QStringLiteral("HH:mm")));
    case ListingOrigin::Source::Opened:
        return tr("opened %1").arg(displayText(QFileInfo(origin.place).fileName()));
    case ListingOrigin::Source::None:
        break;
    }
    return {};
}

QString StatusText::choices(const ListingChoices& choices)
{
    const QString depth = choices.depth == ListingChoices::allLevels ? tr("all levels")
        : choices.depth == 1                                         ? tr("1 level")
                                                                     : tr("%1 levels").arg(choices.depth);
    const QString limit = choices.limit == ListingChoices::noLimit
        ? tr("no limit")
        : tr("%1 entries at most").arg(numberLocale().toString(choices.limit));
    return depth + QStringLiteral(", ") + limit;
}

QStringList StatusText::gaps(const ListingOrigin& origin)
{
    QStringList gaps;
    if (origin.cancelled)
        gaps << tr("cancelled");
    if (origin.limitReached)
        gaps << tr("stopped at %1 entries").arg(numberLocale().toString(origin.choices.limit));
    if (origin.depthReached && origin.choices.depth == ListingChoices::defaultDepth)
        gaps << tr("stopped at five levels");
    else if (origin.depthReached)
        gaps << (origin.choices.depth == 1 ? tr("stopped at 1 level")
                                           : tr("stopped at %1 levels").arg(origin.choices.depth));
    if (origin.unreadable.size() == 1)
        gaps << tr("1 folder unreadable");
    else if (!origin.unreadable.empty())
        gaps << tr("%1 folders unreadable")
                    .arg(numberLocale().toString(static_cast<qlonglong>(origin.unreadable.size())));
    return gaps;
}

QString StatusText::completeness(const ListingOrigin& origin, bool filterActive)
{
    QStringList gaps = StatusText::gaps(origin);
    if (filterActive)
        gaps << tr("report filtered");
    if (origin.source == ListingOrigin::Source::None && gaps.isEmpty())
        return {};
    return gaps.isEmpty() ? tr("complete") : gaps.join(QStringLiteral(", "));
}
