#include "filesystemservice.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QByteArray childPath(const QByteArray& parent, const char* name)
{
    QByteArray path = parent;
    if (!path.endsWith('/'))
        path += '/';
    path += name;
    return path;
}

// The name of child within parent when child is a direct entry of parent, else null.
const char* entryNameIn(const QByteArray& parent, const QByteArray& child)
{
    const bool slashEnded = parent.endsWith('/');
    const qsizetype prefix = slashEnded ? parent.size() : parent.size() + 1;
    if (child.size() <= prefix || !child.startsWith(parent) || (!slashEnded && child[parent.size()] != '/'))
        return nullptr;
    return child.indexOf('/', prefix) < 0 ? child.constData() + prefix : nullptr;
}

enum class Kind { File, Folder, Gone };

struct Stat {
    Kind kind = Kind::Gone;
    qint64 size = 0;
    std::optional<qint64> born;
};

// Never follows a link: a link is listed as a file of its own size, so a loop cannot trap the walk.
Stat statEntry(int dirFd, const char* name)
{
    struct statx info { };
    if (statx(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_TYPE | STATX_SIZE | STATX_BTIME, &info) != 0)
        return {};
    Stat result;
    result.kind = S_ISDIR(info.stx_mode) ? Kind::Folder : Kind::File;
    result.size = static_cast<qint64>(info.stx_size);
    if (info.stx_mask & STATX_BTIME)
        result.born = info.stx_btime.tv_sec;
    return result;
}

}

bool precedesByName(const QString& a, const QString& b)
{
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

PosixFileSystemService::~PosixFileSystemService() { startWalk(); }

void PosixFileSystemService::startWalk()
{
    for (const auto& [path, fd] : m_openChain)
        close(fd);
    m_openChain.clear();
}

int PosixFileSystemService::openFolder(const QByteArray& nativePath)
{
    const char* name = nullptr;
    while (!m_openChain.empty() && !(name = entryNameIn(m_openChain.back().first, nativePath))) {
        close(m_openChain.back().second);
        m_openChain.pop_back();
    }
    const int fd = name ? openat(m_openChain.back().second, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW)
                        : open(nativePath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return fd;
    const int kept = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (kept >= 0)
        m_openChain.emplace_back(nativePath, kept);
    return fd;
}

FolderResult PosixFileSystemService::GetFolder(const QByteArray& nativePath)
{
    const int dirFd = openFolder(nativePath);
    if (dirFd < 0)
        return { std::nullopt, systemReason(errno) };
    const std::unique_ptr<DIR, DirCloser> dir(fdopendir(dirFd));
    if (!dir) {
        const int error = errno;
        close(dirFd);
        return { std::nullopt, systemReason(error) };
    }

    Folder folder;
    folder.Path = QFile::decodeName(nativePath);
    errno = 0;
    while (const dirent* entry = readdir(dir.get())) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        if (entry->d_type == DT_DIR) {
            QByteArray path = childPath(nativePath, name);
            folder.SubFolders.push_back({ QFile::decodeName(path), path });
            continue;
        }
        const Stat stat = statEntry(dirFd, name);
        if (stat.kind == Kind::Folder) {
            QByteArray path = childPath(nativePath, name);
            folder.SubFolders.push_back({ QFile::decodeName(path), path });
        } else if (stat.kind == Kind::File) {
            folder.Files.push_back({ QFile::decodeName(name), stat.size, stat.born });
        }
        errno = 0;
    }
    if (errno != 0)
        return { std::nullopt, systemReason(errno) };

    std::sort(folder.Files.begin(), folder.Files.end(),
        [](const FileItem& a, const FileItem& b) { return precedesByName(a.name, b.name); });
    std::sort(folder.SubFolders.begin(), folder.SubFolders.end(),
        [](const SubFolderItem& a, const SubFolderItem& b) { return precedesByName(a.Path, b.Path); });
    return { std::move(folder), {} };
}
