#pragma once

#include "cataloguewriter.h"

class ListingTable;

// Writes the listing as JSON Lines: a header object (format, version, folder, host, program, time, choices),
// then one object per entry with its path, name, kind, level, size and creation time, both as ISO 8601 with the
// offset from UTC and as Unix seconds. Text that is not UTF-8 is shown with U+FFFD and given whole, as base64
// of its bytes, in a field of its own. Fields are only ever added to the format, never changed. With a filter,
// only the rows it passes. False when the sink failed.
[[nodiscard]] bool writeJsonLines(const ListingTable& table, const CatalogueFacts& facts, const CatalogueSink& sink);
