#include "reportcommands.h"

#include "filedialogservice.h"
#include "listingsession.h"
#include "listingtable.h"
#include "messageservice.h"
#include "platformservices.h"
#include "printerservice.h"
#include "reportlayout.h"
#include "reportrender.h"
#include "timeslicer.h"
#include "waitcursor.h"

#include <QDateTime>
#include <QDir>
#include <QPrinter>
#include <optional>

ReportCommands::ReportCommands(ListingSession& session, const ReportOptions& options)
    : m_session(session)
    , m_options(options)
{
}

void ReportCommands::printlisting()
{
    const CommandScope scope(m_session);
    if (!scope.acquired())
        return;
    std::optional<WaitCursor> wait(std::in_place);
    MessageService& messages = *m_session.services().messages;
    if (listingIsEmpty(m_session.listing())) {
        wait.reset();
        messages.show(m_session.window(), { QMessageBox::Warning, {}, emptyListingText(), QMessageBox::Ok });
        return;
    }

    wait.reset(); // a choice of PDF file may be asked for first
    Target target = chooseTarget();
    if (!target.printer)
        return;
    wait.emplace();

    TimeSlicer slicer([] { QCoreApplication::processEvents(); });
    const auto selectedPath = [this] { return m_session.selectedPath(); };
    const auto afterRow = [&](int) {
        slicer.maybeTurn();
        return true;
    };
    if (!target.pdfPath.isEmpty()) {
        const PdfWriteOutcome written = writeReportPdf(target.pdfPath, target.printer->pageLayout(),
            m_session.listing(), m_options, selectedPath, QDateTime::currentDateTime(), afterRow);
        if (!written.ok) {
            wait.reset();
            reportFailure(target, written.reason);
        }
        return;
    }
    const ReportRenderOutcome outcome = renderReport(
        *target.printer, m_session.listing(), m_options, selectedPath, QDateTime::currentDateTime(), afterRow);
    if (!outcome.finished) {
        wait.reset();
        reportFailure(target, {});
    }
}

ReportCommands::Target ReportCommands::chooseTarget()
{
    PlatformServices& services = m_session.services();
    PrinterService* printers = services.printer;
    if (printers && printers->hasDefaultPrinter()) {
        Target target { printers->createPrinter(), {}, printers->defaultPrinterName() };
        if (target.printer)
            return target;
    }
    const QMessageBox::StandardButton answer = services.messages->show(m_session.window(),
        { QMessageBox::Question, {},
            tr("There is no default printer.\r\n\r\nDo you want to write the report to a PDF file instead?"),
            QMessageBox::Yes | QMessageBox::No });
    if (answer != QMessageBox::Yes)
        return {};
    const QString path = services.fileDialogs->getSaveFileName(m_session.window(), pdfFilter());
    if (path.isEmpty())
        return {};
    auto printer = printers ? printers->createPdfPrinter(path)
                            : PrinterService::pdfPrinter(path, PrinterService::fallbackPageLayout());
    return { std::move(printer), path, {} };
}

void ReportCommands::reportFailure(const Target& target, const QString& reason)
{
    const QString text = target.pdfPath.isEmpty()
        ? tr("Cannot print report on the printer %1.").arg(target.printerName)
        : tr("Cannot write the report to %1:\r\n%2").arg(QDir::toNativeSeparators(target.pdfPath), reason);
    m_session.services().messages->show(m_session.window(), { QMessageBox::Warning, {}, text, QMessageBox::Ok });
}
