#pragma once

#include <QCoreApplication>
#include <QMessageBox>

class ListingSession;
class ReportOptions;
struct FileReadResult;
struct LoadedListing;
struct Message;
struct SaveOutcome;

// Save Current Listing, Open Existing Listing and the question that guards an unsaved listing at exit.
// One instance serves the main window for the whole run.
class ListingFileCommands {
    Q_DECLARE_TR_FUNCTIONS(ListingFileCommands)

public:
    ListingFileCommands(ListingSession& session, const ReportOptions& options);

    // Writes the listing (only the rows the filter passes, if the user wants that) to a file the user names.
    void savereport();
    // Replaces the listing with the records of a file the user names; a cancelled dialog, an unreadable file
    // or one that is no listing leaves the listing as it was.
    void openreport();
    // The same for a file the user named otherwise, by dropping it on the window.
    void openreport(const QString& chosenPath);
    // Asks whether to save the unsaved listing, and saves it on Yes. Returns whether the program may end: not
    // when the user cancels the question, nor when the save was cancelled or failed, so no listing is lost.
    // Called by the main window's close handling with closing() true.
    [[nodiscard]] bool checkforsave();

private:
    [[nodiscard]] bool listingIsEmpty() const;
    [[nodiscard]] bool askFilteredSave();
    void reportSaveFailure(const QString& path, bool existed, const SaveOutcome& outcome);
    void placeRecords(LoadedListing& loaded);
    void reportReadOutcome(const QString& path, const FileReadResult& read);
    QMessageBox::StandardButton tell(const Message& message);

    ListingSession& m_session;
    const ReportOptions& m_options;
};
