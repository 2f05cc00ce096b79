#include "jsonlineswriter.h"

#include "bytename.h"
#include "listingtable.h"
#include "reportoptions.h"

#include <QTimeZone>
#include <charconv>
#include <optional>

namespace {

constexpr qsizetype pieceBytes = qsizetype { 1024 } * 1024;
constexpr int formatVersion = 1;

void appendNumber(QByteArray& out, qint64 value)
{
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr - digits);
}

void appendDigits(QByteArray& out, qint64 value, int width)
{
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    for (auto written = result.ptr - digits; written < width; ++written)
        out.append('0');
    out.append(digits, result.ptr - digits);
}

// A JSON string of valid UTF-8; every byte of an invalid sequence becomes U+FFFD.
void appendString(QByteArray& out, QByteArrayView bytes)
{
    out.append('"');
    for (qsizetype at = 0; at < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte >= 0x80) {
            const int length = utf8SequenceAt(bytes, at);
            out.append(length > 0 ? bytes.sliced(at, length) : QByteArrayView("\xEF\xBF\xBD"));
            at += std::max(length, 1);
            continue;
        }
        if (byte == '"' || byte == '\\') {
            out.append('\\');
            out.append(static_cast<char>(byte));
        } else if (byte < 0x20 || byte == 0x7F) {
            constexpr char hex[] = "0123456789abcdef";
            const char escape[] = { '\\', 'u', '0', '0', hex[byte >> 4], hex[byte & 0xF] };
            out.append(escape, 6);
        } else {
            out.append(static_cast<char>(byte));
        }
        ++at;
    }
    out.append('"');
}

// "key":"text", and "key_base64":"..." beside it when the bytes are not UTF-8.
void appendTextField(QByteArray& out, QByteArrayView key, QByteArrayView bytes)
{
    out.append('"');
    out.append(key);
    out.append("\":");
    appendString(out, bytes);
    if (!bytes.isValidUtf8()) {
        out.append(",\"");
        out.append(key);
        out.append("_base64\":\"");
        out.append(bytes.toByteArray().toBase64());
        out.append('"');
    }
}

// ISO 8601 times with the local offset. The offset is looked up once an hour of time, since zones change it on
// whole hours at most once in one.
class IsoTimes {
public:
    void append(QByteArray& out, qint64 utcSeconds)
    {
        const int offset = offsetAt(utcSeconds);
        const qint64 local = utcSeconds + offset;
        const qint64 days = local >= 0 ? local / 86400 : (local - 86399) / 86400;
        const qint64 secondsOfDay = local - days * 86400;
        // Days to a civil date (proleptic Gregorian).
        const qint64 shifted = days + 719468;
        const qint64 era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
        const qint64 dayOfEra = shifted - era * 146097;
        const qint64 yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
        const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
        const qint64 monthIndex = (5 * dayOfYear + 2) / 153;
        const qint64 day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
        const qint64 month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
        const qint64 year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
        out.append('"');
        if (year < 0)
            out.append('-');
        appendDigits(out, year < 0 ? -year : year, 4);
        out.append('-');
        appendDigits(out, month, 2);
        out.append('-');
        appendDigits(out, day, 2);
        out.append('T');
        appendDigits(out, secondsOfDay / 3600, 2);
        out.append(':');
        appendDigits(out, secondsOfDay / 60 % 60, 2);
        out.append(':');
        appendDigits(out, secondsOfDay % 60, 2);
        out.append(offset < 0 ? '-' : '+');
        appendDigits(out, std::abs(offset) / 3600, 2);
        out.append(':');
        appendDigits(out, std::abs(offset) / 60 % 60, 2);
        out.append('"');
    }

private:
    int offsetAt(qint64 utcSeconds)
    {
        const qint64 hour = utcSeconds >= 0 ? utcSeconds / 3600 : (utcSeconds - 3599) / 3600;
        if (m_hour != hour) {
            m_hour = hour;
            m_hourStart = exactOffset(hour * 3600);
            m_steady = m_hourStart == exactOffset(hour * 3600 + 3599);
        }
        return m_steady ? m_hourStart : exactOffset(utcSeconds);
    }
    int exactOffset(qint64 utcSeconds) const { return m_zone.offsetFromUtc(QDateTime::fromSecsSinceEpoch(utcSeconds)); }

    QTimeZone m_zone = QTimeZone::systemTimeZone();
    std::optional<qint64> m_hour;
    int m_hourStart = 0;
    bool m_steady = false;
};

