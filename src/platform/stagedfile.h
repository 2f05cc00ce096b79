#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <thread>

#include <sys/types.h>

// An output written under a short temporary name beside its target and put in the target's place only by
// commit(). A run with several outputs writes them all before it commits any, so a failure keeps every old
// file. The temporary name stays short whatever the target's length, and the path keeps its bytes.
class StagedFile {
public:
    explicit StagedFile(const QString& path);
    ~StagedFile(); // what was not committed goes
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Refuses a target that exists and is not a regular file: replacing a pipe, a socket or a device by a file
    // would destroy it.
    [[nodiscard]] bool open();
    [[nodiscard]] bool write(const char* data, qint64 size);
    // Puts the written file in the target's place; it keeps the mode of the file it replaces.
    [[nodiscard]] bool commit();
    void discard();

    [[nodiscard]] bool isOpen() const { return m_fd >= 0; }
    // Removes the temporary files of every staged file not yet committed, for a run that must end at once (an
    // allocation failure where no stack can unwind). Allocates nothing.
    static void discardAllNow();
    [[nodiscard]] const QString& path() const { return m_path; }
    // Why the first failing step failed, in the system's words, or what the target is if not a regular file.
    [[nodiscard]] const QString& reason() const { return m_reason; }
    // Whether open() failed because the temporary file could not be made, rather than the target being wrong.
    [[nodiscard]] bool failedInFolder() const { return m_failedInFolder; }

private:
    bool fail(int error);
    void forget();
    void flushBehind();
    int finishFlush(); // the error a flush behind met, or 0

    QString m_path;
    QByteArray m_target;
    QByteArray m_temporary;
    int m_fd = -1;
    qint64 m_written = 0; // bytes written to the temporary
    qint64 m_sentToDisk = 0; // the bytes before this were given to the disk to write
    QString m_reason;
    bool m_failedInFolder = false;
    std::thread m_flusher;
    std::atomic<bool> m_flushing = false;
    std::atomic<int> m_flushError = 0;
};

// What a path that is not a regular file is, in words for a message: "This is a named pipe, not a file".
[[nodiscard]] QString notARegularFileReason(mode_t mode);

// An exception that cannot be caught (thrown in a worker thread, or while the stack unwinds) ends the run with
// exitStatus and a line on stderr, after the temporaries of this copy of StagedFile are removed: the old files
// stay. Each loaded module that stages files installs it for its own.
void endRunsWithoutFilesOnTerminate(int exitStatus = 1);
