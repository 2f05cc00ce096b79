#pragma once

#include <QDir>
#include <QFileInfo>
#include <QString>

namespace Vellumark {

// A file the program ships, found relative to the program's folder so that no install prefix is built in:
// where `cmake --install` puts it, else the build tree's copy. Without either, the installed path is the one
// worth naming in a message.
[[nodiscard]] inline QString programFile(
    const QString& programDir, const QString& installedDir, const QString& builtDir, const QString& name)
{
    const QString installed = QDir::cleanPath(programDir + u'/' + installedDir + u'/' + name);
    const QString built = QDir::cleanPath(programDir + u'/' + builtDir + u'/' + name);
    return QFileInfo::exists(installed) || !QFileInfo::exists(built) ? installed : built;
}

}
