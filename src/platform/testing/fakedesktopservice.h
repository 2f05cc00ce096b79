#pragma once

#include "desktopservice.h"

#include <QStringList>

// Records the paths handed to the desktop, and takes them all unless told otherwise.
class FakeDesktopService final : public DesktopService {
public:
    QStringList opened;
    bool accepts = true;

    bool openPath(const QString& path) override
    {
        opened.append(path);
        return accepts;
    }
};
