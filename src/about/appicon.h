#pragma once

#include <QIcon>

namespace Vellumark {
// The program's own icon, drawn from the scalable artwork in the resources: the window icon and the About box's.
[[nodiscard]] QIcon applicationIcon();
}
