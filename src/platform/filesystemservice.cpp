#include "filesystemservice.h"

#include "bytename.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

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
QByteArrayView nameOf(QByteArrayView name) { return name; }

// What the sort moves: a key and where its name is, small, so that the sort moves little. The name and its key
// in full stay in place.
struct SortEntry {
    quint64 folded;
    quint32 index; // of the item, and of its name's key
    bool keyed; // the key holds all its characters
};

SortEntry sortEntry(const SortableName& name, quint32 index)
{
    return { name.folded, index, name.known == SortableName::keyCharacters };
}

// Sorts names that fold alike before their keys: by the keys, then each run of names whose keys tie by their
// next characters, so that most pairs are told apart by comparing two numbers. A name that ended keys as
// nothing, before every longer one. A key that stops early, at a character beyond the basic plane, and names
// that fold alike to their ends go by the full rule.
void sortByKeys(SortEntry* first, SortEntry* last, std::vector<SortableName>& names)
{
    // Names whose keys tie are alike to the full rule too, where it meets a key that stopped early: the two
    // orders agree.
    std::sort(first, last, [&names](const SortEntry& a, const SortEntry& b) {
        return a.keyed && b.keyed ? a.folded < b.folded : precedesByName(names[a.index], names[b.index]);
    });
    for (SortEntry* run = first; run != last;) {
        SortEntry* next = run + 1;
        if (run->keyed)
            next = std::find_if(
                next, last, [run](const SortEntry& entry) { return !entry.keyed || entry.folded != run->folded; });
        if (next - run > 1) {
            if (std::all_of(run, next, [&names](const SortEntry& entry) { return names[entry.index].ended(); })) {
                std::sort(run, next, [&names](const SortEntry& a, const SortEntry& b) {
                    return precedesByName(names[a.index].bytes, names[b.index].bytes);
                });
            } else {
                // Names that share their bytes past the key, as a stem, are keyed again where they part, from
                // the last whole character before it.
                const SortableName& firstName = names[run->index];
                qsizetype shared = firstName.bytes.size();
                for (SortEntry* entry = run + 1; entry != next; ++entry)
                    shared = std::min(shared, sharedStart(firstName.bytes, names[entry->index].bytes));
                const auto* bytes = reinterpret_cast<const unsigned char*>(firstName.bytes.data());
                while (shared > firstName.end && bytes[shared - 1] >= 0x80)
                    --shared;
                for (SortEntry* entry = run; entry != next; ++entry) {
                    SortableName& name = names[entry->index];
                    name = SortableName(name.bytes, std::max(shared, name.end));
                    *entry = sortEntry(name, entry->index);
                }
                sortByKeys(run, next, names);
            }
        }
        run = next;
    }
}

// The names' keys are made once and the items moved once: the sort then compares small entries, and reads a
// name again only where the first characters tie.
template <typename Item> void sortByName(std::vector<Item>& items)
{
    std::vector<SortableName> names;
    std::vector<SortEntry> entries;
    names.reserve(items.size());
    entries.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i)
        entries.push_back(sortEntry(names.emplace_back(nameOf(items[i])), static_cast<quint32>(i)));
    sortByKeys(entries.data(), entries.data() + entries.size(), names);
    std::vector<Item> sorted;
    sorted.reserve(items.size());
    for (const SortEntry& entry : entries)
        sorted.push_back(std::move(items[entry.index]));
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

// Never follows a link: a link is listed as a file of its own size, so a loop cannot trap the walk. An entry
// that vanished since the folder was read is gone; any other failure (a folder that may be read but not
// entered fails for every entry) fails the folder, with the reason in errno. A file's size and birth time go
// straight into its item: a copy of them through another struct stalls on every file.
Kind statEntry(int dirFd, const char* name, FileItem& file)
{
    struct statx info; // NOLINT(cppcoreguidelines-pro-type-member-init): filled by the call, 256 bytes a file
    if (statx(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_TYPE | STATX_SIZE | STATX_BTIME, &info) != 0)
        return errno == ENOENT ? Kind::Gone : Kind::Failed;
    if (S_ISDIR(info.stx_mode))
        return Kind::Folder;
    file.size = static_cast<qint64>(info.stx_size);
    if (info.stx_mask & STATX_BTIME)
        file.datecreated = info.stx_btime.tv_sec;
    return Kind::File;
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

// The first character as fromNativeBytes decodes it, case-folded as the full rule folds it; beyond the basic
// plane, an answer above it. Bytes that start no character are the escaped units that fold to themselves.
char32_t foldedFirstCharacter(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return 0;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const int length = utf8SequenceAt(bytes, 0);
    if (length == 0)
        return 0xDC00 + data[0];
    char32_t code = length == 1 ? data[0] : data[0] & (0x7F >> length);
    for (int i = 1; i < length; ++i)
        code = (code << 6) | (data[i] & 0x3F);
    return code > 0xFFFF ? code : QChar::toCaseFolded(code);
}
}

