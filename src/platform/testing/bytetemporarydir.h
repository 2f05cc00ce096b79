#pragma once

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>

// A temporary folder that tests fill by bytes. QTemporaryDir cannot remove names that are not valid UTF-8, nor
// the contents of a folder it may not enter; this one removes its tree by bytes, restoring access first.
class ByteTemporaryDir : public QTemporaryDir {
public:
    ~ByteTemporaryDir() { removeTree(nativePath().toStdString()); }
    ByteTemporaryDir() = default;
    ByteTemporaryDir(const ByteTemporaryDir&) = delete;
    ByteTemporaryDir& operator=(const ByteTemporaryDir&) = delete;

    [[nodiscard]] QByteArray nativePath() const { return QFile::encodeName(path()); }

    static void removeTree(const std::filesystem::path& path)
    {
        namespace fs = std::filesystem;
        std::error_code ignored;
        if (fs::is_directory(fs::symlink_status(path, ignored))) {
            fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ignored);
            for (const fs::directory_entry& entry : fs::directory_iterator(path, ignored))
                removeTree(entry.path());
        }
        fs::remove(path, ignored);
    }
};
