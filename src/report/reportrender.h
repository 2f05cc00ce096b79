#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

class ListingTable;
class QPageLayout;
class QPagedPaintDevice;
class QPrinter;
class ReportOptions;
class ReportSurface;
class StagedFile;

struct ReportRenderOutcome {
    bool finished = false; // every row and the summary were drawn and the document was ended
    bool failed = false; // the printer or the file refused a page or the end of the document
    int pages = 0;
};

// Draws the report of a listing that is not empty on a printer through Qt's engine. The window's Print Report
// and the command line both come here, so their pages are the same. afterRow runs after every row with the
// pages begun so far; when it returns false the report stops unfinished.
[[nodiscard]] ReportRenderOutcome renderReport(QPrinter& printer, const ListingTable& table,
    const ReportOptions& options, const std::function<QString()>& selectedPath, const QDateTime& runDate,
    const std::function<bool(int pages)>& afterRow = {});

struct PdfWriteOutcome {
    bool ok = false; // the whole report stands at the path
    QString reason; // the system's reason when not ok; empty when afterRow stopped the report
    int pages = 0;
};

// Writes the report as a PDF file on the given pages. It goes into a temporary file beside the target, which
// replaces the target only once it is complete: a failed write leaves no file where none was and an older
// file untouched.
[[nodiscard]] PdfWriteOutcome writeReportPdf(const QString& path, const QPageLayout& pageLayout,
    const ListingTable& table, const ReportOptions& options, const std::function<QString()>& selectedPath,
    const QDateTime& runDate, const std::function<bool(int pages)>& afterRow = {});
// The same into a staged file, left for the caller to commit with its other outputs.
[[nodiscard]] PdfWriteOutcome writeReportPdf(StagedFile& file, const QPageLayout& pageLayout, const ListingTable& table,
    const ReportOptions& options, const std::function<QString()>& selectedPath, const QDateTime& runDate,
    const std::function<bool(int pages)>& afterRow = {});

// Draws one document's pages on a surface, running the check after every row; returns whether it finished.
using DrawPages = std::function<bool(ReportSurface& surface, const std::function<bool()>& afterRow)>;

// Any document drawn in the report's ways: on a printer or a PDF writer, or as a PDF file staged or at a path.
[[nodiscard]] ReportRenderOutcome renderPages(
    QPagedPaintDevice& device, const DrawPages& drawPages, const std::function<bool(int pages)>& afterRow = {});
[[nodiscard]] PdfWriteOutcome writePagesPdf(StagedFile& file, const QPageLayout& pageLayout, const DrawPages& drawPages,
    const std::function<bool(int pages)>& afterRow = {});
[[nodiscard]] PdfWriteOutcome writePagesPdf(const QString& path, const QPageLayout& pageLayout,
    const DrawPages& drawPages, const std::function<bool(int pages)>& afterRow = {});
