#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

class ListingTable;
class QPrinter;
class ReportOptions;
struct ComparisonReportContent;

struct ReportRenderOutcome {
    bool finished = false; // every row and the summary were drawn and the document was ended
    bool failed = false; // the printer or the file refused a page or the end of the document
    int pages = 0;
};

// Draws the report of a listing that is not empty on a printer, a real one or one set to write a PDF file.
// The window's Print Report and the command line both come here, so their pages are the same. afterRow runs
// after every row with the pages begun so far; when it returns false the report stops unfinished.
[[nodiscard]] ReportRenderOutcome renderReport(QPrinter& printer, const ListingTable& table,
    const ReportOptions& options, const std::function<QString()>& selectedPath, const QDateTime& runDate,
    const std::function<bool(int pages)>& afterRow = {});

// Draws the pages of a comparison on a printer, a real one or one set to write a PDF file.
[[nodiscard]] ReportRenderOutcome renderComparison(
    QPrinter& printer, const ComparisonReportContent& content, const std::function<bool(int pages)>& afterRow = {});
