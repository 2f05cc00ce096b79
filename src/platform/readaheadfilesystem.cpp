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
        FolderResult result = std::move(m_taken[nativePath].result);
        m_taken.remove(nativePath);
        const bool wakeWorker = m_idleWorkers > 0 && !m_waiting.empty();
        lock.unlock();
        if (wakeWorker)
            m_workWaiting.notify_one(); // room for one more ahead
        return result;
    }
    const auto waiting = std::find(m_waiting.begin(), m_waiting.end(), nativePath);
    if (waiting != m_waiting.end())
        m_waiting.erase(waiting);
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
    }
    m_direct.startWalk();
}

void ReadAheadFileSystem::willRead(const std::vector<SubFolderItem>& folders)
{
    if (m_workers.empty() || folders.empty())
        return;
    int idle = 0;
    {
        const std::scoped_lock lock(m_mutex);
        // Depth first: a folder's subfolders come before the siblings named earlier.
        for (size_t i = folders.size(); i-- > 0;)
            m_waiting.push_front(folders[i].nativePath);
        idle = m_idleWorkers;
    }
    // Every wake-up is a system call and a switch on a core the walk needs.
    if (idle > 1 && folders.size() > 1)
        m_workWaiting.notify_all();
    else if (idle > 0)
        m_workWaiting.notify_one();
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
        const QByteArray path = m_waiting.front();
        m_waiting.pop_front();
        m_taken.insert(path, {});
        const quint64 walk = m_walk;
        lock.unlock();
        if (readerWalk != walk) {
            reader.startWalk();
            readerWalk = walk;
        }
        FolderResult result = reader.GetFolder(path);
        lock.lock();
        if (walk == m_walk && m_taken.contains(path))
            m_taken[path] = { true, std::move(result) };
        if (m_awaited && *m_awaited == path)
            m_folderRead.notify_one();
    }
}
