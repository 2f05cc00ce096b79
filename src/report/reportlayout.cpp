#include "reportlayout.h"

#include "bytename.h"
#include "datetextformatter.h"
#include "listingtable.h"
#include "reportoptions.h"

#include <QDateTime>
#include <utility>

ReportGeometry ReportGeometry::printer()
{
    ReportGeometry g;
    g.sizeColumnX = 6000;
    g.dateColumnX = 8400;
    g.indentStep = 250;
    g.footerX = 5900;
    g.footerY = 14414;
    g.pageEnd = PageEndRule::CursorPastLimit;
    g.pageEndY = 14375;
    return g;
}

ReportGeometry ReportGeometry::preview()
{
    ReportGeometry g;
    g.sizeColumnX = 5;
    g.dateColumnX = 6.25;
    g.indentStep = 0.1;
    g.footerX = 4.25;
    g.footerY = 10;
    g.footerYOnEveryPage = false;
    g.newPageBeforeFooter = true;
    g.headerFontSteps = false;
    g.pageEnd = PageEndRule::LineCountReached;
    g.pageLines = 76;
    return g;
}

namespace {
// A blank for the sign, the digits and a trailing blank, as counts have always been written here.
QString countText(int count) { return QLatin1Char(' ') + QString::number(count) + QLatin1Char(' '); }
}

ReportLayout::ReportLayout(ReportSurface& surface, const ReportGeometry& geometry, const ReportOptions& options,
    std::function<QString()> selectedPath, QString runDate)
    : m_surface(surface)
    , m_geometry(geometry)
    , m_options(options)
    , m_selectedPath(std::move(selectedPath))
    , m_runDate(std::move(runDate))
{
}

bool ReportLayout::filterinforce() const { return m_options.filteractive(); }

void ReportLayout::printpageheader(bool firstPage)
{
    if (firstPage) {
        m_surface.PrintLine(QStringLiteral("Report Run Date: ") + m_runDate);
        m_surface.PrintLine();
        if (m_geometry.headerFontSteps)
            m_surface.SetFont(14);
    }
    // Read anew for every page: the box may change while a long report is drawn.
    m_surface.PrintLine(
        QStringLiteral("Selected Directory: ") + displayText(m_selectedPath ? m_selectedPath() : QString()));
    m_surface.PrintLine();
    printtitleline();
    if (firstPage && m_geometry.headerFontSteps)
        m_surface.SetFont(10);
    m_surface.PrintLine();
}

void ReportLayout::printtitleline()
{
    m_surface.PrintText(QStringLiteral("Filename/Directory"));
    m_surface.setCurrentX(m_geometry.sizeColumnX);
    m_surface.PrintText(QStringLiteral("File Size"));
    m_surface.setCurrentX(m_geometry.dateColumnX);
    m_surface.PrintLine(QStringLiteral("Creation Date"));
}

void ReportLayout::printpagefooter()
{
    if (m_geometry.footerYOnEveryPage)
        m_surface.setCurrentY(m_geometry.footerY);
    printfooterlines();
}

void ReportLayout::printclosingfooter()
{
    m_surface.setCurrentY(m_geometry.footerY);
    printfooterlines();
}

void ReportLayout::printfooterlines()
{
    m_surface.PrintLine();
    m_surface.PrintLine();
    m_surface.setCurrentX(m_geometry.footerX);
    m_surface.PrintLine(QStringLiteral("Page ") + QString::number(m_state.pageno));
}

void ReportLayout::checkpageend()
{
    if (m_geometry.pageEnd == PageEndRule::CursorPastLimit) {
        if (m_surface.CurrentY() <= m_geometry.pageEndY)
            return;
        printpagefooter();
        m_surface.NewPage();
        m_state.linecount = 4;
        printpageheader(false);
        ++m_state.pageno;
        return;
    }
    if (m_state.linecount != m_geometry.pageLines)
        return;
    m_surface.NewPage();
    printpagefooter();
    ++m_state.pageno;
    m_state.linecount = 4;
    printpageheader(false);
}

