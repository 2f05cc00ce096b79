#include "reportrender.h"

#include "pdfsurface.h"
#include "printersurface.h"
#include "reportlayout.h"

#include <QPrinter>
#include <memory>

ReportRenderOutcome renderReport(QPrinter& printer, const ListingTable& table, const ReportOptions& options,
    const std::function<QString()>& selectedPath, const QDateTime& runDate,
    const std::function<bool(int pages)>& afterRow)
{
    std::unique_ptr<PrintedPageSurface> document;
    if (PdfSurface::canWrite(printer))
        document = std::make_unique<PdfSurface>(printer);
    else
        document = std::make_unique<PrinterSurface>(printer);
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
