#pragma once

#include <QList>
#include <QString>

struct Volume {
    QString rootPath; // native form, "/" for the root file system
    QString name;

    bool operator==(const Volume&) const = default;
};

// The mounted volumes behind the drive list.
class VolumeService {
public:
    virtual ~VolumeService() = default;
    [[nodiscard]] virtual QList<Volume> volumes() = 0;
    // The volume holding the given path.
    [[nodiscard]] virtual Volume volumeOf(const QString& path) = 0;
    // Empty when the volume can be used; otherwise why it cannot.
    [[nodiscard]] virtual QString notReadyReason(const QString& rootPath) = 0;
};

class QtVolumeService final : public VolumeService {
public:
    QList<Volume> volumes() override;
    Volume volumeOf(const QString& path) override;
    QString notReadyReason(const QString& rootPath) override;
};
