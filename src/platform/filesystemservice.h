#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <memory>
#include <optional>
#include <vector>

// Names stay the bytes the system gave: they need not be valid text, and the listing stores bytes.
struct FileItem {
    QByteArray name;
    qint64 size = 0;
    std::optional<qint64> datecreated; // seconds since the epoch (UTC); none where the file system keeps no birth time

    bool operator==(const FileItem&) const = default;
};

struct SubFolderItem {
    QByteArray nativePath; // the full path

    bool operator==(const SubFolderItem&) const = default;
};

struct Folder {
    // Where a reader keeps the files' names, each FileItem::name a view of it: never changed once filled, shared
    // by copies, and moved with the folder.
    QByteArray names;
    std::vector<FileItem> Files;
    std::vector<SubFolderItem> SubFolders;

    [[nodiscard]] qsizetype Count() const { return static_cast<qsizetype>(SubFolders.size()); }
};

struct FolderResult {
    std::optional<Folder> folder;
    QString error; // the system's reason when folder is empty
};

// Reads one folder at a time. Files and subfolders come in name order (case-insensitive, ties by code point);
// symbolic links are files and never followed.
class FileSystemService {
public:
    virtual ~FileSystemService() = default;
    [[nodiscard]] virtual FolderResult GetFolder(const QByteArray& nativePath) = 0;
    // A new walk begins: nothing remembered from an earlier one may be trusted.
    virtual void startWalk() { }
    // The folders the walk reads next, in this order and before any named to it earlier, and how many levels
    // below them it reads too.
    virtual void willRead(const std::vector<SubFolderItem>& /*folders*/, int /*levelsBelow*/) { }
};

class PosixFileSystemService final : public FileSystemService {
public:
    PosixFileSystemService() = default;
    ~PosixFileSystemService() override;
    PosixFileSystemService(const PosixFileSystemService&) = delete;
    PosixFileSystemService& operator=(const PosixFileSystemService&) = delete;

    FolderResult GetFolder(const QByteArray& nativePath) override;
    void startWalk() override;

private:
    // The folder's descriptor, owned by m_openChain; negative on failure.
    int openFolder(const QByteArray& nativePath);

    // The folders last opened, each the parent of the next. A walk opens each subfolder relative to its
    // parent, which spares the kernel a lookup of the whole path every time.
    std::vector<std::pair<QByteArray, int>> m_openChain;
};

// The same order for names as bytes, each read as fromNativeBytes reads it.
[[nodiscard]] bool precedesByName(QByteArrayView a, QByteArrayView b);
[[nodiscard]] inline bool precedesByName(const QByteArray& a, const QByteArray& b)
{
    return precedesByName(QByteArrayView(a), QByteArrayView(b));
}

// A few characters of a name case-folded once: a sort compares every name many times, and most pairs differ
// within the first few. Names that tie there are keyed again on the characters that follow.
struct SortableName {
    static constexpr int keyCharacters = 4;
    QByteArrayView bytes;
    quint64 folded = 0; // 16 bits a character, the first highest; zeros past what is known
    int known = 0; // the characters the key holds; all of them once the name has ended
    qsizetype end = 0; // where the key's characters end in the name's bytes

    // The key of the characters from the byte from on, where the names compared fold alike before it.
    explicit SortableName(QByteArrayView name, qsizetype from = 0);
    [[nodiscard]] bool ended() const { return end == bytes.size(); }
};
// The same order as for the names' bytes.
[[nodiscard]] bool precedesByName(const SortableName& a, const SortableName& b);
// The names in that order, sorted as a folder's entries are.
void sortNames(std::vector<QByteArrayView>& names);
