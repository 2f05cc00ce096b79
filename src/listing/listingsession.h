#pragma once

#include "listingchoices.h"
#include "listingtally.h"

#include <QString>
#include <vector>

class ListingTable;
class QWidget;
struct PlatformServices;

// What the commands of the program read and set on the main window: its listing, its selected-path box and
// its shared flags. The main window implements it; command tests use a double.
// What the listing on screen did not look at, so that a comparison with it names no false differences.
struct ListingGaps {
    std::vector<QString> unreadFolders; // listed, but their contents could not be read
    bool stoppedEarly = false; // at the limit, or cancelled: entries past its last were not listed
    int depth = ListingChoices::allLevels; // levels the walk went down
};

class ListingSession {
public:
    virtual ~ListingSession() = default;

    [[nodiscard]] virtual QWidget* window() = 0; // parent of dialogs, disabled while a secondary window is up
    [[nodiscard]] virtual PlatformServices& services() = 0;
    [[nodiscard]] virtual ListingTable& listing() = 0;
    virtual void listingChanged() = 0; // the grids show what the listing now holds

    [[nodiscard]] virtual QString selectedPath() const = 0; // txtSelection
    virtual void setSelectedPath(const QString& path) = 0;

    // How deep Create List walks and how many entries a walk or an opened file may bring.
    [[nodiscard]] virtual ListingChoices listingChoices() const { return {}; }
    // Where the listing came from and what kept it from being whole.
    [[nodiscard]] virtual ListingOrigin listingOrigin() const { return {}; }
    [[nodiscard]] virtual ListingGaps listingGaps() const { return {}; }

    [[nodiscard]] virtual bool listsaved() const = 0;
    virtual void setListsaved(bool saved) = 0;
    [[nodiscard]] virtual bool closing() const = 0;
    virtual void endProgram() = 0; // close the main window and every other window

    // The listing was saved to, or opened from, the file at path: the window names it. A file opened may have
    // held more entries than the limit lets the listing keep.
    virtual void listingFileChanged(const QString& path, bool opened, bool cutAtLimit)
    {
        (void)path;
        (void)opened;
        (void)cutAtLimit;
    }

    // A command that turns the event loop marks itself running, so that no other command starts meanwhile.
    [[nodiscard]] virtual bool commandRunning() const = 0;
    virtual void setCommandRunning(bool running) = 0;
};

// Marks a command as running for its lifetime; acquired() is false when another command already runs.
class CommandScope {
public:
    explicit CommandScope(ListingSession& session)
        : m_session(session)
        , m_acquired(!session.commandRunning())
    {
        if (m_acquired)
            m_session.setCommandRunning(true);
    }
    ~CommandScope()
    {
        if (m_acquired)
            m_session.setCommandRunning(false);
    }
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

    [[nodiscard]] bool acquired() const { return m_acquired; }

private:
    ListingSession& m_session;
    bool m_acquired;
};