bool precedesByName(QByteArrayView a, QByteArrayView b)
{
    // Text decoded from equal bytes is equal, and decoding starts afresh after an ASCII byte: the rule decides
    // from the last ASCII byte before the first that differs, on text decoded from there.
    const auto* left = reinterpret_cast<const unsigned char*>(a.data());
    const auto* right = reinterpret_cast<const unsigned char*>(b.data());
    qsizetype from = sharedStart(a, b);
    while (from > 0 && left[from - 1] >= 0x80)
        --from;
    a = a.sliced(from);
    b = b.sliced(from);
    const std::optional<bool> ascii = asciiOrder(left + from, a.size(), right + from, b.size());
    if (ascii)
        return *ascii;
    // Most names that differ beyond ASCII differ in their first character after the same case-folding.
    const char32_t leftFirst = foldedFirstCharacter(a);
    const char32_t rightFirst = foldedFirstCharacter(b);
    if (leftFirst != rightFirst && leftFirst <= 0xFFFF && rightFirst <= 0xFFFF)
        return leftFirst < rightFirst;
    return precedesByFullRule(fromNativeBytes(a), fromNativeBytes(b));
}

SortableName::SortableName(QByteArrayView name, qsizetype from)
    : bytes(name)
{
    const auto* data = reinterpret_cast<const unsigned char*>(name.data());
    qsizetype at = from;
    for (; known < keyCharacters && at < name.size(); ++known) {
        const bool ascii = data[at] < 0x80;
        const char32_t code = ascii ? foldedAscii(data[at]) : foldedFirstCharacter(name.sliced(at));
        if (code > 0xFFFF)
            break; // the full rule compares such text by its UTF-16 units: left to it
        // An escaped byte is one byte long.
        const int length = ascii ? 1 : std::max(utf8SequenceAt(name, at), 1);
        folded |= quint64(code) << (16 * (keyCharacters - 1 - known));
        at += length;
    }
    end = at;
    if (at == name.size())
        known = keyCharacters; // an ended name precedes every longer one, which the zeros past its end say
}

bool precedesByName(const SortableName& a, const SortableName& b)
{
    if (const quint64 different = a.folded ^ b.folded; different != 0) {
        // The first character that differs once folded decides, wherever both keys hold it.
        const int at = std::countl_zero(different) / 16;
        if (at < std::min(a.known, b.known))
            return a.folded < b.folded;
    }
    return precedesByName(a.bytes, b.bytes);
}

void sortNames(std::vector<QByteArrayView>& names) { sortByName(names); }

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

namespace {
// The whole folder's entries, as the system gives them: the files' names are kept in place.
std::optional<QByteArray> readEntries(int dirFd)
{
    constexpr qsizetype step = 32768;
    constexpr qsizetype minimumRoom = 2048; // a few of the longest entries
    QByteArray entries;
    for (;;) {
        // What is left of the buffer is used before it grows: the call that finds the end reads into it too.
        const qsizetype filled = entries.size();
        const qsizetype room = entries.capacity() - filled >= minimumRoom ? entries.capacity() - filled : step;
        entries.resize(filled + room);
        const ssize_t read = getdents64(dirFd, entries.data() + filled, room);
        if (read < 0)
            return std::nullopt;
        entries.resize(filled + read);
        if (read == 0)
            return entries;
    }
}

qsizetype entryCount(const QByteArray& entries)
{
    qsizetype count = 0;
    for (qsizetype at = 0; at < entries.size(); ++count)
        at += reinterpret_cast<const dirent64*>(entries.constData() + at)->d_reclen;
    return count;
}
}

namespace {
// The files' names back to back in listing order, in place of the entries the system gave: the walk reads them
// in that order, often on another core, and reads straight through memory that way, not hither and thither.
void keepNamesInOrder(Folder& folder)
{
    qsizetype total = 0;
    for (const FileItem& file : folder.Files)
        total += file.name.size();
    QByteArray names(total, Qt::Uninitialized);
    char* out = names.data();
    for (FileItem& file : folder.Files) {
        const qsizetype size = file.name.size();
        std::memcpy(out, file.name.constData(), static_cast<size_t>(size));
        file.name = QByteArray::fromRawData(out, size);
        out += size;
    }
    folder.names = std::move(names);
}
}

FolderResult PosixFileSystemService::GetFolder(const QByteArray& nativePath)
{
    const int dirFd = openFolder(nativePath);
    if (dirFd < 0)
        return { std::nullopt, systemReason(errno) };
    // The descriptor stays in the chain for the subfolders.
    std::optional<QByteArray> entries = readEntries(dirFd);
    if (!entries)
        return { std::nullopt, systemReason(errno) };

    Folder folder;
    folder.names = std::move(*entries);
    folder.Files.reserve(entryCount(folder.names));
    // Subfolders are known without a look inside them, so a folder that cannot be entered shows only at a look.
    bool entered = false;
    for (qsizetype at = 0; at < folder.names.size();) {
        const auto* entry = reinterpret_cast<const dirent64*>(folder.names.constData() + at);
        at += entry->d_reclen;
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        const size_t nameSize = std::strlen(name);
        if (entry->d_type == DT_DIR && entered) {
            folder.SubFolders.push_back({ childPath(nativePath, name, nameSize) });
            continue;
        }
        FileItem& file = folder.Files.emplace_back(); // room was made for every entry
        const Kind kind = statEntry(dirFd, name, file);
        if (kind == Kind::Failed)
            return { std::nullopt, systemReason(errno) };
        entered = entered || kind != Kind::Gone;
        if (kind == Kind::File) {
            file.name = QByteArray::fromRawData(name, static_cast<qsizetype>(nameSize));
            continue;
        }
        folder.Files.pop_back();
        if (kind == Kind::Folder)
            folder.SubFolders.push_back({ childPath(nativePath, name, nameSize) });
    }

    sortByName(folder.Files);
    sortByName(folder.SubFolders);
    keepNamesInOrder(folder);
    return { std::move(folder), {} };
}
