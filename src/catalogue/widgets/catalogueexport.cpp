#include "catalogueexport.h"

#include "cataloguewriter.h"
#include "filedialogservice.h"
#include "jsonlineswriter.h"
#include "listingfilewriter.h"
#include "listingsession.h"
#include "listingtable.h"
#include "messageservice.h"
#include "platformservices.h"
#include "reportoptions.h"
#include "stagedfile.h"
#include "waitcursor.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSysInfo>
#include <optional>

CatalogueExport::CatalogueExport(ListingSession& session, const ReportOptions& options)
    : m_session(session)
    , m_options(options)
{
}

void CatalogueExport::exportCatalogue() { exportAs(Form::Catalogue); }

void CatalogueExport::exportJsonLines() { exportAs(Form::JsonLines); }

void CatalogueExport::exportAs(Form form)
{
    const CommandScope scope(m_session);
    if (!scope.acquired())
        return;
    MessageService& messages = *m_session.services().messages;
    const bool catalogue = form == Form::Catalogue;
    const QString title = catalogue ? tr("Export Catalogue") : tr("Export JSON Lines");
    const ListingTable& table = m_session.listing();
    if (table.size() == 0) {
        const QString text
            = catalogue ? tr("Cannot export catalogue, List is empty") : tr("Cannot export JSON Lines, List is empty");
        messages.show(m_session.window(), { QMessageBox::Warning, {}, text, QMessageBox::Ok });
        return;
    }
    const QString path = m_session.services().fileDialogs->getSaveFileName(m_session.window(),
        catalogue ? tr("Catalogue (*.html)") : tr("JSON Lines (*.jsonl)"),
        catalogue ? QStringLiteral("catalogue.html") : QStringLiteral("listing.jsonl"));
    if (path.isEmpty())
        return;

    std::optional<WaitCursor> wait(std::in_place);
    CatalogueFacts facts;
    facts.selectedPath = m_session.selectedPath();
    facts.host = QSysInfo::machineHostName();
    facts.version = QCoreApplication::applicationVersion();
    facts.made = QDateTime::currentDateTime();
    facts.choices = m_session.listingChoices();
    facts.filter = m_options.filteractive() ? &m_options : nullptr;
    facts.origin = m_session.listingOrigin();
    const bool existed = QFileInfo(path).isFile();
    StagedFile file(path);
    SaveOutcome outcome = writeStagedFile(file, [&](const PieceWriter& piece) {
        return catalogue ? writeCatalogue(table, facts, piece) : writeJsonLines(table, facts, piece);
    });
    if (outcome.status == SaveOutcome::Status::Saved)
        outcome = commitListingFile(file);
    wait.reset();
    if (outcome.status == SaveOutcome::Status::Saved)
        return;
    const QString remains = existed ? tr("The existing file has not been changed") : tr("No file has been written");
    const QString text = tr("Cannot write %1").arg(QDir::toNativeSeparators(path)) + QStringLiteral("\r\n")
        + outcome.reason + QStringLiteral("\r\n") + remains;
    messages.show(m_session.window(), { QMessageBox::NoIcon, title, text, QMessageBox::Ok });
}
