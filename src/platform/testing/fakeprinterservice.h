#pragma once

#include "printerservice.h"

#include <QPrinter>
#include <QStringList>

// A default printer that prints into a PDF file, so tests can count and read the pages it was sent.
// Giving it a spool path that cannot be written makes the printer fail.
class FakePrinterService final : public PrinterService {
public:
    bool installed = true;
    QString name = QStringLiteral("Fake Printer");
    QPageLayout layout { QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(18, 18, 18, 18),
        QPageLayout::Point };
    QString spoolPath;
    int printersCreated = 0;
    bool dialogAccepts = true;
    int dialogsShown = 0;
    QStringList pdfPaths;

    bool hasDefaultPrinter() override { return installed; }
    QString defaultPrinterName() override { return installed ? name : QString(); }
    QPageLayout pageLayout() override { return installed ? layout : fallbackPageLayout(); }
    std::unique_ptr<QPrinter> createPrinter() override
    {
        if (!installed)
            return nullptr;
        ++printersCreated;
        return pdfPrinter(spoolPath, layout);
    }
    std::unique_ptr<QPrinter> createPdfPrinter(const QString& path) override
    {
        pdfPaths.append(path);
        return pdfPrinter(path, pageLayout());
    }
    // The print dialog, answered at once: accepted, it picks the spooling printer.
    std::unique_ptr<QPrinter> choosePrinter(QWidget*) override
    {
        ++dialogsShown;
        if (!dialogAccepts)
            return nullptr;
        ++printersCreated;
        return pdfPrinter(spoolPath, layout);
    }
};
