#include "helptopics.h"

#include "buildconfig.h"
#include "helpservice.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString comparablePath(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QFileInfo(path).absoluteFilePath()) : canonical;
}

}

namespace Vellumark {

QString helpFilePathFor(const QString& programDir)
{
    const bool installed = comparablePath(programDir) == comparablePath(QString::fromUtf8(Build::installedProgramDir));
    return QString::fromUtf8(installed ? Build::installedHelpFile : Build::helpFile);
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
