#pragma once

#include "listingchoices.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

class FileSystemService;
class ListingTable;
struct Folder;

// Where a walk puts its rows as it lists them: the listing's table, or a file written as the walk goes.
class WalkRows {
public:
    virtual ~WalkRows() = default;
    virtual void start(const QString& /*folder*/) { }
    // Each returns false when the rows can go nowhere more, which stops the walk.
    [[nodiscard]] virtual bool appendFile(QByteArrayView name, qint64 size, std::optional<qint64> created) = 0;
    [[nodiscard]] virtual bool appendFolder(QByteArrayView path, int level) = 0;
};

class TableRows final : public WalkRows {
public:
    explicit TableRows(ListingTable* table)
        : m_table(table)
    {
    }
    bool appendFile(QByteArrayView name, qint64 size, std::optional<qint64> created) override;
    bool appendFolder(QByteArrayView path, int level) override;

private:
    ListingTable* m_table;
};

struct WalkHooks {
    std::function<void()> yieldPoint; // after each entry and each finished folder
    std::function<void(int)> setProgress; // the bar, 0 to 1000
    std::function<void(const QString&)> folderEntered; // the folder about to be read
    std::function<bool()> cancelRequested; // asked after each yield; true stops the walk
};

struct UnreadableFolder {
    QString path;
    QString reason;
    bool operator==(const UnreadableFolder&) const = default;
};

struct WalkOutcome {
    bool limitReached = false;
    bool depthReached = false; // a folder at the deepest level has subfolders that are not listed
    bool cancelled = false;
    qint64 entries = 0; // listed, also those a hook took out of the table meanwhile
    std::vector<UnreadableFolder> unreadable;
};

// Walks a folder into the listing as deep as the choices say: the folder's own files, then each subfolder's row,
// its files and its subtree, depth first. Stops at the choices' limit or when the user cancels, keeping what it
// listed. A folder that cannot be read keeps its row, loses its contents, and is reported in the outcome.
class FolderWalk {
public:
    static constexpr int barMaximum = 1000;

    FolderWalk(FileSystemService& fileSystem, ListingTable& table, WalkHooks hooks, ListingChoices choices = {});
    FolderWalk(FileSystemService& fileSystem, WalkRows& rows, WalkHooks hooks, ListingChoices choices = {});
    FolderWalk(const FolderWalk&) = delete;
    FolderWalk& operator=(const FolderWalk&) = delete;

    [[nodiscard]] WalkOutcome ShowFileList(const QString& folderspec);

private:
    [[nodiscard]] bool appendFiles(const Folder& folder);
    [[nodiscard]] bool walkSubFolder(const QByteArray& nativePath, int level);
    [[nodiscard]] bool appended();
    [[nodiscard]] bool yield();
    [[nodiscard]] bool rowsRefused(); // stops the walk as a cancel does

    FileSystemService& m_fileSystem;
    TableRows m_tableRows { nullptr };
    WalkRows& m_rows;
    WalkHooks m_hooks;
    ListingChoices m_choices;
    WalkOutcome m_outcome;
};
