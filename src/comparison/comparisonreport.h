#pragma once

#include "listingcomparison.h"
#include "reportrender.h"
#include "reportsurface.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <array>
#include <functional>

// Where one side of a comparison came from: a listing file, or a folder listed on screen or walked now.
struct ComparisonSource {
    enum class Kind { ListingFile, Folder };
    Kind kind = Kind::Folder;
    QString path; // the file, or the folder
    QString folder; // for a file: the folder it lists
    QDateTime date; // when the file was last written, or when the folder was listed

    bool operator==(const ComparisonSource&) const = default;
};

// Everything the pages of a comparison show.
struct ComparisonReportContent {
    ComparisonSource older;
    ComparisonSource newer;
    QString runDate;
    const ListingComparison& comparison;
};

// Column positions and the page end, in the surface's unit.
struct ComparisonGeometry {
    std::array<double, 6> columnX {}; // change, path, old size, new size, old date, new date
    double pageEndY = 0; // the page is full once CurrentY passes this
    double footerY = 0;
    double footerX = 0;

    [[nodiscard]] static ComparisonGeometry printer(); // twips
    [[nodiscard]] static ComparisonGeometry preview(); // inches

    bool operator==(const ComparisonGeometry&) const = default;
};

// The pages of a comparison in the report's look: run date, both sources and column titles on the first page,
// sources and titles again on every later one, a page number at the foot of each, and the counts at the end.
class ComparisonReport {
    Q_DECLARE_TR_FUNCTIONS(ComparisonReport)

public:
    ComparisonReport(
        ReportSurface& surface, const ComparisonGeometry& geometry, const ComparisonReportContent& content);

    // Draws every page; afterRow runs after each difference, and the drawing stops unfinished when it returns
    // false. Returns whether the document was finished.
    // From a difference other than the first (counted from 0), the report stands on page pageno and the
    // surface's cursor where it was before that difference: a page is drawn again from there.
    [[nodiscard]] bool draw(const std::function<bool()>& afterRow = {}, qsizetype fromRow = 0, int pageno = 1);
    [[nodiscard]] int pageno() const { return m_pageno; }

    [[nodiscard]] static QString sourceText(const ComparisonSource& source);
    [[nodiscard]] static QString countsText(const ComparisonCounts& counts); // "3 added, 2 removed, 1 changed"
    [[nodiscard]] static QString sameText() { return tr("The listings are the same"); }
    // "the comparison is partial: 3 entries were not looked at on the other side"
    [[nodiscard]] static QString partialText(int notCompared);
    [[nodiscard]] static QString changeText(Change change);

private:
    void printHeader(bool firstPage);
    void printTitleLine();
    void printRow(const Difference& difference);
    void printFooter();
    void checkPageEnd();
    void printSummary();

    ReportSurface& m_surface;
    ComparisonGeometry m_geometry;
    const ComparisonReportContent& m_content;
    int m_pageno = 1;
};

// The pages of a comparison, on a printer or as a PDF file, in the same ways as the report's.
[[nodiscard]] ReportRenderOutcome renderComparison(
    QPrinter& printer, const ComparisonReportContent& content, const std::function<bool(int pages)>& afterRow = {});
[[nodiscard]] PdfWriteOutcome writeComparisonPdf(const QString& path, const QPageLayout& pageLayout,
    const ComparisonReportContent& content, const std::function<bool(int pages)>& afterRow = {});
