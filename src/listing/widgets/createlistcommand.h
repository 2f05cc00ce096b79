#pragma once

#include <QCoreApplication>
#include <QString>
#include <functional>

#include "folderwalk.h"

class ListingSession;

struct CreatedListing {
    QString folder; // the folder listed, empty when no walk ran
    WalkOutcome outcome;
};

// Create List: walks a folder into the listing behind the "Creating List" window, which the user may cancel,
// then names the folders it could not read. The event loop turns during the walk, but no other command starts
// meanwhile.
class CreateListCommand {
    Q_DECLARE_TR_FUNCTIONS(CreateListCommand)

public:
    // makeCurrent makes the folder the tree's current one and returns the path the tree then shows.
    using MakeCurrent = std::function<QString(const QString& folder)>;
    // walked hears how the walk ended before any message about it is shown, so the window can say so meanwhile.
    using Walked = std::function<void(const WalkOutcome& outcome)>;

    explicit CreateListCommand(ListingSession& session);

    CreatedListing createlisting(
        const QString& highlightedFolder, const MakeCurrent& makeCurrent, const Walked& walked = {});

private:
    void reportWalkOutcome(const WalkOutcome& outcome);

    ListingSession& m_session;
};
