#include "helptopics.h"

#include "buildconfig.h"
#include "helpservice.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString helpFileIn(const QString& programDir, const char* relativeDir)
{
    return QDir::cleanPath(
        programDir + u'/' + QString::fromUtf8(relativeDir) + u'/' + QString::fromUtf8(Vellumark::Build::helpFileName));
}

}

namespace Vellumark {

QString helpFilePathFor(const QString& programDir)
{
    const QString installed = helpFileIn(programDir, Build::installedHelpDir);
    const QString built = helpFileIn(programDir, Build::builtHelpDir);
    // Without either, the installed path is the one worth naming in the help window's message.
    return QFileInfo::exists(installed) || !QFileInfo::exists(built) ? installed : built;
}

QString helpFilePath() { return helpFilePathFor(QCoreApplication::applicationDirPath()); }

// The help project (help/vellumark.qhp) gives its contents page this identifier.
QString helpContentsId() { return QStringLiteral("vellumark.contents"); }

std::unique_ptr<HelpService> createHelpService()
{
    return std::make_unique<QtHelpService>(helpFilePath(), helpContentsId());
}

}

void showHelpTopics(HelpService* help, QWidget* mainWindow)
{
    if (help)
        help->showContents(mainWindow);
}
