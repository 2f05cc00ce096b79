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

QString cancelText(int listcount)
{
    return CreateListCommand::tr("Create List cancelled\r\nList stopped at %1 records").arg(listcount);
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

CreatedListing CreateListCommand::createlisting(
    const QString& highlightedFolder, const MakeCurrent& makeCurrent, const Walked& walked)
{
    const CommandScope command(m_session);
    if (!command.acquired())
        return {};
    m_session.setListsaved(false);
    m_session.listing().empty();
    m_session.listingChanged();

    CreatedListing created;
    const ListingChoices choices = m_session.listingChoices();
    {
        ProgressWindow progress(m_session.window(), tr("Creating List"));
        progress.show();
        progress.activateWindow();
        // The box names the folder being listed, also when it was current already; the report and the saved
        // file take their folder from it.
        created.folder = makeCurrent(highlightedFolder);

        ListingTable& table = m_session.listing();
        QString reading;
        TimeSlicer slicer([&] {
            m_session.listingChanged();
            progress.setCountText(tr("%1 entries listed").arg(table.listcount()));
            progress.setDetailText(displayText(reading));
            QCoreApplication::processEvents();
        });
        WalkHooks hooks { [&slicer] { slicer.maybeTurn(); }, [&progress](int value) { progress.setValue(value); },
            [&reading](const QString& folder) { reading = folder; },
            [&progress] { return progress.cancelRequested(); } };
        created.outcome = FolderWalk(*m_session.services().fileSystem, table, std::move(hooks), choices)
                              .ShowFileList(created.folder);
        if (walked)
            walked(created.outcome);
        m_session.listingChanged();
        if (created.outcome.limitReached || created.outcome.cancelled) {
            const bool limit = created.outcome.limitReached;
            m_session.services().messages->show(m_session.window(),
                { limit ? QMessageBox::Critical : QMessageBox::Information, {},
                    limit ? ListingChoiceText::limitMessage(choices.limit) : cancelText(table.listcount()),
                    QMessageBox::Ok });
            progress.setValue(FolderWalk::barMaximum);
        }
    }
    reportWalkOutcome(created.outcome);
    return created;
}

void CreateListCommand::reportWalkOutcome(const WalkOutcome& outcome)
{
    if (outcome.unreadable.empty())
        return;
    m_session.services().messages->show(
        m_session.window(), { QMessageBox::Warning, {}, unreadableText(outcome.unreadable), QMessageBox::Ok });
}
