#include "stagedfile.h"

#include "bytename.h"

#include <QCoreApplication>
#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <system_error>
#include <utility>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The temporaries written now; a run has one or two.
std::array<const char*, 8> openTemporaries {};

mode_t creationMode()
{
    // The umask can only be read by setting it; the program sets it nowhere else.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

} // namespace

QString notARegularFileReason(mode_t mode)
{
    const char* what = "This is not a regular file";
    if (S_ISDIR(mode))
        what = "This is a folder, not a file";
    else if (S_ISFIFO(mode))
        what = "This is a named pipe, not a file";
    else if (S_ISSOCK(mode))
        what = "This is a socket, not a file";
    else if (S_ISCHR(mode) || S_ISBLK(mode))
        what = "This is a device, not a file";
    return QCoreApplication::translate("StagedFile", what);
}

StagedFile::StagedFile(const QString& path)
    : m_path(path)
    , m_target(toNativeBytes(path))
{
}

StagedFile::~StagedFile() { discard(); }

void StagedFile::discardAllNow()
{
    for (const char*& temporary : openTemporaries)
        if (temporary)
            ::unlink(std::exchange(temporary, nullptr));
}

void StagedFile::forget()
{
    auto* const found = std::find(openTemporaries.begin(), openTemporaries.end(), m_temporary.constData());
    if (found != openTemporaries.end())
        *found = nullptr;
    m_temporary.clear();
}

bool StagedFile::fail(int error)
{
    if (m_reason.isEmpty())
        m_reason = qt_error_string(error);
    return false;
}

bool StagedFile::open()
{
    // A link is followed, so the file it names is replaced and the link stays.
    if (char* resolved = ::realpath(m_target.constData(), nullptr)) {
        m_target = resolved;
        std::free(resolved); // NOLINT(cppcoreguidelines-no-malloc): realpath's own allocation
    }
    struct stat existing { };
    mode_t mode = creationMode();
    if (::stat(m_target.constData(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode)) {
            m_reason = notARegularFileReason(existing.st_mode);
            return false;
        }
        // A file its owner made read-only is not replaced behind his back, though the folder would allow it.
        if (::access(m_target.constData(), W_OK) != 0)
            return fail(errno);
        mode = existing.st_mode & 07777;
    } else if (errno != ENOENT) {
        return fail(errno); // "File name too long" among others
    }
    m_temporary = folderOf(m_target) + "/.vellumark-XXXXXX";
    m_fd = ::mkostemp(m_temporary.data(), O_CLOEXEC);
    if (m_fd < 0) {
        m_failedInFolder = true;
        m_temporary.clear();
        return fail(errno);
    }
    if (auto* const slot = std::find(openTemporaries.begin(), openTemporaries.end(), nullptr);
        slot != openTemporaries.end())
        *slot = m_temporary.constData();
    if (S_ISREG(existing.st_mode))
        (void)::fchown(m_fd, existing.st_uid, existing.st_gid); // only root may, and only root needs to
    if (::fchmod(m_fd, mode) != 0) {
        const int error = errno;
        discard();
        return fail(error);
    }
    return true;
}

bool StagedFile::write(const char* data, qint64 size)
{
    if (m_fd < 0)
        return m_reason.isEmpty() ? fail(EBADF) : false;
    while (size > 0) {
        const ssize_t written = ::write(m_fd, data, static_cast<size_t>(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return fail(written < 0 ? errno : ENOSPC);
        data += written;
        size -= written;
        m_written += written;
    }
    // The disk starts on what is written while the rest is made, so the wait for it in commit() is short. A file
    // system that cannot say so is left to commit().
    constexpr qint64 sendEvery = qint64 { 8 } << 20;
    if (m_written - m_sentToDisk >= sendEvery) {
        (void)::sync_file_range(m_fd, m_sentToDisk, m_written - m_sentToDisk, SYNC_FILE_RANGE_WRITE);
        m_sentToDisk = m_written;
        flushBehind();
    }
    return true;
}

// A disk that caches writes empties its cache only when asked, and then takes as long as the data it holds
// (some 75 ms for a listing of a million entries here, against 20 ms for its last 8 MB). Asked as the file
// grows, on a thread of its own so that writing goes on, it has little left for commit(). Without a thread to
// spare, commit() waits for all of it as before.
void StagedFile::flushBehind()
{
    if (m_flushing.load())
        return;
    finishFlush();
    try {
        m_flushing = true;
        m_flusher = std::thread([this, fd = m_fd] {
            if (::fdatasync(fd) != 0 && errno != EINVAL)
                m_flushError = errno;
            m_flushing = false;
        });
    } catch (const std::system_error&) {
        m_flushing = false;
    }
}

// A failure found while flushing is the file's: the system reports it only once.
int StagedFile::finishFlush()
{
    if (m_flusher.joinable())
        m_flusher.join();
    return m_flushError.load();
}

bool StagedFile::commit()
{
    if (m_fd < 0)
        return m_reason.isEmpty() ? fail(EBADF) : false;
    const int fd = std::exchange(m_fd, -1);
    // A full disk may only show when the data reach it, and a file system may refuse on close.
    const int flushError = finishFlush();
    if (flushError != 0 || (::fdatasync(fd) != 0 && errno != EINVAL)) {
        const int error = flushError != 0 ? flushError : errno;
        ::close(fd);
        ::unlink(m_temporary.constData());
        forget();
        return fail(error);
    }
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(m_temporary.constData());
        forget();
        return fail(error);
    }
    if (::rename(m_temporary.constData(), m_target.constData()) != 0) {
        const int error = errno;
        ::unlink(m_temporary.constData());
        forget();
        m_reason
            = QCoreApplication::translate("StagedFile", "The written file could not take the place of the old one: %1")
                  .arg(qt_error_string(error));
        return false;
    }
    forget();
    return true;
}

void StagedFile::discard()
{
    finishFlush();
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
    if (!m_temporary.isEmpty())
        ::unlink(m_temporary.constData());
    forget();
}

namespace {

int stoppedStatus = EXIT_FAILURE;

[[noreturn]] void endWithoutFiles()
{
    StagedFile::discardAllNow();
    const char* reason = "an unexpected failure";
    try {
        if (const std::exception_ptr failure = std::current_exception())
            std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        reason = std::strerror(ENOMEM);
    } catch (...) {
    }
    std::fprintf(stderr, "vellumark: stopped: %s; no file was changed\n", reason);
    std::_Exit(stoppedStatus);
}

} // namespace

void endRunsWithoutFilesOnTerminate(int exitStatus)
{
    stoppedStatus = exitStatus;
    std::set_terminate(endWithoutFiles);
}
