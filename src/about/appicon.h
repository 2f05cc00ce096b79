#pragma once

#include <QIcon>

namespace Vellumark {
// The program's own icon, drawn from the scalable artwork in the resources: the window icon and the About box's.
[[nodiscard]] QIcon applicationIcon();

// For main(), once the application object exists: the icon for every window, and the name of the desktop entry
// (vellumark.desktop) through which the desktop finds the program's name and icon.
void applyDesktopIdentity();
}
