#include "reportrender.h"

#include "comparisonreport.h"
#include "pdfsurface.h"
#include "printersurface.h"
#include "reportlayout.h"

#include <QPrinter>
#include <memory>

namespace {
std::unique_ptr<PrintedPageSurface> documentOn(QPrinter& printer)
{
    if (PdfSurface::canWrite(printer))
        return std::make_unique<PdfSurface>(printer);
    return std::make_unique<PrinterSurface>(printer);
}
}

ReportRenderOutcome renderReport(QPrinter& printer, const ListingTable& table, const ReportOptions& options,
    const std::function<QString()>& selectedPath, const QDateTime& runDate,
    const std::function<bool(int pages)>& afterRow)
{
    const std::unique_ptr<PrintedPageSurface> document = documentOn(printer);
    PrintedPageSurface& surface = *document;
    ReportLayout layout(surface, ReportGeometry::printer(), options, selectedPath, runDateText(runDate));
    const bool finished = drawReport(layout, table, [&] {
        if (surface.failed())
            return false;
        return !afterRow || afterRow(surface.pagesStarted());
    });
    ReportRenderOutcome outcome;
    outcome.failed = surface.failed();
    outcome.finished = finished && !outcome.failed;
    outcome.pages = surface.pagesStarted();
    return outcome;
}

ReportRenderOutcome renderComparison(
    QPrinter& printer, const ComparisonReportContent& content, const std::function<bool(int pages)>& afterRow)
{
    const std::unique_ptr<PrintedPageSurface> document = documentOn(printer);
    PrintedPageSurface& surface = *document;
    ComparisonReport report(surface, ComparisonGeometry::printer(), content);
    const bool finished = report.draw([&] {
        if (surface.failed())
            return false;
        return !afterRow || afterRow(surface.pagesStarted());
    });
    ReportRenderOutcome outcome;
    outcome.failed = surface.failed();
    outcome.finished = finished && !outcome.failed;
    outcome.pages = surface.pagesStarted();
    return outcome;
}
