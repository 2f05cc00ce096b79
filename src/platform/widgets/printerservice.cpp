#include "printerservice.h"

#include "apptitle.h"

#include <QLocale>
#include <QPrinter>
#include <QPrinterInfo>

QPageLayout PrinterService::fallbackPageLayout()
{
    const bool letter = QLocale().measurementSystem() == QLocale::ImperialUSSystem;
    constexpr qreal quarterInch = 18; // points
    return { QPageSize(letter ? QPageSize::Letter : QPageSize::A4), QPageLayout::Portrait,
        QMarginsF(quarterInch, quarterInch, quarterInch, quarterInch), QPageLayout::Point };
}

std::unique_ptr<QPrinter> PrinterService::pdfPrinter(const QString& path, const QPageLayout& layout)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
    printer->setPageLayout(layout);
    printer->setDocName(Vellumark::applicationTitle());
    printer->setCreator(Vellumark::applicationTitle());
    return printer;
}

bool QtPrinterService::hasDefaultPrinter() { return !QPrinterInfo::defaultPrinter().isNull(); }

QString QtPrinterService::defaultPrinterName() { return QPrinterInfo::defaultPrinter().printerName(); }

QPageLayout QtPrinterService::pageLayout()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return fallbackPageLayout();
    const QPrinter printer(info, QPrinter::HighResolution);
    return printer.pageLayout();
}

std::unique_ptr<QPrinter> QtPrinterService::createPrinter()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return nullptr;
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    printer->setDocName(Vellumark::applicationTitle());
    printer->setCreator(Vellumark::applicationTitle());
    return printer;
}

std::unique_ptr<QPrinter> QtPrinterService::createPdfPrinter(const QString& path)
{
    return pdfPrinter(path, pageLayout());
}

// With no window to show a dialog in, printing goes to the default printer.
std::unique_ptr<QPrinter> QtPrinterService::choosePrinter(QWidget* /*parent*/) { return createPrinter(); }
