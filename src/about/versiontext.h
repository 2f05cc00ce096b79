#pragma once

#include <QString>

namespace Vellumark {
// "Version " and all three parts of a version, so that 1.0.0 never shrinks to "1.0".
[[nodiscard]] QString versionText(int major, int minor, int revision);
// The version text of this build, from the project's version.
[[nodiscard]] QString programVersionText();
}
