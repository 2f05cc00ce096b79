#pragma once

#include "filesystemservice.h"

#include <QHash>
#include <functional>

// Passes through to the real file system, but fails the folders it is told to fail.
class FaultyFileSystemService final : public FileSystemService {
public:
    PosixFileSystemService real;
    QHash<QByteArray, QString> failures; // native path -> the reason given
    std::function<void(const QByteArray&)> beforeGetFolder;
    QList<QByteArray> opened;

    void startWalk() override { real.startWalk(); }
    FolderResult GetFolder(const QByteArray& nativePath) override
    {
        opened.append(nativePath);
        if (beforeGetFolder)
            beforeGetFolder(nativePath);
        const auto failure = failures.constFind(nativePath);
        if (failure != failures.constEnd())
            return { std::nullopt, *failure };
        return real.GetFolder(nativePath);
    }
};
