#pragma once

#include "filesystemservice.h"

#include <QHash>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

// The walk's time goes to the kernel, one statx per file, and one core runs it. Worker threads read the folders
// the walk names as coming next, each with a reader of its own, while the walk lists the ones already read:
// the walk gets the same folders, in its own order, sooner. A worker names the subfolders of a folder it read
// itself, where the walk goes deeper, so the workers keep ahead of the walk rather than a folder behind it.
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
    void willRead(const std::vector<SubFolderItem>& folders, int levelsBelow) override;

    [[nodiscard]] static int defaultWorkers();

private:
    void work();

    // A folder's place in the walk: its number among its siblings at each level from the top. In this order
    // the walk reads its folders, depth first, whoever named them and when.
    using Place = std::vector<quint32>;
    struct Reading {
        bool done = false;
        FolderResult result;
        Place place;
        bool subFoldersNamed = false; // the worker named its subfolders to be read next
    };
    struct Named {
        QByteArray path;
        int levelsBelow = 0;
    };
    void name(const std::vector<SubFolderItem>& folders, int levelsBelow, const Place& parent);

    std::mutex m_mutex;
    std::condition_variable m_workWaiting; // for the workers: a folder named, room ahead, or the end
    std::condition_variable m_folderRead; // for the walk: the folder it waits for is read
    const QByteArray* m_awaited = nullptr; // the folder the walk waits for, if it does
    int m_idleWorkers = 0;
    std::map<Place, Named> m_waiting; // named, not yet taken by a worker; the walk needs the first soonest
    QHash<QByteArray, Reading> m_taken; // being read, or read and not yet asked for
    quint64 m_walk = 0; // a worker's result from an earlier walk is dropped
    QByteArray m_namedFirst; // the first subfolder of the folder last handed to the walk, when a worker named them
    Place m_lastPlace; // of the folder last handed to the walk
    bool m_stopping = false;
    PosixFileSystemService m_direct; // for a folder no worker has taken
    std::vector<std::thread> m_workers;
};
