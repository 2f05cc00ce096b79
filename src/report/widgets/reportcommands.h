#pragma once

#include <QCoreApplication>
#include <QString>
#include <memory>

class ListingSession;
class QPrinter;
class ReportOptions;

// The report commands: Print Report on the default printer (or into a PDF file when there is none), Print...
// through the print dialog, Export PDF... into a file the user names. The event loop turns while they print,
// but no other command starts meanwhile.
class ReportCommands {
    Q_DECLARE_TR_FUNCTIONS(ReportCommands)

public:
    ReportCommands(ListingSession& session, const ReportOptions& options);

    void printlisting();
    void printWithDialog();
    void exportPdf();

    [[nodiscard]] static QString emptyListingText() { return tr("Cannot print report, List is empty"); }
    [[nodiscard]] static QString pdfFilter() { return tr("PDF (*.pdf)"); }

private:
    struct Target {
        std::unique_ptr<QPrinter> printer;
        QString pdfPath; // empty on the printer
        QString printerName;
    };
    using TargetChoice = Target (ReportCommands::*)();
    void print(TargetChoice choose);
    [[nodiscard]] Target chooseTarget();
    [[nodiscard]] Target chooseDialogPrinter();
    [[nodiscard]] Target choosePdfFile();
    [[nodiscard]] QString suggestedPdfName() const;
    [[nodiscard]] bool mayReplace(const QString& path, bool nameCompleted);
    void reportFailure(const Target& target, const QString& reason);

    ListingSession& m_session;
    const ReportOptions& m_options;
};
