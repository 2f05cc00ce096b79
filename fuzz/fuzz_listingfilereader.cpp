#include "listingfilereader.h"
#include "listingfilewriter.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void check(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "listing file reader: %s\n", what);
        std::abort();
    }
}

// A small record limit taken from the input reaches the limit path without megabyte inputs.
int smallLimit(const uint8_t* data, size_t size) { return size == 0 ? 0 : data[0] % 8; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const ListingFileContent content = ListingFileReader::parse(bytes);
    const auto placed = static_cast<int>(content.records.size());
    check(placed <= ListingTable::listLimit, "more entries than the listing holds");
    check(!content.limitReached || placed == ListingTable::listLimit, "limit flag without a full listing");
    check(content.hasSelectedPath || placed == 0, "records without a selected path");
    for (qsizetype i = 0; i < content.records.size(); ++i)
        check(!(content.records.entry(i) == ListingEntry {}), "empty record placed");

    // The same bytes in small reads of varying size: a field or line end split across reads changes nothing.
    size_t offered = 0;
    const ListingFileReader::ByteSource trickle = [&](char* buffer, qsizetype capacity) -> qsizetype {
        const size_t step = std::min({ size - offered, size_t(capacity), size_t(1 + offered % 7) });
        std::memcpy(buffer, data + offered, step);
        offered += step;
        return static_cast<qsizetype>(step);
    };
    check(ListingFileReader::parse(trickle) == content, "a stream in small reads reads differently");

    const int limit = smallLimit(data, size);
    const ListingFileContent limited = ListingFileReader::parse(bytes, limit);
    if (content.fault.kind == ReadFault::Kind::NotText) {
        // A lower limit may stop before the NUL byte that makes the whole file no listing.
        check(limited.fault.kind == ReadFault::Kind::NotText || limited.limitReached, "NUL byte missed");
        return 0;
    }
    const int expected = std::min(placed, limit);
    check(static_cast<int>(limited.records.size()) == expected, "a lower limit is not a prefix");
    for (qsizetype i = 0; i < limited.records.size(); ++i)
        check(limited.records.entry(i) == content.records.entry(i), "prefix differs");
    check(limited.limitReached == (placed > limit), "limit flag wrong under a lower limit");

    // What the reader takes, the writer gives back whole, and the reader takes again unchanged.
    if (content.hasSelectedPath) {
        ListingFileWriter writer(content.selectedPath);
        for (qsizetype i = 0; i < content.records.size(); ++i)
            writer.addRecord(content.records, i);
        const ListingFileContent again = ListingFileReader::parse(writer.bytes());
        check(again.selectedPath == content.selectedPath, "path changed by a round trip");
        check(again.records == content.records, "records changed by a round trip");
        check(again.fault == ReadFault {} && !again.limitReached, "written file does not read back whole");
    }
    return 0;
}