void ReportLayout::printreportrow(const ListingTable& table, qsizetype entry)
{
    const RowKind kind = table.rowKind(entry);
    const bool folderRow = kind == RowKind::Folder;
    if (!filterinforce() && folderRow) {
        m_surface.PrintLine();
        ++m_state.linecount;
    }
    checkpageend();

    // A folder's date cell holds its level, shown as the indent rather than as text.
    QString datecreated = ListingCodec::folderSizeText();
    if (filterinforce()) {
        m_state.indent = 0;
        datecreated = table.dateText(entry);
    } else if (folderRow) {
        // A marker that names no level keeps the indent before it.
        if (const int level = table.level(entry); level >= 1)
            m_state.indent = m_geometry.indentOf(level);
    } else {
        datecreated = table.dateText(entry);
    }

    const QString name = table.name(entry);
    const bool drawn = checkforprint(name, kind, m_options) && !(kind == RowKind::Blank && filterinforce());
    if (drawn) {
        m_surface.setCurrentX(m_state.indent);
        m_surface.PrintText(displayText(name));
        // A long name puts its size and date on the next line; that line is not counted.
        if (m_surface.CurrentX() >= m_geometry.sizeColumnX)
            m_surface.PrintLine();
        m_surface.setCurrentX(m_geometry.sizeColumnX);
        m_surface.PrintText(table.sizeText(entry));
        m_surface.setCurrentX(m_geometry.dateColumnX);
        m_surface.PrintLine(datecreated);
        ++m_state.linecount;
    }
    checkpageend();

    if (!filterinforce() && folderRow) {
        m_surface.PrintLine();
        ++m_state.dircount;
        ++m_state.linecount;
    } else {
        ++m_state.filecount;
    }
    checkpageend();
}

void ReportLayout::printsummarylines()
{
    m_surface.PrintLine();
    m_surface.PrintLine();
    m_surface.PrintLine(QStringLiteral("Summary Information"));
    m_surface.PrintLine();
    m_surface.PrintLine(QStringLiteral("Total number of files in selected Directory: ") + countText(m_state.filecount));
    m_surface.PrintLine(
        QStringLiteral("Total number of Directories in selected Directory: ") + countText(m_state.dircount));
}

void ReportLayout::printsummary()
{
    if (filterinforce()) {
        m_surface.EndDoc();
        return;
    }
    if (m_state.linecount >= m_geometry.summaryBelow) {
        // The summary gets a page of its own, without a header.
        if (m_geometry.newPageBeforeFooter) {
            m_surface.NewPage();
            printclosingfooter();
            ++m_state.pageno;
        } else {
            printclosingfooter();
            ++m_state.pageno;
            m_surface.NewPage();
        }
    }
    printsummarylines();
    printclosingfooter();
    m_surface.EndDoc();
}

bool listingIsEmpty(const ListingTable& table) { return table.size() == 0 || table.entry(0) == ListingEntry {}; }

namespace {
bool drawGrid(ReportLayout& layout, const ListingTable& table, GridId grid, const std::function<bool()>& afterRow,
    int rowsSkipped)
{
    // The row count is read anew before every row: the listing may change during the event-loop turns.
    const qsizetype firstIndex = grid == GridId::Grid1 ? 0 : ListingTable::gridCapacity;
    for (int r = rowsSkipped + 1; r <= table.entryRows(grid); ++r) {
        layout.printreportrow(table, firstIndex + r - 1);
        if (afterRow && !afterRow())
            return false;
    }
    return true;
}
}

bool drawReport(
    ReportLayout& layout, const ListingTable& table, const std::function<bool()>& afterRow, qsizetype fromRow)
{
    if (fromRow == 0)
        layout.printpageheader(true);
    const int firstRows = table.entryRows(GridId::Grid1);
    if (!drawGrid(layout, table, GridId::Grid1, afterRow, static_cast<int>(std::min<qsizetype>(fromRow, firstRows))))
        return false;
    if (!(table.row(GridId::Grid2, 1) == ListingEntry {})
        && !drawGrid(
            layout, table, GridId::Grid2, afterRow, static_cast<int>(std::max<qsizetype>(0, fromRow - firstRows))))
        return false;
    layout.printsummary();
    return true;
}

QString runDateText(const QDateTime& localNow)
{
    if (localNow.time() == QTime(0, 0))
        return QLocale().toString(localNow.date(), QLocale::ShortFormat);
    DateTextFormatter formatter;
    return formatter.format(localNow.toSecsSinceEpoch());
}
