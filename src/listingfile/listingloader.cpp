#include "listingloader.h"

#include "bytename.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>

namespace {
QString native(const QString& path) { return QDir::toNativeSeparators(path); }

// The system's reason why a path is no folder; empty when it is one.
QString notAFolder(const QString& path)
{
    struct stat status { };
    if (::stat(toNativeBytes(path).constData(), &status) != 0)
        return qt_error_string(errno);
    return S_ISDIR(status.st_mode) ? QString() : qt_error_string(ENOTDIR);
}

// Counts the rows on their way, for the progress a walk shows.
class CountedRows final : public WalkRows {
public:
    explicit CountedRows(WalkRows& to)
        : m_to(to)
    {
    }
    void start(const QString& folder) override { m_to.start(folder); }
    bool appendFile(QByteArrayView name, qint64 size, std::optional<qint64> created) override
    {
        ++count;
        return m_to.appendFile(name, size, created);
    }
    bool appendFolder(QByteArrayView path, int level) override
    {
        ++count;
        return m_to.appendFolder(path, level);
    }

    qint64 count = 0;

private:
    WalkRows& m_to;
};
}

ListingLoader::ListingLoader(FileSystemService& fileSystem)
    : m_fileSystem(fileSystem)
{
}

LoadedListing ListingLoader::readFile(const QString& path) const
{
    const QFileInfo info(path);
    LoadedListing loaded;
    loaded.source = LoadedListing::Source::ListingFile;
    loaded.path = info.absoluteFilePath();
    loaded.read = readListingFile(path, choices.limit, bytesRead);
    loaded.date = info.lastModified();
    loaded.selectedPath = loaded.read.content.selectedPath;
    loaded.table = std::move(loaded.read.content.records);

    const QString shown = native(loaded.path);
    const ReadFault& fault = loaded.read.content.fault;
    if (loaded.read.cancelled)
        loaded.problem = tr("reading the listing %1 was cancelled").arg(shown);
    else if (!loaded.read.opened)
        loaded.problem = tr("cannot read the listing %1: %2").arg(shown, loaded.read.error);
    else if (fault.kind == ReadFault::Kind::NoListing)
        loaded.problem = tr("%1 is empty, not a listing").arg(shown);
    else if (fault.kind == ReadFault::Kind::NotText)
        loaded.problem = tr("%1 is not a listing file: it is not text").arg(shown);
    else if (fault.kind == ReadFault::Kind::ReadError)
        loaded.problem = tr("cannot read the listing %1: %2").arg(shown, fault.reason);
    else if (fault.kind != ReadFault::Kind::None)
        loaded.problem
            = tr("the listing %1 is malformed at line %2: %3").arg(shown).arg(fault.line).arg(faultText(fault));
    else if (entriesNeeded && loaded.table.listcount() == 0)
        loaded.problem = tr("the listing %1 holds no entries").arg(shown);
    loaded.limitReached = loaded.read.content.limitReached;
    if (loaded.usable() && loaded.limitReached)
        loaded.warnings << tr("warning: the listing %1 holds more than %2 entries; the first %2 are kept")
                               .arg(shown, ListingChoiceText::limit(choices.limit));
    return loaded;
}

LoadedListing ListingLoader::walkFolder(const QString& folder) const
{
    LoadedListing loaded;
    loaded.source = LoadedListing::Source::Folder;
    loaded.path
        = native(QDir::cleanPath(QFileInfo(folder.isEmpty() ? QStringLiteral(".") : folder).absoluteFilePath()));
    loaded.selectedPath = loaded.path;
    loaded.date = QDateTime::currentDateTime();
    if (const QString reason = notAFolder(loaded.path); !reason.isEmpty()) {
        loaded.problem = tr("cannot list the folder %1: %2").arg(loaded.path, reason);
        return loaded;
    }
    TableRows tableRows(&loaded.table);
    CountedRows rows(walkRows ? *walkRows : tableRows);
    WalkHooks hooks;
    if (entriesListed)
        hooks.yieldPoint = [&] { entriesListed(static_cast<int>(rows.count)); };
    const WalkOutcome outcome = FolderWalk(m_fileSystem, rows, std::move(hooks), choices).ShowFileList(loaded.path);
    if (!outcome.unreadable.empty() && outcome.unreadable.front().path == loaded.path) {
        loaded.problem = tr("cannot list the folder %1: %2").arg(loaded.path, outcome.unreadable.front().reason);
        return loaded;
    }
    if (entriesNeeded && outcome.entries == 0) {
        loaded.problem = tr("cannot list the folder %1: it is empty").arg(loaded.path);
        return loaded;
    }
    loaded.unreadable = outcome.unreadable;
    loaded.limitReached = outcome.limitReached;
    loaded.depthReached = outcome.depthReached;
    for (const UnreadableFolder& unreadable : outcome.unreadable)
        loaded.warnings << tr("warning: cannot read the folder %1: %2").arg(native(unreadable.path), unreadable.reason);
    if (outcome.limitReached)
        loaded.warnings << tr("warning: the folder %1 holds more than %2 entries; the first %2 are listed")
                               .arg(loaded.path, ListingChoiceText::limit(choices.limit));
    return loaded;
}