// What kept the listing from being whole, so that a script can tell a partial inventory from a whole one.
void appendCompleteness(QByteArray& out, const CatalogueFacts& facts)
{
    const ListingOrigin& origin = facts.origin;
    const bool filtered = facts.filter != nullptr;
    const bool complete
        = !origin.cancelled && !origin.limitReached && !origin.depthReached && origin.unreadable.empty() && !filtered;
    const std::pair<QByteArrayView, bool> flags[] = { { "complete", complete }, { "cancelled", origin.cancelled },
        { "limit_reached", origin.limitReached }, { "depth_reached", origin.depthReached }, { "filtered", filtered } };
    out.append(",\"completeness\":{");
    for (const auto& [key, flag] : flags) {
        out.append('"');
        out.append(key);
        out.append(flag ? "\":true," : "\":false,");
    }
    out.append("\"unreadable\":[");
    for (const UnreadableFolder& folder : origin.unreadable) {
        out.append(&folder == origin.unreadable.data() ? "{" : ",{");
        appendTextField(out, "path", toNativeBytes(folder.path));
        out.append(',');
        appendTextField(out, "reason", folder.reason.toUtf8());
        out.append('}');
    }
    out.append("]}");
}

QByteArray headerLine(const CatalogueFacts& facts)
{
    QByteArray out = R"({"format":"vellumark-listing","version":)";
    appendNumber(out, formatVersion);
    const std::pair<QByteArrayView, QByteArray> texts[] = { { "folder", toNativeBytes(facts.selectedPath) },
        { "host", facts.host.toUtf8() }, { "program", QStringLiteral("Vellumark %1").arg(facts.version).toUtf8() } };
    for (const auto& [key, text] : texts) {
        out.append(',');
        appendTextField(out, key, text);
    }
    out.append(",\"time\":");
    IsoTimes().append(out, facts.made.toSecsSinceEpoch());
    out.append(R"(,"choices":{"depth":)");
    if (facts.choices.depth != ListingChoices::allLevels)
        appendNumber(out, facts.choices.depth);
    else
        out.append("null");
    out.append(",\"limit\":");
    if (facts.choices.limit != ListingChoices::noLimit)
        appendNumber(out, facts.choices.limit);
    else
        out.append("null");
    out.append(',');
    appendTextField(out, "filter", filterText(facts.filter).toUtf8());
    out.append('}');
    appendCompleteness(out, facts);
    out.append("}\n");
    return out;
}

// The path of an entry: a folder's is its name; a file's, its folder's path and its name.
void appendPath(QByteArray& path, QByteArrayView folder, QByteArrayView name)
{
    path.resize(0);
    path.append(folder);
    if (!path.endsWith('/'))
        path.append('/');
    path.append(name);
}

QByteArrayView lastPart(QByteArrayView path)
{
    const qsizetype cut = path.size() > 1 ? path.lastIndexOf('/', path.size() - 2) : -1;
    return cut < 0 ? path : path.sliced(cut + 1);
}

} // namespace

bool writeJsonLines(const ListingTable& table, const CatalogueFacts& facts, const CatalogueSink& sink)
{
    QByteArray piece = headerLine(facts);
    piece.reserve(pieceBytes + 4096);
    const QByteArray selected = toNativeBytes(facts.selectedPath);
    QByteArray folder = selected; // the folder the files that follow are in
    int folderLevel = 0;
    QByteArray path;
    IsoTimes times;
    for (qsizetype i = 0; i < table.size(); ++i) {
        const bool isFolder = table.kind(i) == EntryKind::Folder;
        const QByteArrayView name = table.nameBytes(i);
        if (isFolder) {
            folder = name.toByteArray();
            folderLevel = table.level(i);
        }
        if (facts.filter && !checkforprint(table.name(i), table.rowKind(i), *facts.filter))
            continue;
        if (isFolder)
            path = folder;
        else
            appendPath(path, folder, name);
        piece.append('{');
        appendTextField(piece, "path", path);
        piece.append(',');
        appendTextField(piece, "name", isFolder ? lastPart(name) : name);
        piece.append(isFolder ? R"(,"kind":"folder","level":)" : R"(,"kind":"file","level":)");
        appendNumber(piece, isFolder ? folderLevel : folderLevel + 1);
        piece.append(",\"size\":");
        if (const std::optional<qint64> size = table.fileSize(i))
            appendNumber(piece, *size);
        else
            piece.append("null");
        if (!isFolder && !table.fileSize(i)) {
            piece.append(',');
            appendTextField(piece, "size_text", table.sizeBytes(i));
        }
        piece.append(",\"created\":");
        if (const std::optional<qint64> created = table.created(i)) {
            times.append(piece, *created);
            piece.append(",\"created_unix\":");
            appendNumber(piece, *created);
        } else {
            piece.append("null,\"created_unix\":null");
            if (const QByteArray text = table.dateBytes(i); !isFolder && !text.isEmpty()) {
                piece.append(',');
                appendTextField(piece, "created_text", text);
            }
        }
        piece.append("}\n");
        if (piece.size() >= pieceBytes) {
            if (!sink(piece))
                return false;
            piece.resize(0);
        }
    }
    return sink(piece);
}
