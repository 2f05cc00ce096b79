#pragma once

#include "listingtable.h"

#include <QByteArray>
#include <functional>

// What the records of a catalogue page hold, as far as they could be read.
struct CatalogueContent {
    enum class Fault {
        None,
        NoRecords, // the page holds no records: not a catalogue the program wrote
        EndsInRecords, // the page ends before its records do
        MalformedRecord, // a line no record is written as
        NotText, // a NUL byte, which no page holds
    };
    QByteArray selectedPath;
    bool hasSelectedPath = false;
    ListingTable records; // never more than the record limit
    bool limitReached = false; // the page holds more records than that
    Fault fault = Fault::None;
    int line = 0; // from 1; the page's line where the fault is
};

// Fills up to capacity bytes into buffer and returns how many; 0 at the end of the stream or on a failure.
using CatalogueByteSource = std::function<qsizetype(char* buffer, qsizetype capacity)>;

// Reads a catalogue page as a stream, line by line, skipping everything but its records; memory holds one line
// and a chunk whatever the page's length. Reading stops at the limit, at a fault, or after the records.
[[nodiscard]] CatalogueContent readCatalogue(const CatalogueByteSource& source, qint64 recordLimit);
