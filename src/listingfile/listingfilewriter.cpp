#include "listingfilewriter.h"

#include "writeall.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <charconv>
#include <iterator>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A file that another program is running from, or holds a lock on, is in use. Only regular files are probed:
// opening a pipe or a device for writing could block or have effects of its own.
bool inUse(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat status { };
    if (::stat(native.constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    const int fd = ::open(native.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return errno == ETXTBSY || errno == EBUSY;
    struct flock lock { };
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    bool locked = ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    if (!locked) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::flock(fd, LOCK_UN);
        else
            locked = errno == EWOULDBLOCK;
    }
    ::close(fd);
    return locked;
}

bool isBusyReason(const QString& reason)
{
    return reason == qt_error_string(EBUSY) || reason == qt_error_string(ETXTBSY);
}

// reason is the system's; shown says which step it belongs to.
SaveOutcome failure(SaveOutcome::Status status, const QString& reason, const QString& shown)
{
    return { isBusyReason(reason) ? SaveOutcome::Status::InUse : status, shown };
}

QString translated(const char* text) { return QCoreApplication::translate("ListingFileWriter", text); }

// The file is written to a temporary file beside it first: a folder that takes no new files fails there, which
// the system's reason alone ("No such file or directory" in /proc) would not tell.
QString openFailureReason(const QString& path, const QString& reason)
{
    const QFileInfo target(path);
    if (target.exists() && !target.isDir() && !target.isWritable())
        return translated("The file cannot be written: %1").arg(qt_error_string(EACCES));
    const QFileInfo folder(target.absolutePath());
    if (!target.isDir() && folder.isDir())
        return translated("No temporary file could be created in %1: %2")
            .arg(QDir::toNativeSeparators(folder.filePath()), reason);
    return reason;
}

} // namespace

ListingFileWriter::ListingFileWriter(const QString& selectedPath, int expectedRecords)
{
    // A typical row line is well under 80 bytes; one reservation spares the regrowing.
    m_writer.reserve(2 * selectedPath.size() + 4 + qsizetype(expectedRecords) * 80);
    m_writer.addField(selectedPath);
    m_writer.endRecord();
}

void ListingFileWriter::addRecord(const ListingTable& table, qsizetype entry)
{
    m_writer.addField(table.nameBytes(entry));
    if (const std::optional<qint64> size = table.fileSize(entry)) {
        // Most cells are a file's size: written without a string of its own.
        char digits[24];
        const auto written = std::to_chars(std::begin(digits), std::end(digits), *size);
        m_writer.addField(QByteArrayView(std::begin(digits), written.ptr));
    } else {
        m_writer.addField(table.sizeBytes(entry));
    }
    m_writer.addField(table.dateBytes(entry));
    m_writer.endRecord();
    ++m_records;
}

SaveOutcome saveListingFile(const QString& path, const QByteArray& bytes)
{
    if (inUse(path))
        return { SaveOutcome::Status::InUse, qt_error_string(EBUSY) };
    QSaveFile file(path);
    // Unbuffered, so that writeAll sees every short write.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failure(
            SaveOutcome::Status::OpenFailed, file.errorString(), openFailureReason(path, file.errorString()));
    if (!writeAll(file, bytes.constData(), bytes.size())) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return failure(SaveOutcome::Status::WriteFailed, reason, reason);
    }
    if (!file.commit()) {
        const QString reason = file.errorString();
        return failure(SaveOutcome::Status::WriteFailed, reason,
            file.error() == QFileDevice::RenameError
                ? translated("The written file could not take the place of the old one: %1").arg(reason)
                : reason);
    }
    return {};
}
