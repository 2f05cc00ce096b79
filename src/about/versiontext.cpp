#include "versiontext.h"

#include "buildconfig.h"

#include <QCoreApplication>

namespace Vellumark {

QString versionText(int major, int minor, int revision)
{
    return QCoreApplication::translate("AboutBox", "Version %1.%2.%3").arg(major).arg(minor).arg(revision);
}

QString programVersionText() { return versionText(Build::versionMajor, Build::versionMinor, Build::versionRevision); }

}
