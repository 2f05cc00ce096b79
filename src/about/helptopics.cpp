#include "helptopics.h"

#include "buildconfig.h"
#include "helpservice.h"
#include "programfile.h"

#include <QCoreApplication>

namespace Vellumark {

QString helpFilePathFor(const QString& programDir)
{
    return programFile(programDir, QString::fromUtf8(Build::installedHelpDir), QString::fromUtf8(Build::builtHelpDir),
        QString::fromUtf8(Build::helpFileName));
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
