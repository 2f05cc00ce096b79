#include "listingfilecommands.h"

#include "filedialogservice.h"
#include "listingchoices.h"
#include "listingfilebytes.h"
#include "listingfilereader.h"
#include "listingfilewriter.h"
#include "listingloader.h"
#include "listingsession.h"
#include "messageservice.h"
#include "platformservices.h"
#include "reportoptions.h"
#include "runprogress.h"
#include "stagedfile.h"
#include "waitcursor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QWidget>

namespace {

QString crlf() { return QStringLiteral("\r\n"); }

// A message box's line starts with a capital.
QString sentence(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

// The hourglass belongs to the main window; a box or dialog the user must answer shows the arrow.
class ArrowWhileAsking {
public:
    ArrowWhileAsking() { QGuiApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~ArrowWhileAsking() { QGuiApplication::restoreOverrideCursor(); }
    ArrowWhileAsking(const ArrowWhileAsking&) = delete;
    ArrowWhileAsking& operator=(const ArrowWhileAsking&) = delete;
};

} // namespace

ListingFileCommands::ListingFileCommands(ListingSession& session, const ReportOptions& options)
    : m_session(session)
    , m_options(options)
{
}

void ListingFileCommands::savereport()
{
    const CommandScope scope(m_session);
    if (!scope.acquired())
        return;
    const WaitCursor wait;
    QCoreApplication::processEvents();

    if (listingIsEmpty()) {
        tell({ QMessageBox::Warning, {}, tr("Cannot save report, List is empty"), QMessageBox::Ok });
        return;
    }
    const bool filtered = m_options.filteractive() && askFilteredSave();

    QString path;
    {
        const ArrowWhileAsking arrow;
        // With no name offered; the dialog adds .txt to a name typed without a type, so that Open's filter shows
        // the file, and asks about replacing the name it completed.
        path = m_session.services().fileDialogs->getSaveFileName(
            m_session.window(), FileDialogService::textFilter(), QString());
    }
    if (path.isEmpty())
        return;

    const bool existed = QFileInfo(path).isFile();
    RunProgress progress(m_session.window(), tr("Saving Listing"));
    const ListingTable& listing = m_session.listing();
    const int rows = listing.listcount();
    StagedFile file(path);
    // Written as it is made; a cancelled save discards the staged file, so the old one stays as it was.
    SaveOutcome outcome = writeStagedFile(file, [&](const PieceWriter& write) {
        return writeListingPieces(listing, m_session.selectedPath(), filtered ? &m_options : nullptr,
            [&](QByteArrayView piece, qsizetype rowsDone) {
                return write(piece)
                    && progress.step(static_cast<int>(rowsDone), rows, tr("%1 of %2 entries").arg(rowsDone).arg(rows));
            });
    });
    if (progress.cancelled())
        return;
    if (outcome.status == SaveOutcome::Status::Saved)
        outcome = commitListingFile(file);
    if (outcome.status != SaveOutcome::Status::Saved) {
        reportSaveFailure(path, existed, outcome);
        return;
    }
    m_session.setListsaved(true);
    m_session.listingFileChanged(path, false, false);
}

bool ListingFileCommands::listingIsEmpty() const
{
    return m_session.listing().row(GridId::Grid1, 1) == ListingEntry {};
}

bool ListingFileCommands::askFilteredSave()
{
    const Message question { QMessageBox::NoIcon, tr("Save Only Filtered List?"),
        tr("Report Options Have been chosen") + crlf() + tr("Do you want to save only the filtered list?"),
        QMessageBox::Yes | QMessageBox::No };
    return tell(question) == QMessageBox::Yes;
}

void ListingFileCommands::reportSaveFailure(const QString& path, bool existed, const SaveOutcome& outcome)
{
    const QString openTitle = tr("Error Opening File For Save");
    if (outcome.status == SaveOutcome::Status::InUse) {
        tell({ QMessageBox::NoIcon, openTitle, tr("File In Use By This or another program"), QMessageBox::Ok });
    } else {
        const QString title
            = outcome.status == SaveOutcome::Status::OpenFailed ? openTitle : tr("Error Writing File For Save");
        const QString remains = existed ? tr("The existing file has not been changed") : tr("No file has been written");
        const QString text = tr("Cannot save the listing to %1").arg(QDir::toNativeSeparators(path)) + crlf()
            + outcome.reason + crlf() + remains;
        tell({ QMessageBox::NoIcon, title, text, QMessageBox::Ok });
    }
    if (QWidget* window = m_session.window())
        window->activateWindow();
}

void ListingFileCommands::openreport() { openreport(QString()); }

void ListingFileCommands::openreport(const QString& chosenPath)
{
    const CommandScope scope(m_session);
    if (!scope.acquired())
        return;
    const WaitCursor wait;

    QString path = chosenPath;
    if (path.isEmpty()) {
        const ArrowWhileAsking arrow;
        // The design's filter first; a catalogue the program wrote opens as its listing too.
        path = m_session.services().fileDialogs->getOpenFileName(
            m_session.window(), FileDialogService::listingFilters());
    }
    if (path.isEmpty())
        return;

    ListingLoader loader(*m_session.services().fileSystem);
    loader.choices = m_session.listingChoices();
    RunProgress progress(m_session.window(), tr("Opening Listing"));
    loader.bytesRead = [&progress](qint64 done, qint64 size) { return progress.stepBytes(done, size); };
    LoadedListing loaded = loader.readFile(path);
    // A cancelled read leaves the listing on screen as it was, without a word.
    if (loaded.read.cancelled)
        return;
    const FileReadResult& read = loaded.read;
    if (!read.opened) {
        const QString text = tr("Cannot open %1").arg(QDir::toNativeSeparators(path)) + crlf() + read.error;
        tell({ QMessageBox::NoIcon, tr("Error Opening File"), text, QMessageBox::Ok });
        return;
    }
    // A file that fails before its first record is no listing (a binary file, a text file's second line), or
    // could not be read at all: the listing on screen stays.
    const ReadFault& fault = read.content.fault;
    if (loaded.table.size() == 0 && fault.kind != ReadFault::Kind::None) {
        QString text = tr("%1 is not a listing file").arg(QDir::toNativeSeparators(path));
        if (fault.kind == ReadFault::Kind::ReadError)
            text = tr("Cannot open %1").arg(QDir::toNativeSeparators(path)) + crlf() + fault.reason;
        else if (fault.kind == ReadFault::Kind::NoListing)
            text += crlf() + sentence(faultText(fault));
        else if (fault.kind != ReadFault::Kind::NotText)
            text += crlf() + tr("Line %1: %2").arg(fault.line).arg(faultText(fault));
        tell({ QMessageBox::NoIcon, tr("Error Opening File"), text, QMessageBox::Ok });
        return;
    }
    placeRecords(loaded);
    m_session.setListsaved(true);
    m_session.listingFileChanged(path, true, read.content.limitReached);
    reportReadOutcome(path, read);
}

// Replaces the listing with the records read, which are already in the listing's own form.
void ListingFileCommands::placeRecords(LoadedListing& loaded)
{
    if (loaded.read.content.hasSelectedPath)
        m_session.setSelectedPath(loaded.selectedPath);
    m_session.listing().replaceWith(std::move(loaded.table));
    m_session.listingChanged();
}

void ListingFileCommands::reportReadOutcome(const QString& path, const FileReadResult& read)
{
    const ListingFileContent& content = read.content;
    if (content.limitReached) {
        tell({ QMessageBox::Critical, {}, ListingChoiceText::limitMessage(m_session.listingChoices().limit),
            QMessageBox::Ok });
        return;
    }
    if (content.fault.kind == ReadFault::Kind::None)
        return;
    const QString text = tr("Error reading %1 at line %2").arg(QDir::toNativeSeparators(path)).arg(content.fault.line)
        + crlf() + sentence(faultText(content.fault)) + crlf() + tr("The records before that line have been kept");
    tell({ QMessageBox::NoIcon, tr("Error Reading Listing File"), text, QMessageBox::Ok });
}

bool ListingFileCommands::checkforsave()
{
    // Cancel, and Esc, keep the program open with its listing.
    const Message question { QMessageBox::NoIcon, tr("Save Current Listing?"),
        tr("   Current listing is not saved   ") + crlf() + tr("   Do you want to save now ?   "),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes };
    const QMessageBox::StandardButton answer = tell(question);
    if (answer == QMessageBox::Yes)
        savereport();
    else if (answer == QMessageBox::No)
        m_session.setListsaved(true);
    // On No there is nothing to unload here: the main window ends the program when its close handling returns.
    return m_session.listsaved();
}

QMessageBox::StandardButton ListingFileCommands::tell(const Message& message)
{
    const ArrowWhileAsking arrow;
    return m_session.services().messages->show(m_session.window(), message);
}
