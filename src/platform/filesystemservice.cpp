#include "filesystemservice.h"

#include "bytename.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

bool isAscii(const char* bytes, size_t size)
{
    unsigned char any = 0;
    for (size_t i = 0; i < size; ++i)
        any |= static_cast<unsigned char>(bytes[i]);
    return any < 0x80;
}

// Most names are ASCII, which decodes much faster as Latin-1.
QString decodedName(const char* bytes, size_t size)
{
    if (isAscii(bytes, size))
        return QString::fromLatin1(bytes, static_cast<qsizetype>(size));
    return fromNativeBytes(QByteArrayView(bytes, static_cast<qsizetype>(size)));
}

QByteArray childPath(const QByteArray& parent, const char* name, size_t nameSize)
{
    const bool slashEnded = parent.endsWith('/');
    QByteArray path(parent.size() + (slashEnded ? 0 : 1) + static_cast<qsizetype>(nameSize), Qt::Uninitialized);
    char* out = std::copy(parent.cbegin(), parent.cend(), path.data());
    if (!slashEnded)
        *out++ = '/';
    std::memcpy(out, name, nameSize);
    return path;
}

SubFolderItem subFolderItem(const QByteArray& parent, const char* name, size_t nameSize)
{
    QByteArray path = childPath(parent, name, nameSize);
    return { decodedName(path.constData(), static_cast<size_t>(path.size())), std::move(path) };
}

// Every subfolder's path starts with the same folder text, so the name after the last slash decides the order.
QStringView nameOf(const SubFolderItem& folder)
{
    return QStringView(folder.Path).mid(folder.Path.lastIndexOf(QLatin1Char('/')) + 1);
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

enum class Kind { File, Folder, Gone, Failed };

struct Stat {
    Kind kind = Kind::Gone;
    qint64 size = 0;
    std::optional<qint64> born;
    int error = 0; // for Failed
};

// Never follows a link: a link is listed as a file of its own size, so a loop cannot trap the walk. An entry
// that vanished since the folder was read is gone; any other failure (a folder that may be read but not
// entered fails for every entry) fails the folder.
Stat statEntry(int dirFd, const char* name)
{
    struct statx info { };
    if (statx(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_TYPE | STATX_SIZE | STATX_BTIME, &info) != 0)
        return errno == ENOENT ? Stat {} : Stat { Kind::Failed, 0, {}, errno };
    Stat result;
    result.kind = S_ISDIR(info.stx_mode) ? Kind::Folder : Kind::File;
    result.size = static_cast<qint64>(info.stx_size);
    if (info.stx_mask & STATX_BTIME)
        result.born = info.stx_btime.tv_sec;
    return result;
}

bool precedesByFullRule(QStringView a, QStringView b)
{
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

char16_t foldedAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c; }
}

// Sorting compares names many times over; while both names are ASCII, case folding needs no Unicode tables.
// The first character beyond ASCII hands the pair to the full rule, which gives the same answer for the part
// compared so far.
bool precedesByName(QStringView a, QStringView b)
{
    const qsizetype common = std::min(a.size(), b.size());
    const char16_t* left = a.utf16();
    const char16_t* right = b.utf16();
    int firstDifference = 0;
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t l = left[i];
        const char16_t r = right[i];
        if ((l | r) >= 0x80)
            return precedesByFullRule(a, b);
        if (l == r)
            continue;
        const char16_t foldedLeft = foldedAscii(l);
        const char16_t foldedRight = foldedAscii(r);
        if (foldedLeft != foldedRight)
            return foldedLeft < foldedRight;
        if (firstDifference == 0)
            firstDifference = int(l) - int(r);
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return firstDifference < 0;
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
    if (fd >= 0)
        m_openChain.emplace_back(nativePath, fd);
    return fd;
}

FolderResult PosixFileSystemService::GetFolder(const QByteArray& nativePath)
{
    const int dirFd = openFolder(nativePath);
    if (dirFd < 0)
        return { std::nullopt, systemReason(errno) };
    // The descriptor stays in the chain for the subfolders; the directory stream reads a copy of it.
    const int streamFd = dup(dirFd);
    DIR* const stream = streamFd < 0 ? nullptr : fdopendir(streamFd);
    if (!stream) {
        const int error = errno;
        if (streamFd >= 0)
            close(streamFd);
        return { std::nullopt, systemReason(error) };
    }
    const std::unique_ptr<DIR, int (*)(DIR*)> closed(stream, closedir);

    Folder folder;
    folder.Path = decodedName(nativePath.constData(), static_cast<size_t>(nativePath.size()));
    // Subfolders are known without a look inside them, so a folder that cannot be entered shows only at a look.
    bool entered = false;
    for (;;) {
        errno = 0;
        const dirent64* entry = readdir64(stream);
        if (!entry) {
            if (errno != 0)
                return { std::nullopt, systemReason(errno) };
            break;
        }
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        const size_t nameSize = std::strlen(name);
        if (entry->d_type == DT_DIR && entered) {
            folder.SubFolders.push_back(subFolderItem(nativePath, name, nameSize));
            continue;
        }
        const Stat stat = statEntry(dirFd, name);
        if (stat.kind == Kind::Failed)
            return { std::nullopt, systemReason(stat.error) };
        entered = entered || stat.kind != Kind::Gone;
        if (stat.kind == Kind::Folder)
            folder.SubFolders.push_back(subFolderItem(nativePath, name, nameSize));
        else if (stat.kind == Kind::File)
            folder.Files.push_back({ decodedName(name, nameSize), stat.size, stat.born });
    }

    std::sort(folder.Files.begin(), folder.Files.end(),
        [](const FileItem& a, const FileItem& b) { return precedesByName(a.name, b.name); });
    std::sort(folder.SubFolders.begin(), folder.SubFolders.end(),
        [](const SubFolderItem& a, const SubFolderItem& b) { return precedesByName(nameOf(a), nameOf(b)); });
    return { std::move(folder), {} };
}
