#pragma once

#include <QByteArray>
#include <QString>

class ListingTable;
class ReportOptions;

// The bytes Save writes for a listing: every entry, or with a filter only the rows it passes.
[[nodiscard]] QByteArray listingFileBytes(
    const ListingTable& table, const QString& selectedPath, const ReportOptions* filter = nullptr);
