#include "createlistcommand.h"

#include "bytename.h"
#include "folderwalk.h"
#include "listingsession.h"
#include "listingtable.h"
#include "messageservice.h"
#include "platformservices.h"
#include "progresswindow.h"
#include "timeslicer.h"

namespace {
constexpr int unreadableShown = 5;

QString limitText()
{
    return CreateListCommand::tr("Maximum List size of 32000 reached\r\nList stopped at 32000 records");
}

QString unreadableText(const std::vector<UnreadableFolder>& folders)
{
    QString text = folders.size() == 1
        ? CreateListCommand::tr("1 folder could not be read; its contents are not listed:")
        : CreateListCommand::tr("%1 folders could not be read; their contents are not listed:").arg(folders.size());
    for (size_t i = 0; i < folders.size() && i < unreadableShown; ++i)
        text += QStringLiteral("\n%1: %2").arg(displayText(folders[i].path), folders[i].reason);
    if (folders.size() > unreadableShown)
        text += QStringLiteral("\n...");
    return text;
}
}

CreateListCommand::CreateListCommand(ListingSession& session)
    : m_session(session)
{
}

void CreateListCommand::createlisting(const QString& highlightedFolder, const MakeCurrent& makeCurrent)
{
    const CommandScope command(m_session);
    if (!command.acquired())
        return;
    m_session.setListsaved(false);
    m_session.listing().empty();
    m_session.listingChanged();

    WalkOutcome outcome;
    {
        ProgressWindow progress(m_session.window());
        progress.show();
        // The box names the folder being listed, also when it was current already; the report and the saved
        // file take their folder from it.
        const QString folder = makeCurrent(highlightedFolder);

        TimeSlicer slicer([this] {
            m_session.listingChanged();
            QCoreApplication::processEvents();
        });
        FolderWalk walk(*m_session.services().fileSystem, m_session.listing(),
            { [&slicer] { slicer.maybeTurn(); }, [&progress](int value) { progress.setValue(value); } });
        outcome = walk.ShowFileList(folder);
        m_session.listingChanged();
        if (outcome.limitReached) {
            m_session.services().messages->show(
                m_session.window(), { QMessageBox::Critical, {}, limitText(), QMessageBox::Ok });
            progress.setValue(FolderWalk::barMaximum);
        }
    }
    reportWalkOutcome(outcome);
}

void CreateListCommand::reportWalkOutcome(const WalkOutcome& outcome)
{
    if (outcome.unreadable.empty())
        return;
    m_session.services().messages->show(
        m_session.window(), { QMessageBox::Warning, {}, unreadableText(outcome.unreadable), QMessageBox::Ok });
}
