#pragma once

#include <QCoreApplication>
#include <QString>
#include <memory>

class ListingSession;
class QPrinter;
class ReportOptions;

// The Print Report command: the report of the listing on the default printer, or into a PDF file when there is
// none. The event loop turns while it prints, but no other command starts meanwhile.
class ReportCommands {
    Q_DECLARE_TR_FUNCTIONS(ReportCommands)

public:
    ReportCommands(ListingSession& session, const ReportOptions& options);

    void printlisting();

    [[nodiscard]] static QString emptyListingText() { return tr("Cannot print report, List is empty"); }
    [[nodiscard]] static QString pdfFilter() { return tr("PDF (*.pdf)"); }

private:
    struct Target {
        std::unique_ptr<QPrinter> printer;
        QString pdfPath; // empty on the printer
        QString printerName;
    };
    [[nodiscard]] Target chooseTarget();
    void reportFailure(const Target& target, const QString& reason);

    ListingSession& m_session;
    const ReportOptions& m_options;
};
