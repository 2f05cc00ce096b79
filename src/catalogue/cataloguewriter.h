#pragma once

#include "listingchoices.h"
#include "listingtally.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <functional>

class ListingTable;
class ReportOptions;

// When, where and how a listing was made, as a catalogue's header and a JSON Lines header tell it.
struct CatalogueFacts {
    QString selectedPath;
    QString host;
    QString version;
    QDateTime made;
    ListingChoices choices;
    const ReportOptions* filter = nullptr; // the filter in force, or none
    ListingOrigin origin; // what kept the listing from being whole
};

// Takes the output a piece at a time; false when it could not be written.
using CatalogueSink = std::function<bool(QByteArrayView bytes)>;

// The filter in words: "Include Types: txt, doc", or "None".
[[nodiscard]] QString filterText(const ReportOptions* filter);

// Writes the listing as one HTML page that needs nothing but a browser: its style and script inline, a security
// policy that lets it load nothing else, and the listing's records, from which the page draws its rows and the
// program reads the listing back. With a filter, only the rows it passes. The page streams out in pieces, so
// memory holds one piece whatever the listing's size. False when the sink failed.
[[nodiscard]] bool writeCatalogue(const ListingTable& table, const CatalogueFacts& facts, const CatalogueSink& sink);
