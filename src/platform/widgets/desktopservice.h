#pragma once

#include <QString>

// The desktop's own handlers: a file opens in the program the user chose for its type, a folder in the file
// manager.
class DesktopService {
public:
    virtual ~DesktopService() = default;
    // False when no handler took the path.
    [[nodiscard]] virtual bool openPath(const QString& path) = 0;
};

class QtDesktopService final : public DesktopService {
public:
    [[nodiscard]] bool openPath(const QString& path) override;
};
