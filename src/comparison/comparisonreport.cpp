#include "comparisonreport.h"

#include "datetextformatter.h"

#include <QDir>
#include <QPrinter>

ComparisonGeometry ComparisonGeometry::printer()
{
    ComparisonGeometry g;
    // A date with its offset takes some 2500 twips, a size column its title's 1100.
    g.columnX = { 0, 900, 4100, 5200, 6300, 8900 };
    g.pageEndY = 14375;
    g.footerY = 14414;
    g.footerX = 5900;
    return g;
}

ComparisonGeometry ComparisonGeometry::preview()
{
    // The printer's page in inches.
    ComparisonGeometry twips = printer();
    ComparisonGeometry g;
    for (size_t i = 0; i < g.columnX.size(); ++i)
        g.columnX[i] = twips.columnX[i] / 1440;
    g.pageEndY = twips.pageEndY / 1440;
    g.footerY = twips.footerY / 1440;
    g.footerX = twips.footerX / 1440;
    return g;
}

ComparisonReport::ComparisonReport(
    ReportSurface& surface, const ComparisonGeometry& geometry, const ComparisonReportContent& content)
    : m_surface(surface)
    , m_geometry(geometry)
    , m_content(content)
{
}

QString ComparisonReport::sourceText(const ComparisonSource& source)
{
    DateTextFormatter dates;
    const QString date = source.date.isValid() ? dates.format(source.date.toSecsSinceEpoch()) : QString();
    if (source.kind == ComparisonSource::Kind::ListingFile)
        return tr("file %1 of %2, listing %3")
            .arg(QDir::toNativeSeparators(source.path), date, QDir::toNativeSeparators(source.folder));
    return tr("folder %1, listed %2").arg(QDir::toNativeSeparators(source.path), date);
}

QString ComparisonReport::countsText(const ComparisonCounts& counts)
{
    return tr("%1 added, %2 removed, %3 changed").arg(counts.added).arg(counts.removed).arg(counts.changed);
}

QString ComparisonReport::partialText(int notCompared)
{
    return notCompared == 1
        ? tr("the comparison is partial: 1 entry was not looked at on the other side")
        : tr("the comparison is partial: %1 entries were not looked at on the other side").arg(notCompared);
}

QString ComparisonReport::changeText(Change change)
{
    switch (change) {
    case Change::Added:
        return tr("added");
    case Change::Removed:
        return tr("removed");
    case Change::Changed:
        return tr("changed");
    }
    return {};
}

bool ComparisonReport::draw(const std::function<bool()>& afterRow, qsizetype fromRow, int pageno)
{
    m_pageno = pageno;
    if (fromRow == 0)
        printHeader(true);
    const DifferenceList& differences = m_content.comparison.differences;
    for (qsizetype row = fromRow; row < differences.size(); ++row) {
        printRow(differences[row]);
        if (afterRow && !afterRow())
            return false;
    }
    printSummary();
    return true;
}

void ComparisonReport::printHeader(bool firstPage)
{
    if (firstPage) {
        m_surface.PrintLine(tr("Report Run Date: ") + m_content.runDate);
        m_surface.PrintLine();
        m_surface.SetFont(14);
    }
    m_surface.PrintLine(tr("Older Listing: ") + sourceText(m_content.older));
    m_surface.PrintLine(tr("Newer Listing: ") + sourceText(m_content.newer));
    // Six titles only fit their columns in the rows' font.
    if (firstPage)
        m_surface.SetFont(10);
    m_surface.PrintLine();
    printTitleLine();
    m_surface.PrintLine();
}

void ComparisonReport::printTitleLine()
{
    const QString titles[]
        = { tr("Change"), tr("Path"), tr("Old Size"), tr("New Size"), tr("Old Date"), tr("New Date") };
    for (size_t i = 0; i < 5; ++i) {
        m_surface.setCurrentX(m_geometry.columnX[i]);
        m_surface.PrintText(titles[i]);
    }
    m_surface.setCurrentX(m_geometry.columnX[5]);
    m_surface.PrintLine(titles[5]);
}

void ComparisonReport::printRow(const Difference& d)
{
    m_surface.setCurrentX(m_geometry.columnX[0]);
    m_surface.PrintText(changeText(d.change));
    m_surface.setCurrentX(m_geometry.columnX[1]);
    m_surface.PrintText(d.path);
    // A long path puts the sizes and dates on the next line, as in the report.
    if (m_surface.CurrentX() >= m_geometry.columnX[2])
        m_surface.PrintLine();
    const QString* cells[] = { &d.oldSize, &d.newSize, &d.oldDate };
    for (size_t i = 0; i < 3; ++i) {
        m_surface.setCurrentX(m_geometry.columnX[i + 2]);
        m_surface.PrintText(*cells[i]);
    }
    m_surface.setCurrentX(m_geometry.columnX[5]);
    m_surface.PrintLine(d.newDate);
    checkPageEnd();
}

void ComparisonReport::printFooter()
{
    m_surface.setCurrentY(m_geometry.footerY);
    m_surface.PrintLine();
    m_surface.PrintLine();
    m_surface.setCurrentX(m_geometry.footerX);
    m_surface.PrintLine(tr("Page ") + QString::number(m_pageno));
}

void ComparisonReport::checkPageEnd()
{
    if (m_surface.CurrentY() <= m_geometry.pageEndY)
        return;
    printFooter();
    m_surface.NewPage();
    ++m_pageno;
    printHeader(false);
}

void ComparisonReport::printSummary()
{
    const ComparisonCounts& counts = m_content.comparison.counts;
    const QString lines[]
        = { {}, {}, tr("Summary Information"), {}, counts.total() == 0 ? sameText() : countsText(counts) };
    for (const QString& line : lines) {
        m_surface.PrintLine(line);
        checkPageEnd();
    }
    printFooter();
    m_surface.EndDoc();
}

namespace {
DrawPages comparisonPages(const ComparisonReportContent& content)
{
    return [&content](ReportSurface& surface, const std::function<bool()>& afterRow) {
        ComparisonReport report(surface, ComparisonGeometry::printer(), content);
        return report.draw(afterRow);
    };
}
}

ReportRenderOutcome renderComparison(
    QPrinter& printer, const ComparisonReportContent& content, const std::function<bool(int pages)>& afterRow)
{
    return renderPages(printer, comparisonPages(content), afterRow);
}

PdfWriteOutcome writeComparisonPdf(const QString& path, const QPageLayout& pageLayout,
    const ComparisonReportContent& content, const std::function<bool(int pages)>& afterRow)
{
    return writePagesPdf(path, pageLayout, comparisonPages(content), afterRow);
}
