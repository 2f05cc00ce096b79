#pragma once

#include "reportsurface.h"

#include <QString>
#include <algorithm>
#include <array>
#include <functional>

class ListingTable;
class QDateTime;
class ReportOptions;
struct ListingEntry;

// The running state of one rendering; nothing of it outlives the report.
struct ReportRunState {
    int pageno = 1;
    int linecount = 6; // the first page's header is six lines
    double indent = 0;
    int filecount = 0;
    int dircount = 1; // the selected folder itself counts

    bool operator==(const ReportRunState&) const = default;
};

enum class PageEndRule {
    CursorPastLimit, // the printer: the page is full once CurrentY passes pageEndY
    LineCountReached, // the preview: the page is full once linecount reaches pageLines
};

// Where things stand on the page and when a page is full, in the surface's unit.
struct ReportGeometry {
    double sizeColumnX = 0; // also where a name wraps
    double dateColumnX = 0;
    double indentStep = 0; // a folder row's indent grows by this a level, from none at level 1
    int indentedLevels = 10; // folders deeper than this share its indent, so that names keep room
    [[nodiscard]] double indentOf(int level) const { return indentStep * (std::min(level, indentedLevels) - 1); }
    double footerX = 0;
    double footerY = 0;
    bool footerYOnEveryPage = true; // otherwise only the closing footers move the cursor to footerY
    bool newPageBeforeFooter = false; // the preview starts the next page before it closes the current one
    bool headerFontSteps = true;
    PageEndRule pageEnd = PageEndRule::CursorPastLimit;
    double pageEndY = 0;
    int pageLines = 0;
    int summaryBelow = 69; // the summary stays on the last page while linecount is below this

    [[nodiscard]] static ReportGeometry printer(); // twips
    [[nodiscard]] static ReportGeometry preview(); // inches

    bool operator==(const ReportGeometry&) const = default;
};

// The page content of the report: headers, rows, footers and the closing summary, drawn on any surface.
// The filter in force is read from the options at every use, so a change made while the report is drawn
// applies from the next row on.
class ReportLayout {
public:
    ReportLayout(ReportSurface& surface, const ReportGeometry& geometry, const ReportOptions& options,
        std::function<QString()> selectedPath, QString runDate);

    [[nodiscard]] ReportRunState& state() { return m_state; }
    [[nodiscard]] const ReportRunState& state() const { return m_state; }

    void printpageheader(bool firstPage);
    void printpagefooter();
    void checkpageend();
    // One row: entry (from 0) of the listing.
    void printreportrow(const ListingTable& table, qsizetype entry);
    void printsummary();

private:
    [[nodiscard]] bool filterinforce() const;
    void printtitleline();
    void printsummarylines();
    void printclosingfooter();
    void printfooterlines();

    ReportSurface& m_surface;
    ReportGeometry m_geometry;
    const ReportOptions& m_options;
    std::function<QString()> m_selectedPath;
    QString m_runDate;
    ReportRunState m_state;
};

// Draws the whole report of a listing that is not empty: the first header, the rows of the first grid, those
// of the second grid when it holds any, and the summary. afterRow runs after every row; when it returns false
// the drawing stops there and the report is left unfinished. Returns whether the report was finished.
// From a row other than the first (counted from 0 over both grids), the layout's state and the surface's
// cursor must be those the drawing had before that row: a page is drawn again from there.
[[nodiscard]] bool drawReport(
    ReportLayout& layout, const ListingTable& table, const std::function<bool()>& afterRow, qsizetype fromRow = 0);

// Whether there is nothing to report: row 1 of the first grid holds no entry.
[[nodiscard]] bool listingIsEmpty(const ListingTable& table);

// The run date of the header: short date, a blank, the time; at exactly midnight the date alone.
[[nodiscard]] QString runDateText(const QDateTime& localNow);
