#pragma once

#include "filesystemservice.h"

#include <QHash>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// The walk's time goes to the kernel, one statx per file, and one core runs it. Worker threads read the folders
// the walk names as coming next, each with a reader of its own, while the walk lists the ones already read:
// the walk gets the same folders, in its own order, sooner.
class ReadAheadFileSystem final : public FileSystemService {
public:
    // Folders read ahead and not yet asked for stay under this count, which bounds the memory they take.
    static constexpr qsizetype maxReadAhead = 64;

    // Starts one worker; throws std::system_error, as std::thread does, when the system has no thread to give.
    using StartThread = std::function<std::thread(std::function<void()> work)>;

    explicit ReadAheadFileSystem(int workers = defaultWorkers(), const StartThread& start = {});
    ~ReadAheadFileSystem() override;
    ReadAheadFileSystem(const ReadAheadFileSystem&) = delete;
    ReadAheadFileSystem& operator=(const ReadAheadFileSystem&) = delete;

    FolderResult GetFolder(const QByteArray& nativePath) override;
    void startWalk() override;
    void willRead(const std::vector<SubFolderItem>& folders) override;

    [[nodiscard]] static int defaultWorkers();

private:
    void work();

    struct Reading {
        bool done = false;
        FolderResult result;
    };

    std::mutex m_mutex;
    std::condition_variable m_workWaiting; // for the workers: a folder named, room ahead, or the end
    std::condition_variable m_folderRead; // for the walk: the folder it waits for is read
    const QByteArray* m_awaited = nullptr; // the folder the walk waits for, if it does
    int m_idleWorkers = 0;
    std::deque<QByteArray> m_waiting; // named by the walk, not yet taken by a worker
    QHash<QByteArray, Reading> m_taken; // being read, or read and not yet asked for
    quint64 m_walk = 0; // a worker's result from an earlier walk is dropped
    bool m_stopping = false;
    PosixFileSystemService m_direct; // for a folder no worker has taken
    std::vector<std::thread> m_workers;
};
