#include "listingfilewriter.h"

#include "bytename.h"
#include "stagedfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
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
    const QByteArray native = toNativeBytes(path);
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
QString openFailureReason(const StagedFile& file)
{
    const QFileInfo target(file.path());
    if (file.failedInFolder() && target.exists() && !target.isWritable())
        return translated("The file cannot be written: %1").arg(qt_error_string(EACCES));
    if (file.failedInFolder() && QFileInfo(target.absolutePath()).isDir())
        return translated("No temporary file could be created in %1: %2")
            .arg(QDir::toNativeSeparators(target.absolutePath()), file.reason());
    return file.reason();
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
    if (const std::optional<qint64> size = table.fileSize(entry))
        addSize(*size);
    else
        m_writer.addField(table.sizeBytes(entry));
    m_writer.addField(table.dateBytes(entry));
    m_writer.endRecord();
    ++m_records;
}

// Most cells are a file's size: written without a string of its own.
void ListingFileWriter::addSize(qint64 size)
{
    char digits[24];
    const auto written = std::to_chars(std::begin(digits), std::end(digits), size);
    m_writer.addPlainField(QByteArrayView(std::begin(digits), written.ptr));
}

void ListingFileWriter::addFile(QByteArrayView name, qint64 size, std::optional<qint64> created)
{
    m_writer.addField(name);
    addSize(size);
    if (created)
        m_writer.addPlainField(m_dates.utf8(*created));
    else
        m_writer.addField(QByteArrayView());
    m_writer.endRecord();
    ++m_records;
}

void ListingFileWriter::addFolder(QByteArrayView path, int level)
{
    m_writer.addField(path);
    m_writer.addField(ListingCodec::folderSizeText().toUtf8());
    m_writer.addField(ListingCodec::levelMarker(level).toUtf8());
    m_writer.endRecord();
    ++m_records;
}

SaveOutcome writeListingFile(StagedFile& file, const QByteArray& bytes)
{
    return writeStagedFile(file, [&](const PieceWriter& write) { return write(bytes); });
}

SaveOutcome writeStagedFile(StagedFile& file, const std::function<bool(const PieceWriter&)>& produce)
{
    if (inUse(file.path()))
        return { SaveOutcome::Status::InUse, qt_error_string(EBUSY) };
    if (!file.open())
        return failure(SaveOutcome::Status::OpenFailed, file.reason(), openFailureReason(file));
    if (!produce([&](QByteArrayView piece) { return file.write(piece.data(), piece.size()); })) {
        file.discard();
        return failure(SaveOutcome::Status::WriteFailed, file.reason(), file.reason());
    }
    return {};
}

SaveOutcome commitListingFile(StagedFile& file)
{
    if (!file.commit())
        return failure(SaveOutcome::Status::WriteFailed, file.reason(), file.reason());
    return {};
}

SaveOutcome saveListingFile(const QString& path, const QByteArray& bytes)
{
    StagedFile file(path);
    const SaveOutcome written = writeListingFile(file, bytes);
    return written.status == SaveOutcome::Status::Saved ? commitListingFile(file) : written;
}
