#pragma once

#include "listingtable.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <vector>

// Where and why reading a listing file stopped before its end.
struct ReadFault {
    enum class Kind {
        None,
        NoListing, // not even the first field: an empty file
        EndsInRecord, // the file ends after one or two fields of a record, or inside a quoted field
        MalformedField, // text after a closing quote, or a quote inside an unquoted field
        WrongFieldCount, // a line holds other than one field (the first) or three (a record)
        NotText, // a NUL byte: no listing holds one, a binary file does
        ReadError, // the system failed to read the file
    };
    Kind kind = Kind::None;
    int line = 0; // from 1; the line where the faulty record or field starts
    QString reason; // the system's reason, for a read error
    int fields = 0; // the fields on the line, for a wrong count

    bool operator==(const ReadFault&) const = default;
};

// What a listing file holds, as far as it could be read.
struct ListingFileContent {
    QString selectedPath;
    bool hasSelectedPath = false; // the first field was read whole
    ListingTable records; // never more than the record limit
    bool limitReached = false; // the file holds more records than the limit lets in
    ReadFault fault;

    bool operator==(const ListingFileContent&) const = default;
};

// Reads the listing file format line by line: a field ends at a comma or a line end, a quoted field keeps its
// commas and line breaks and takes two double quotes as one. The first line holds the selected path alone,
// then every line one record of three fields; a line with another count is malformed, so a hand-edited line
// cannot pull the next one into its record. A record of three empty fields takes no place; a line that holds
// nothing at all holds no field.
// Bytes come from a stream and are read only as far as the record limit, so memory stays bounded whatever the
// stream's length; a field over a megabyte is malformed. Fields are kept as the bytes they are.
class ListingFileReader {
public:
    // Fills up to capacity bytes into buffer and returns how many; 0 at the end of the stream or on a failure.
    using ByteSource = std::function<qsizetype(char* buffer, qsizetype capacity)>;

    [[nodiscard]] static ListingFileContent parse(QByteArrayView bytes, qint64 recordLimit = ListingTable::listLimit);
    [[nodiscard]] static ListingFileContent parse(
        const ByteSource& source, qint64 recordLimit = ListingTable::listLimit);
};

// What is wrong at the fault's line, in words for a message ("it holds 2 fields, not 3"); empty for no fault.
[[nodiscard]] QString faultText(const ReadFault& fault);

struct FileReadResult {
    bool opened = false;
    bool cancelled = false; // the progress hook stopped the read; the content is cut short
    QString error; // the system's reason when the file could not be opened, or what it is if not a regular file
    ListingFileContent content;
};

// Reads a regular file as a stream, never blocking on a pipe or a device, which it refuses. A read that fails
// partway keeps what came before.
// The progress hook runs after every block read with the bytes read so far and the file's size; false stops.
using ReadProgress = std::function<bool(qint64 bytesRead, qint64 fileSize)>;
[[nodiscard]] FileReadResult readListingFile(
    const QString& path, qint64 recordLimit = ListingTable::listLimit, const ReadProgress& progress = {});
