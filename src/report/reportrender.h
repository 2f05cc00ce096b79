#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

class ListingTable;
class QPrinter;
class ReportOptions;

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

// Writes a file through a temporary one in the same folder, which replaces the file only once `write` has
// filled it and returned true; Qt's PDF engine writes in place, so a failed report would otherwise leave a cut
// file or spoil an old one. Returns the system's reason for a failure, empty on success.
[[nodiscard]] QString writeFileReplacing(
    const QString& path, const std::function<bool(const QString& temporaryPath)>& write);
