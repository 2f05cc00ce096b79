#include "folderwalk.h"

#include "bytename.h"
#include "filesystemservice.h"
#include "listingtable.h"

#include <algorithm>
#include <cmath>
#include <utility>

bool TableRows::appendFile(QByteArrayView name, qint64 size, std::optional<qint64> created)
{
    m_table->appendFile(name, size, created);
    return true;
}

bool TableRows::appendFolder(QByteArrayView path, int level)
{
    m_table->appendFolder(path, level);
    return true;
}

FolderWalk::FolderWalk(FileSystemService& fileSystem, ListingTable& table, WalkHooks hooks, ListingChoices choices)
    : m_fileSystem(fileSystem)
    , m_tableRows(&table)
    , m_rows(m_tableRows)
    , m_hooks(std::move(hooks))
    , m_choices(choices)
{
}

FolderWalk::FolderWalk(FileSystemService& fileSystem, WalkRows& rows, WalkHooks hooks, ListingChoices choices)
    : m_fileSystem(fileSystem)
    , m_rows(rows)
    , m_hooks(std::move(hooks))
    , m_choices(choices)
{
}

WalkOutcome FolderWalk::ShowFileList(const QString& folderspec)
{
    m_outcome = {};
    const QByteArray nativePath = toNativeBytes(folderspec);
    m_fileSystem.startWalk();
    m_rows.start(folderspec);
    if (m_hooks.folderEntered)
        m_hooks.folderEntered(folderspec);
    FolderResult top = m_fileSystem.GetFolder(nativePath);
    if (!top.folder) {
        m_outcome.unreadable.push_back({ folderspec, top.error });
        return m_outcome;
    }
    const Folder& folder = *top.folder;
    m_fileSystem.willRead(folder.SubFolders, m_choices.depth - 1);
    const double step = folder.Count() > 0 ? double(barMaximum) / double(folder.Count()) : 0.0;
    double bar = 0.0;

    if (!appendFiles(folder))
        return m_outcome;
    for (const SubFolderItem& sub : folder.SubFolders) {
        if (!walkSubFolder(sub.nativePath, 1) || !yield())
            return m_outcome;
        bar = std::min(bar + step, double(barMaximum));
        if (m_hooks.setProgress)
            m_hooks.setProgress(static_cast<int>(std::lround(bar)));
    }
    if (m_hooks.setProgress)
        m_hooks.setProgress(barMaximum);
    return m_outcome;
}

bool FolderWalk::appendFiles(const Folder& folder)
{
    for (const FileItem& file : folder.Files) {
        if (!m_rows.appendFile(file.name, file.size, file.datecreated))
            return rowsRefused();
        if (!appended())
            return false;
    }
    return true;
}

bool FolderWalk::walkSubFolder(const QByteArray& nativePath, int level)
{
    if (!m_rows.appendFolder(nativePath, level))
        return rowsRefused();
    if (!appended())
        return false;
    if (m_hooks.folderEntered)
        m_hooks.folderEntered(fromNativeBytes(nativePath));
    FolderResult opened = m_fileSystem.GetFolder(nativePath);
    if (!opened.folder) {
        m_outcome.unreadable.push_back({ fromNativeBytes(nativePath), opened.error });
        return true;
    }
    const bool deeper = m_choices.listsLevel(level + 1);
    if (deeper)
        m_fileSystem.willRead(opened.folder->SubFolders, m_choices.depth - level - 1);
    else if (!opened.folder->SubFolders.empty())
        m_outcome.depthReached = true;
    if (!appendFiles(*opened.folder))
        return false;
    if (deeper) {
        for (const SubFolderItem& sub : opened.folder->SubFolders)
            if (!walkSubFolder(sub.nativePath, level + 1))
                return false;
    }
    return yield();
}

bool FolderWalk::appended()
{
    ++m_outcome.entries;
    if (!yield())
        return false;
    if (!m_choices.holdsMore(m_outcome.entries)) {
        m_outcome.limitReached = true;
        return false;
    }
    return true;
}

bool FolderWalk::rowsRefused()
{
    m_outcome.cancelled = true;
    return false;
}

bool FolderWalk::yield()
{
    if (m_hooks.yieldPoint)
        m_hooks.yieldPoint();
    if (m_hooks.cancelRequested && m_hooks.cancelRequested())
        m_outcome.cancelled = true;
    return !m_outcome.cancelled;
}
