#pragma once

#include "volumeservice.h"

#include <QHash>

// A fixed list of volumes; a volume can be made not ready for a number of checks.
class FakeVolumeService final : public VolumeService {
public:
    QList<Volume> list;
    QHash<QString, int> notReadyChecks; // root path -> how many more checks fail
    int checks = 0;

    QList<Volume> volumes() override { return list; }
    Volume volumeOf(const QString& path) override
    {
        Volume best;
        for (const Volume& volume : list)
            if (path.startsWith(volume.rootPath) && volume.rootPath.size() > best.rootPath.size())
                best = volume;
        return best;
    }
    QString notReadyReason(const QString& rootPath) override
    {
        ++checks;
        int& left = notReadyChecks[rootPath];
        if (left <= 0)
            return {};
        --left;
        return QStringLiteral("the volume is not ready");
    }
};
