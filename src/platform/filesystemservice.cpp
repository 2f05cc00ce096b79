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

// Every subfolder's path starts with the same folder, so the name after the last slash decides the order.
QByteArrayView nameOf(const SubFolderItem& folder)
{
    return QByteArrayView(folder.nativePath).sliced(folder.nativePath.lastIndexOf('/') + 1);
}

QByteArrayView nameOf(const FileItem& file) { return file.name; }

// While every name is ASCII the bytes are compared as they are. Otherwise each name is decoded once, rather
// than at every comparison as the rule for bytes would.
template <typename Item> void sortByName(std::vector<Item>& items, bool allAscii)
{
    if (allAscii) {
        std::sort(items.begin(), items.end(),
            [](const Item& a, const Item& b) { return precedesByName(nameOf(a), nameOf(b)); });
        return;
    }
    std::vector<std::pair<QString, size_t>> names;
    names.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i)
        names.emplace_back(fromNativeBytes(nameOf(items[i])), i);
    std::sort(
        names.begin(), names.end(), [](const auto& a, const auto& b) { return precedesByName(a.first, b.first); });
    std::vector<Item> sorted;
    sorted.reserve(items.size());
    for (const auto& name : names)
        sorted.push_back(std::move(items[name.second]));
    items = std::move(sorted);
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

unsigned foldedAscii(unsigned c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

// Sorting compares names many times over; while both names are ASCII, case folding needs no Unicode tables.
// Empty at the first character beyond ASCII: the full rule then gives the same answer for the part compared so
// far. An ASCII byte is the same character in UTF-8 and UTF-16, so bytes and text stop at the same place.
template <typename Char>
std::optional<bool> asciiOrder(const Char* left, qsizetype leftSize, const Char* right, qsizetype rightSize)
{
    const qsizetype common = std::min(leftSize, rightSize);
    int firstDifference = 0;
    for (qsizetype i = 0; i < common; ++i) {
        const unsigned l = left[i];
        const unsigned r = right[i];
        if ((l | r) >= 0x80)
            return std::nullopt;
        if (l == r)
            continue;
        const unsigned foldedLeft = foldedAscii(l);
        const unsigned foldedRight = foldedAscii(r);
        if (foldedLeft != foldedRight)
            return foldedLeft < foldedRight;
        if (firstDifference == 0)
            firstDifference = int(l) - int(r);
    }
    if (leftSize != rightSize)
        return leftSize < rightSize;
    return firstDifference < 0;
}
}

bool precedesByName(QStringView a, QStringView b)
{
    const std::optional<bool> ascii = asciiOrder(a.utf16(), a.size(), b.utf16(), b.size());
    return ascii ? *ascii : precedesByFullRule(a, b);
}

bool precedesByName(QByteArrayView a, QByteArrayView b)
{
    const auto* left = reinterpret_cast<const unsigned char*>(a.data());
    const auto* right = reinterpret_cast<const unsigned char*>(b.data());
    const std::optional<bool> ascii = asciiOrder(left, a.size(), right, b.size());
    return ascii ? *ascii : precedesByFullRule(fromNativeBytes(a), fromNativeBytes(b));
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
    bool filesAscii = true;
    bool foldersAscii = true;
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
        const bool ascii = isAscii(name, nameSize);
        if (entry->d_type == DT_DIR && entered) {
            folder.SubFolders.push_back({ childPath(nativePath, name, nameSize) });
            foldersAscii = foldersAscii && ascii;
            continue;
        }
        const Stat stat = statEntry(dirFd, name);
        if (stat.kind == Kind::Failed)
            return { std::nullopt, systemReason(stat.error) };
        entered = entered || stat.kind != Kind::Gone;
        if (stat.kind == Kind::Folder) {
            folder.SubFolders.push_back({ childPath(nativePath, name, nameSize) });
            foldersAscii = foldersAscii && ascii;
        } else if (stat.kind == Kind::File) {
            folder.Files.push_back({ QByteArray(name, static_cast<qsizetype>(nameSize)), stat.size, stat.born });
            filesAscii = filesAscii && ascii;
        }
    }

    sortByName(folder.Files, filesAscii);
    sortByName(folder.SubFolders, foldersAscii);
    return { std::move(folder), {} };
}
