#pragma once

#include "fakefiledialogservice.h"
#include "fakemessageservice.h"
#include "filesystemservice.h"
#include "listingsession.h"
#include "listingtable.h"
#include "platformservices.h"

#include <QWidget>

// A main window reduced to its shared state, for testing commands without the real window.
class FakeListingSession final : public ListingSession {
public:
    FakeListingSession()
    {
        services_.messages = &messages;
        services_.fileDialogs = &fileDialogs;
        services_.fileSystem = &files;
    }

    QWidget mainWindow;
    FakeMessageService messages;
    FakeFileDialogService fileDialogs;
    PosixFileSystemService files;
    ListingTable table;
    QString selection;
    bool saved = true;
    bool isClosing = false;
    bool running = false;
    int listingChanges = 0;
    int programEnds = 0;
    ListingChoices choices;
    ListingGaps gaps;
    ListingOrigin origin;

    QWidget* window() override { return &mainWindow; }
    PlatformServices& services() override { return services_; }
    ListingTable& listing() override { return table; }
    void listingChanged() override { ++listingChanges; }
    QString selectedPath() const override { return selection; }
    void setSelectedPath(const QString& path) override { selection = path; }
    ListingChoices listingChoices() const override { return choices; }
    ListingGaps listingGaps() const override { return gaps; }
    ListingOrigin listingOrigin() const override { return origin; }
    bool listsaved() const override { return saved; }
    void setListsaved(bool value) override { saved = value; }
    bool closing() const override { return isClosing; }
    void endProgram() override { ++programEnds; }
    bool commandRunning() const override { return running; }
    void setCommandRunning(bool value) override { running = value; }

    PlatformServices services_;
};
