#include "readaheadfilesystem.h"

#include <algorithm>
#include <system_error>

ReadAheadFileSystem::ReadAheadFileSystem(int workers, const StartThread& start)
{
    // A user at its process limit gets no thread: the walk then reads every folder itself, with the workers
    // that did start, or none.
    try {
        for (int i = 0; i < workers; ++i)
            m_workers.push_back(start ? start([this] { work(); }) : std::thread([this] { work(); }));
    } catch (const std::system_error&) {
    }
}

ReadAheadFileSystem::~ReadAheadFileSystem()
{
    {
        const std::scoped_lock lock(m_mutex);
        m_stopping = true;
    }
    m_workWaiting.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
}

int ReadAheadFileSystem::defaultWorkers()
{
    // Beyond a few threads the kernel's locks on the file system win nothing more.
    return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 4);
}

FolderResult ReadAheadFileSystem::GetFolder(const QByteArray& nativePath)
{
    std::unique_lock lock(m_mutex);
    if (m_taken.contains(nativePath)) {
        m_awaited = &nativePath;
        m_folderRead.wait(lock, [&] { return m_taken.constFind(nativePath)->done; });
        m_awaited = nullptr;
        Reading& reading = m_taken[nativePath];
        FolderResult result = std::move(reading.result);
        m_namedFirst = reading.subFoldersNamed ? result.folder->SubFolders.front().nativePath : QByteArray();
        m_lastPlace = std::move(reading.place);
        m_taken.remove(nativePath);
        const bool wakeWorker = m_idleWorkers > 0 && !m_waiting.empty();
        lock.unlock();
        if (wakeWorker)
            m_workWaiting.notify_one(); // room for one more ahead
        return result;
    }
    const auto waiting = std::find_if(
        m_waiting.begin(), m_waiting.end(), [&](const auto& named) { return named.second.path == nativePath; });
    m_lastPlace = waiting != m_waiting.end() ? waiting->first : Place();
    if (waiting != m_waiting.end())
        m_waiting.erase(waiting);
    m_namedFirst.clear();
    lock.unlock();
    return m_direct.GetFolder(nativePath);
}

void ReadAheadFileSystem::startWalk()
{
    {
        const std::scoped_lock lock(m_mutex);
        ++m_walk;
        m_waiting.clear();
        m_taken.clear();
        m_namedFirst.clear();
        m_lastPlace.clear();
    }
    m_direct.startWalk();
}

void ReadAheadFileSystem::willRead(const std::vector<SubFolderItem>& folders, int levelsBelow)
{
    if (m_workers.empty() || folders.empty())
        return;
    int idle = 0;
    {
        const std::scoped_lock lock(m_mutex);
        if (folders.front().nativePath == m_namedFirst)
            return; // the worker that read their folder named them
        name(folders, levelsBelow, m_lastPlace);
        idle = m_idleWorkers;
    }
    // Every wake-up is a system call and a switch on a core the walk needs.
    if (idle > 1 && folders.size() > 1)
        m_workWaiting.notify_all();
    else if (idle > 0)
        m_workWaiting.notify_one();
}

void ReadAheadFileSystem::name(const std::vector<SubFolderItem>& folders, int levelsBelow, const Place& parent)
{
    Place place = parent;
    place.push_back(0);
    for (size_t i = 0; i < folders.size(); ++i) {
        place.back() = static_cast<quint32>(i);
        m_waiting.emplace(place, Named { folders[i].nativePath, levelsBelow });
    }
}

void ReadAheadFileSystem::work()
{
    PosixFileSystemService reader;
    quint64 readerWalk = 0;
    std::unique_lock lock(m_mutex);
    for (;;) {
        ++m_idleWorkers;
        m_workWaiting.wait(
            lock, [this] { return m_stopping || (!m_waiting.empty() && m_taken.size() < maxReadAhead); });
        --m_idleWorkers;
        if (m_stopping)
            return;
        const auto first = m_waiting.begin();
        const Named named = first->second;
        Place place = first->first;
        m_waiting.erase(first);
        const QByteArray& path = named.path;
        if (m_taken.contains(path))
            continue;
        m_taken.insert(path, {});
        const quint64 walk = m_walk;
        lock.unlock();
        if (readerWalk != walk) {
            reader.startWalk();
            readerWalk = walk;
        }
        FolderResult result = reader.GetFolder(path);
        lock.lock();
        if (walk == m_walk && m_taken.contains(path)) {
            const bool deeper = named.levelsBelow > 0 && result.folder && !result.folder->SubFolders.empty();
            if (deeper) {
                name(result.folder->SubFolders, named.levelsBelow - 1, place);
                if (m_idleWorkers > 0)
                    m_workWaiting.notify_one();
            }
            m_taken[path] = { true, std::move(result), std::move(place), deeper };
        }
        if (m_awaited && *m_awaited == path)
            m_folderRead.notify_one();
    }
}
