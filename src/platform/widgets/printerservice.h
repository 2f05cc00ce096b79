#pragma once

#include <QPageLayout>
#include <QString>
#include <memory>

class QPrinter;
class QWidget;

// The default printer as the report needs it: whether there is one, its name, its pages, and a QPrinter that
// draws on it or, with the same pages, into a PDF file.
class PrinterService {
public:
    virtual ~PrinterService() = default;

    [[nodiscard]] virtual bool hasDefaultPrinter() = 0;
    [[nodiscard]] virtual QString defaultPrinterName() = 0;
    // Paper and printable area of the default printer; without one, the page a PDF file gets.
    [[nodiscard]] virtual QPageLayout pageLayout() = 0;
    // Null when there is no default printer.
    [[nodiscard]] virtual std::unique_ptr<QPrinter> createPrinter() = 0;
    [[nodiscard]] virtual std::unique_ptr<QPrinter> createPdfPrinter(const QString& path) = 0;
    // The platform's print dialog: printer, copies and pages as the user sets them; null when cancelled.
    [[nodiscard]] virtual std::unique_ptr<QPrinter> choosePrinter(QWidget* parent) = 0;

    // A4 or Letter after the locale, with a quarter inch of margin all round.
    [[nodiscard]] static QPageLayout fallbackPageLayout();
    [[nodiscard]] static std::unique_ptr<QPrinter> pdfPrinter(const QString& path, const QPageLayout& layout);
};

class QtPrinterService : public PrinterService {
public:
    bool hasDefaultPrinter() override;
    QString defaultPrinterName() override;
    QPageLayout pageLayout() override;
    std::unique_ptr<QPrinter> createPrinter() override;
    std::unique_ptr<QPrinter> createPdfPrinter(const QString& path) override;
    std::unique_ptr<QPrinter> choosePrinter(QWidget* parent) override;
};
