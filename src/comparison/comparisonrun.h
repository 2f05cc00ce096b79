#pragma once

#include "comparisonreport.h"
#include "listingchoices.h"

#include <QCoreApplication>
#include <QString>

class FileSystemService;
struct LoadedListing;
class PrinterService;
class QIODevice;
class ReportOptions;

// The command line's comparison: an older listing file against a folder walked now or a newer listing file.
struct ComparisonRequest {
    QString oldListing;
    QString newFolder; // used when newListing is empty; empty means the current folder
    QString newListing;
    QString pdfPath; // write the comparison report here instead of the records
    bool print = false; // print the comparison report instead of the records
    ListingChoices choices; // how deep the folder is walked, and how many entries either side may hold
};

// One side of a comparison as loaded, with what it did not look at: folders it could not read, entries past
// its limit, levels below its depth. It refers to the listing's table.
[[nodiscard]] ComparedListing comparedSide(const LoadedListing& listing, const ListingChoices& choices);

class ComparisonRun {
    Q_DECLARE_TR_FUNCTIONS(ComparisonRun)

public:
    // Exit statuses, as diff and cmp give them.
    static constexpr int same = 0;
    static constexpr int different = 1;
    static constexpr int trouble = 2;
    static constexpr int partial = 3; // part of one side was not looked at by the other

    ComparisonRun(FileSystemService& fileSystem, PrinterService* printers, QIODevice& out, QIODevice& err);

    // Writes one record per difference that the filter passes to out, or the report to a PDF file or the
    // printer; messages go to err.
    [[nodiscard]] int run(const ComparisonRequest& request, const ReportOptions& filter);

private:
    [[nodiscard]] bool writeReport(const ComparisonRequest& request, const ComparisonReportContent& content);
    void complain(const QString& text);
    // The listing's warnings and problem on err; whether it can be used.
    [[nodiscard]] bool said(const LoadedListing& listing);

    FileSystemService& m_fileSystem;
    PrinterService* m_printers;
    QIODevice& m_out;
    QIODevice& m_err;
};
