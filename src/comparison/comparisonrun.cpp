#include "comparisonrun.h"

#include "folderwalk.h"
#include "listingtable.h"
#include "printerservice.h"
#include "reportlayout.h"
#include "reportoptions.h"
#include "reportrender.h"
#include "writeall.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QPrinter>

ComparisonRun::ComparisonRun(FileSystemService& fileSystem, PrinterService* printers, QIODevice& out, QIODevice& err)
    : m_fileSystem(fileSystem)
    , m_printers(printers)
    , m_out(out)
    , m_err(err)
{
}

int ComparisonRun::run(const ComparisonRequest& request, const ReportOptions& filter)
{
    const qint64 limit = request.choices.limit;
    const std::optional<LoadedListing> older = readListing(request.oldListing, limit);
    if (!older)
        return trouble;
    const std::optional<LoadedListing> newer = request.newListing.isEmpty()
        ? walkFolder(request.newFolder.isEmpty() ? QDir::currentPath() : request.newFolder, request.choices)
        : readListing(request.newListing, limit);
    if (!newer)
        return trouble;

    const ListingComparison comparison = compareListings(older->compared(), newer->compared(), filter);
    if (request.print || !request.pdfPath.isEmpty()) {
        const ComparisonReportContent content { older->source, newer->source, runDateText(QDateTime::currentDateTime()),
            comparison };
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
        if (older->stoppedAtLimit)
            complain(tr("the listing %1 holds %2 entries, its limit: entries past it were not listed")
                         .arg(QDir::toNativeSeparators(request.oldListing))
                         .arg(limit));
        complain(comparison.notCompared == 1
                ? tr("the comparison is partial: 1 entry was not looked at on the other side")
                : tr("the comparison is partial: %1 entries were not looked at on the other side")
                      .arg(comparison.notCompared));
        return partial;
    }
    return comparison.counts.total() == 0 ? same : different;
}

std::optional<LoadedListing> ComparisonRun::readListing(const QString& path, qint64 limit)
{
    FileReadResult read = readListingFile(path, limit);
    const QString problem = listingReadProblem(path, read, limit);
    if (!problem.isEmpty()) {
        complain(problem);
        return std::nullopt;
    }
    const QFileInfo info(path);
    LoadedListing listing { { ComparisonSource::Kind::ListingFile, info.absoluteFilePath(), read.content.selectedPath,
                                info.lastModified() },
        read.content.selectedPath, std::move(read.content.records), {}, false };
    // A listing that holds the limit may have been stopped by it.
    listing.stoppedAtLimit = listing.entries.size() >= limit;
    return listing;
}

std::optional<LoadedListing> ComparisonRun::walkFolder(const QString& folder, const ListingChoices& choices)
{
    const QString path = QDir::toNativeSeparators(QDir(folder).absolutePath());
    if (!QFileInfo(path).isDir()) {
        complain(tr("cannot list the folder %1: it is not a folder").arg(path));
        return std::nullopt;
    }
    ListingTable table;
    FolderWalk walk(m_fileSystem, table, {}, choices);
    const WalkOutcome outcome = walk.ShowFileList(path);
    if (!outcome.unreadable.empty() && outcome.unreadable.front().path == path) {
        complain(tr("cannot list the folder %1: %2").arg(path, outcome.unreadable.front().reason));
        return std::nullopt;
    }
    for (const UnreadableFolder& unreadable : outcome.unreadable)
        complain(tr("cannot read the folder %1: %2").arg(unreadable.path, unreadable.reason));
    if (outcome.limitReached)
        complain(
            tr("the folder %1 holds more than %2 entries; the first %2 are compared").arg(path).arg(choices.limit));
    LoadedListing listing { { ComparisonSource::Kind::Folder, path, path, QDateTime::currentDateTime() }, path,
        std::move(table), {}, outcome.limitReached };
    for (const UnreadableFolder& unreadable : outcome.unreadable)
        listing.unreadFolders.push_back(unreadable.path);
    return listing;
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
