#include "comparisonrun.h"

#include "listingloader.h"
#include "listingtable.h"
#include "listingtally.h"
#include "printerservice.h"
#include "reportlayout.h"
#include "reportoptions.h"
#include "reportrender.h"
#include "writeall.h"

#include <QDir>
#include <QIODevice>
#include <QPrinter>

ComparisonRun::ComparisonRun(FileSystemService& fileSystem, PrinterService* printers, QIODevice& out, QIODevice& err)
    : m_fileSystem(fileSystem)
    , m_printers(printers)
    , m_out(out)
    , m_err(err)
{
}

namespace {
ComparisonSource sourceOf(const LoadedListing& listing)
{
    const bool file = listing.source == LoadedListing::Source::ListingFile;
    return { file ? ComparisonSource::Kind::ListingFile : ComparisonSource::Kind::Folder, listing.path,
        listing.selectedPath, listing.date };
}

// A listing file that holds as many entries as the limit may have been stopped by it when it was made.
bool stoppedAtLimit(const LoadedListing& listing, qint64 limit)
{
    return listing.limitReached
        || (listing.source == LoadedListing::Source::ListingFile && listing.table.size() >= limit);
}

}

ComparedListing comparedSide(const LoadedListing& listing, const ListingChoices& choices)
{
    ComparedListing side { listing.selectedPath, listing.table, {}, stoppedAtLimit(listing, choices.limit) };
    // A walk looked no deeper than it was asked to; a listing file may have been stopped at the default depth.
    side.depth = listing.source == LoadedListing::Source::ListingFile ? listingFileDepth(listing.table) : choices.depth;
    for (const UnreadableFolder& unreadable : listing.unreadable)
        side.unreadFolders.push_back(unreadable.path);
    return side;
}

int ComparisonRun::run(const ComparisonRequest& request, const ReportOptions& filter)
{
    ListingLoader loader(m_fileSystem);
    loader.choices = request.choices;
    const qint64 limit = request.choices.limit;
    const LoadedListing older = loader.readFile(request.oldListing);
    if (!said(older))
        return trouble;
    const LoadedListing newer
        = request.newListing.isEmpty() ? loader.walkFolder(request.newFolder) : loader.readFile(request.newListing);
    if (!said(newer))
        return trouble;

    const ListingComparison comparison
        = compareListings(comparedSide(older, request.choices), comparedSide(newer, request.choices), filter);
    if (request.print || !request.pdfPath.isEmpty()) {
        const ComparisonReportContent content { sourceOf(older), sourceOf(newer),
            runDateText(QDateTime::currentDateTime()), comparison };
        if (!writeReport(request, content))
            return trouble;
    } else {
        if (!writeComparisonRecords(comparison.differences,
                [this](QByteArrayView piece, qsizetype) { return writeAll(m_out, piece.data(), piece.size()); })) {
            complain(tr("cannot write the differences to standard output: %1").arg(m_out.errorString()));
            return trouble;
        }
    }
    if (comparison.notCompared > 0) {
        if (stoppedAtLimit(older, limit) && !older.limitReached)
            complain(tr("the listing %1 holds %2 entries, its limit: entries past it were not listed")
                         .arg(QDir::toNativeSeparators(older.path), ListingChoiceText::limit(limit)));
        for (const auto& [side, other] : { std::pair { &older, &newer }, { &newer, &older } })
            if (side->source == LoadedListing::Source::ListingFile
                && listingFileDepth(side->table) == ListingChoices::defaultDepth
                && deepestFolderLevel(other->table) > ListingChoices::defaultDepth)
                complain(tr("the listing %1 holds folders %2 levels deep, the default depth: entries below them were "
                            "not listed")
                             .arg(QDir::toNativeSeparators(side->path))
                             .arg(ListingChoices::defaultDepth));
        complain(ComparisonReport::partialText(comparison.notCompared));
        return partial;
    }
    // A side used in part, as warned, leaves the comparison partial too.
    if (!older.warnings.isEmpty() || !newer.warnings.isEmpty())
        return partial;
    return comparison.counts.total() == 0 ? same : different;
}

bool ComparisonRun::said(const LoadedListing& listing)
{
    for (const QString& warning : listing.warnings)
        complain(warning);
    if (!listing.usable())
        complain(listing.problem);
    return listing.usable();
}

bool ComparisonRun::writeReport(const ComparisonRequest& request, const ComparisonReportContent& content)
{
    if (!request.print) {
        const QPageLayout layout = m_printers ? m_printers->pageLayout() : PrinterService::fallbackPageLayout();
        const PdfWriteOutcome written = writeComparisonPdf(request.pdfPath, layout, content);
        if (!written.ok)
            complain(tr("cannot write the comparison to %1: %2")
                         .arg(QDir::toNativeSeparators(request.pdfPath), written.reason));
        return written.ok;
    }
    const std::unique_ptr<QPrinter> printer = m_printers ? m_printers->createPrinter() : nullptr;
    if (!printer) {
        complain(tr("there is no default printer"));
        return false;
    }
    if (!renderComparison(*printer, content).finished) {
        complain(tr("cannot print the comparison"));
        return false;
    }
    return true;
}

void ComparisonRun::complain(const QString& text)
{
    m_err.write((QStringLiteral("vellumark: ") + text + u'\n').toLocal8Bit());
}
