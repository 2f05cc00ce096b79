#include "comparisonrun.h"

#include "listingloader.h"
#include "listingtable.h"
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

// A listing file that holds the limit may have been stopped by it.
bool stoppedAtLimit(const LoadedListing& listing)
{
    return listing.source == LoadedListing::Source::ListingFile ? listing.table.listcount() >= ListingTable::listLimit
                                                                : listing.limitReached;
}

ComparedListing compared(const LoadedListing& listing)
{
    ComparedListing side { listing.selectedPath, listing.table, {}, stoppedAtLimit(listing) };
    for (const UnreadableFolder& unreadable : listing.unreadable)
        side.unreadFolders.push_back(unreadable.path);
    return side;
}
}

int ComparisonRun::run(const ComparisonRequest& request, const ReportOptions& filter)
{
    const ListingLoader loader(m_fileSystem);
    const LoadedListing older = loader.readFile(request.oldListing);
    if (!older.usable()) {
        complain(older.problem);
        return trouble;
    }
    const LoadedListing newer
        = request.newListing.isEmpty() ? loader.walkFolder(request.newFolder) : loader.readFile(request.newListing);
    for (const QString& warning : newer.warnings)
        complain(warning);
    if (!newer.usable()) {
        complain(newer.problem);
        return trouble;
    }

    const ListingComparison comparison = compareListings(compared(older), compared(newer), filter);
    if (request.print || !request.pdfPath.isEmpty()) {
        const ComparisonReportContent content { sourceOf(older), sourceOf(newer),
            runDateText(QDateTime::currentDateTime()), comparison };
        if (!writeReport(request, content))
            return trouble;
    } else {
        const QByteArray records = comparisonRecords(comparison.differences);
        if (!writeAll(m_out, records.constData(), records.size())) {
            complain(tr("cannot write the differences to standard output: %1").arg(m_out.errorString()));
            return trouble;
        }
    }
    if (comparison.notCompared > 0) {
        if (stoppedAtLimit(older))
            complain(tr("the listing %1 holds %2 entries, its limit: entries past it were not listed")
                         .arg(QDir::toNativeSeparators(older.path))
                         .arg(ListingTable::listLimit));
        complain(comparison.notCompared == 1
                ? tr("the comparison is partial: 1 entry was not looked at on the other side")
                : tr("the comparison is partial: %1 entries were not looked at on the other side")
                      .arg(comparison.notCompared));
        return partial;
    }
    return comparison.counts.total() == 0 ? same : different;
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
