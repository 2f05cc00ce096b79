#include "mainwindow.h"

#include "bytename.h"
#include "folderlist.h"
#include "folderwalk.h"
#include "messageservice.h"
#include "progresswindow.h"
#include "timeslicer.h"

#include <QCoreApplication>

namespace {
constexpr int unreadableShown = 5;

const QString limitText = QStringLiteral("Maximum List size of 32000 reached\r\nList stopped at 32000 records");

QString unreadableText(const std::vector<UnreadableFolder>& folders)
{
    QString text = folders.size() == 1
        ? QObject::tr("1 folder could not be read; its contents are not listed:")
        : QObject::tr("%1 folders could not be read; their contents are not listed:").arg(folders.size());
    for (size_t i = 0; i < folders.size() && i < unreadableShown; ++i)
        text += QStringLiteral("\n%1: %2").arg(displayText(folders[i].path), folders[i].reason);
    if (folders.size() > unreadableShown)
        text += QStringLiteral("\n...");
    return text;
}
}

void MainWindow::createlisting()
{
    const CommandScope command(*this);
    if (!command.acquired())
        return;
    m_listsaved = false;
    m_listing.empty();
    listingChanged();
    const QString highlighted = m_DirChosenDirectory->highlightedPath();

    WalkOutcome outcome;
    {
        ProgressWindow progress(this);
        progress.show();
        m_DirChosenDirectory->setPath(highlighted);
        // The box names the folder being listed, also when it was current already; the report and the saved
        // file take their folder from it.
        DirChosenDirectory_Change(m_DirChosenDirectory->path());

        TimeSlicer slicer([this] {
            listingChanged();
            QCoreApplication::processEvents();
        });
        FolderWalk walk(*m_services.fileSystem, m_listing,
            { [&slicer] { slicer.maybeTurn(); }, [&progress](int value) { progress.setValue(value); } });
        outcome = walk.ShowFileList(m_DirChosenDirectory->path());
        listingChanged();
        if (outcome.limitReached) {
            m_services.messages->show(this, { QMessageBox::Critical, {}, limitText, QMessageBox::Ok });
            progress.setValue(FolderWalk::barMaximum);
        }
    }
    reportWalkOutcome(outcome);
}

void MainWindow::reportWalkOutcome(const WalkOutcome& outcome)
{
    if (outcome.unreadable.empty())
        return;
    m_services.messages->show(this, { QMessageBox::Warning, {}, unreadableText(outcome.unreadable), QMessageBox::Ok });
}
