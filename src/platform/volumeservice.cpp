#include "volumeservice.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace {
Volume toVolume(const QStorageInfo& info) { return { QDir::toNativeSeparators(info.rootPath()), info.displayName() }; }
}

QList<Volume> QtVolumeService::volumes()
{
    QList<Volume> result;
    for (const QStorageInfo& info : QStorageInfo::mountedVolumes()) {
        const Volume volume = toVolume(info);
        if (!result.contains(volume))
            result.append(volume);
    }
    return result;
}

Volume QtVolumeService::volumeOf(const QString& path) { return toVolume(QStorageInfo(path)); }

QString QtVolumeService::notReadyReason(const QString& rootPath)
{
    const QStorageInfo info(rootPath);
    if (!info.isValid() || !info.isReady())
        return QStringLiteral("the volume is not ready");
    const QFileInfo root(rootPath);
    if (!root.isDir() || !root.isReadable())
        return QStringLiteral("its root folder cannot be read");
    return {};
}
