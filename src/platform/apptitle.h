#pragma once

#include <QString>

namespace Vellumark {
// Shown in the main window's caption and in every message box without a caption of its own.
inline QString applicationTitle() { return QStringLiteral("Vellumark"); }
}
