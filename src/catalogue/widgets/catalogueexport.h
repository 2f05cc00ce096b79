#pragma once

#include <QCoreApplication>

class ListingSession;
class ReportOptions;

// File > Export Catalogue... and Export JSON Lines...: the listing, with the filter in force as a report has it,
// written to a file the user names.
class CatalogueExport {
    Q_DECLARE_TR_FUNCTIONS(CatalogueExport)

public:
    CatalogueExport(ListingSession& session, const ReportOptions& options);

    void exportCatalogue();
    void exportJsonLines();

private:
    enum class Form { Catalogue, JsonLines };
    void exportAs(Form form);

    ListingSession& m_session;
    const ReportOptions& m_options;
};
