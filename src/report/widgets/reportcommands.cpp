#include "reportcommands.h"

#include "filedialogservice.h"
#include "listingsession.h"
#include "listingtable.h"
#include "messageservice.h"
#include "platformservices.h"
#include "printerservice.h"
#include "reportlayout.h"
#include "reportrender.h"
#include "runprogress.h"
#include "waitcursor.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QPrinter>
#include <optional>

ReportCommands::ReportCommands(ListingSession& session, const ReportOptions& options)
    : m_session(session)
    , m_options(options)
{
}

void ReportCommands::printlisting() { print(&ReportCommands::chooseTarget); }

void ReportCommands::printWithDialog() { print(&ReportCommands::chooseDialogPrinter); }

void ReportCommands::exportPdf() { print(&ReportCommands::choosePdfFile); }

void ReportCommands::print(TargetChoice choose)
{
    const CommandScope scope(m_session);
    if (!scope.acquired())
        return;
    std::optional<WaitCursor> wait(std::in_place);
    MessageService& messages = *m_session.services().messages;
    if (listingIsEmpty(m_session.listing())) {
        wait.reset();
        // Export PDF writes no print: its refusal says what it would have done.
        const QString text
            = choose == &ReportCommands::choosePdfFile ? tr("Cannot export report, List is empty") : emptyListingText();
        messages.show(m_session.window(), { QMessageBox::Warning, {}, text, QMessageBox::Ok });
        return;
    }

    wait.reset(); // a printer or a PDF file may be asked for first
    Target target = (this->*choose)();
    if (!target.printer)
        return;
    wait.emplace();

    const bool toPdf = !target.pdfPath.isEmpty();
    RunProgress progress(m_session.window(), toPdf ? tr("Writing PDF") : tr("Printing Report"));
    const auto selectedPath = [this] { return m_session.selectedPath(); };
    const int rows = m_session.listing().listcount();
    int rowsDrawn = 0;
    const auto afterRow = [&](int pages) {
        if (progress.step(++rowsDrawn, rows, tr("%n page(s)", nullptr, pages)))
            return true;
        // A cancelled print job is withdrawn, not sent half drawn.
        if (!toPdf)
            target.printer->abort();
        return false;
    };
    if (!target.pdfPath.isEmpty()) {
        const PdfWriteOutcome written = writeReportPdf(target.pdfPath, target.printer->pageLayout(),
            m_session.listing(), m_options, selectedPath, QDateTime::currentDateTime(), afterRow);
        if (!written.ok && !progress.cancelled()) {
            wait.reset();
            reportFailure(target, written.reason);
        }
        return;
    }
    const ReportRenderOutcome outcome = renderReport(
        *target.printer, m_session.listing(), m_options, selectedPath, QDateTime::currentDateTime(), afterRow);
    if (!outcome.finished && !progress.cancelled()) {
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
    return choosePdfFile();
}

ReportCommands::Target ReportCommands::chooseDialogPrinter()
{
    PrinterService* printers = m_session.services().printer;
    std::unique_ptr<QPrinter> printer = printers ? printers->choosePrinter(m_session.window()) : nullptr;
    if (!printer)
        return {};
    const bool toFile = printer->outputFormat() == QPrinter::PdfFormat && !printer->outputFileName().isEmpty();
    const QString path = toFile ? printer->outputFileName() : QString();
    const QString name = printer->printerName();
    return { std::move(printer), path, name };
}

ReportCommands::Target ReportCommands::choosePdfFile()
{
    PlatformServices& services = m_session.services();
    QString path = services.fileDialogs->getSaveFileName(m_session.window(), pdfFilter(), suggestedPdfName());
    if (path.isEmpty())
        return {};
    const bool bare = QFileInfo(path).suffix().isEmpty();
    if (bare)
        path += QStringLiteral(".pdf");
    if (!mayReplace(path, bare))
        return {};
    PrinterService* printers = services.printer;
    auto printer = printers ? printers->createPdfPrinter(path)
                            : PrinterService::pdfPrinter(path, PrinterService::fallbackPageLayout());
    return { std::move(printer), path, {} };
}

// The saved or opened listing's name; otherwise the selected folder's, beside the file last chosen.
QString ReportCommands::suggestedPdfName() const
{
    const QString last = m_session.services().fileDialogs->lastChosenPath();
    const QFileInfo lastFile(last);
    if (m_session.listsaved() && lastFile.suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0)
        return lastFile.path() + u'/' + lastFile.completeBaseName() + QStringLiteral(".pdf");
    QString folder = QFileInfo(QDir::cleanPath(QDir::fromNativeSeparators(m_session.selectedPath()))).fileName();
    if (folder.isEmpty())
        folder = tr("Vellumark report");
    return folder + QStringLiteral(".pdf");
}

// The file dialog asks about replacing the name it was given; a file that is not a PDF is named for what it is.
bool ReportCommands::mayReplace(const QString& path, bool nameCompleted)
{
    const QFileInfo info(path);
    if (!info.exists())
        return true;
    QFile file(path);
    const bool isPdf = info.isFile() && file.open(QIODevice::ReadOnly) && file.read(5) == "%PDF-";
    if (isPdf && !nameCompleted)
        return true;
    const QString native = QDir::toNativeSeparators(path);
    const QString text = isPdf
        ? tr("%1 already exists.\r\n\r\nDo you want to replace it with the report?").arg(native)
        : tr("%1 already exists and is not a PDF file: it is a %2.\r\n\r\nDo you want to replace it with the "
             "report?")
              .arg(native, QMimeDatabase().mimeTypeForFile(info).comment());
    const auto answer = m_session.services().messages->show(
        m_session.window(), { QMessageBox::Warning, {}, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No });
    return answer == QMessageBox::Yes;
}

void ReportCommands::reportFailure(const Target& target, const QString& reason)
{
    const QString text = target.pdfPath.isEmpty()
        ? tr("Cannot print report on the printer %1.").arg(target.printerName)
        : tr("Cannot write the report to %1:\r\n%2").arg(QDir::toNativeSeparators(target.pdfPath), reason);
    m_session.services().messages->show(m_session.window(), { QMessageBox::Warning, {}, text, QMessageBox::Ok });
}
