#include "cataloguerecords.h"

#include "bytename.h"
#include "listingcodec.h"
#include "listingtable.h"

#include <array>
#include <charconv>
#include <variant>

namespace {

constexpr char hexDigits[] = "0123456789ABCDEF";

void appendHexByte(QByteArray& out, unsigned char byte)
{
    const char escape[] = { '\\', 'x', hexDigits[byte >> 4], hexDigits[byte & 0xF] };
    out.append(escape, 4);
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void appendNumber(QByteArray& out, qint64 value)
{
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr - digits);
}

// Years 1 to 9999 are all the date form writes; a time past them is no listing's, and a walk gives none.
bool writableTime(qint64 time)
{
    constexpr qint64 firstYear = -62135596800;
    constexpr qint64 lastYear = 253402300799;
    return time >= firstYear && time <= lastYear;
}

// A whole decimal number, with a sign for a negative one.
bool readNumber(QByteArrayView text, qint64& value)
{
    if (text.isEmpty() || text.front() == '+')
        return false;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

// The parts of a line between tabs; false unless there are exactly count of them.
template <size_t count> bool splitFields(QByteArrayView line, std::array<QByteArrayView, count>& fields)
{
    size_t field = 0;
    qsizetype start = 0;
    for (qsizetype at = 0; at <= line.size(); ++at) {
        if (at < line.size() && line[at] != '\t')
            continue;
        if (field == count)
            return false;
        fields[field++] = line.sliced(start, at - start);
        start = at + 1;
    }
    return field == count;
}

// How many leading '/'-separated parts of path the previous path holds too, and where the rest begins; at least
// one part always follows, so that a path ending in '/' differs from the same path without it.
qsizetype sharedParts(QByteArrayView previous, QByteArrayView path, qsizetype& restStart)
{
    qsizetype shared = 0;
    restStart = 0;
    const qsizetype common = std::min(previous.size(), path.size());
    qsizetype at = 0;
    for (; at < common && previous[at] == path[at]; ++at) {
        if (path[at] == '/') {
            ++shared;
            restStart = at + 1;
        }
    }
    // The previous path ended exactly where path has a separator: its last part is shared as well.
    if (at == previous.size() && at < path.size() && path[at] == '/') {
        ++shared;
        restStart = at + 1;
    }
    return shared;
}

} // namespace

void CatalogueRecords::appendEscaped(QByteArray& out, QByteArrayView bytes)
{
    qsizetype plain = 0; // the start of the run of bytes that go out as they are
    const auto flush = [&](qsizetype end) { out.append(bytes.data() + plain, end - plain); };
    for (qsizetype at = 0; at < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte >= 0x80) {
            const int length = utf8SequenceAt(bytes, at);
            if (length > 0) {
                at += length;
                continue;
            }
        } else if (byte >= 0x20 && byte != 0x7F && byte != '\\' && byte != '<') {
            ++at;
            continue;
        }
        flush(at);
        if (byte == '\\')
            out.append("\\\\", 2);
        else if (byte == '\t')
            out.append("\\t", 2);
        else if (byte == '\n')
            out.append("\\n", 2);
        else if (byte == '\r')
            out.append("\\r", 2);
        else
            appendHexByte(out, byte);
        plain = ++at;
    }
    flush(bytes.size());
}

bool CatalogueRecords::unescape(QByteArrayView text, QByteArray& bytes)
{
    bytes.clear();
    qsizetype plain = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '\t' || c == '\n' || c == '\r')
            return false;
        if (c != '\\')
            continue;
        bytes.append(text.data() + plain, at - plain);
        if (at + 1 >= text.size())
            return false;
        switch (text[at + 1]) {
        case '\\':
            bytes.append('\\');
            break;
        case 't':
            bytes.append('\t');
            break;
        case 'n':
            bytes.append('\n');
            break;
        case 'r':
            bytes.append('\r');
            break;
        case 'x': {
            const int high = at + 3 < text.size() ? hexValue(text[at + 2]) : -1;
            const int low = high >= 0 ? hexValue(text[at + 3]) : -1;
            if (low < 0)
                return false;
            bytes.append(static_cast<char>(high * 16 + low));
            at += 2;
            break;
        }
        default:
            return false;
        }
        plain = ++at + 1;
    }
    bytes.append(text.data() + plain, text.size() - plain);
    return true;
}

CatalogueRecordEncoder::CatalogueRecordEncoder(QByteArrayView selectedPath)
{
    CatalogueRecords::appendEscaped(m_previousFolder, selectedPath);
}

void CatalogueRecordEncoder::appendSelectedPath(QByteArray& out) const
{
    out.append('P');
    out.append(m_previousFolder);
    out.append('\n');
}

void CatalogueRecordEncoder::appendEntry(QByteArray& out, const ListingTable& table, qsizetype i)
{
    if (table.kind(i) == EntryKind::Folder) {
        appendFolder(out, table, i);
        return;
    }
    out.append('f');
    CatalogueRecords::appendEscaped(out, table.nameBytes(i));
    out.append('\t');
    if (const std::optional<qint64> size = table.fileSize(i)) {
        appendNumber(out, *size);
    } else {
        out.append('=');
        CatalogueRecords::appendEscaped(out, table.sizeBytes(i));
    }
    out.append('\t');
    if (const std::optional<qint64> created = table.created(i)) {
        appendNumber(out, *created - m_previousTime);
        m_previousTime = *created;
    } else if (const QByteArray date = table.dateBytes(i); !date.isEmpty()) {
        out.append('=');
        CatalogueRecords::appendEscaped(out, date);
    }
    out.append('\n');
}

void CatalogueRecordEncoder::appendFolder(QByteArray& out, const ListingTable& table, qsizetype i)
{
    m_escaped.clear();
    CatalogueRecords::appendEscaped(m_escaped, table.nameBytes(i));
    qsizetype restStart = 0;
    const qsizetype shared = sharedParts(m_previousFolder, m_escaped, restStart);
    const QByteArray marker = table.dateBytes(i);
    const int level = table.level(i);
    const bool ownMarker = level >= 1 && ListingCodec::levelFromMarker(marker) == level;
    if (ownMarker) {
        out.append('d');
        appendNumber(out, level);
        out.append('\t');
    } else {
        out.append('D');
    }
    appendNumber(out, shared);
    out.append('\t');
    out.append(QByteArrayView(m_escaped).sliced(restStart));
    if (!ownMarker) {
        out.append('\t');
        CatalogueRecords::appendEscaped(out, marker);
    }
    out.append('\n');
    std::swap(m_previousFolder, m_escaped);
}

bool CatalogueRecordDecoder::readSelectedPath(QByteArrayView line, QByteArray& path)
{
    if (!line.startsWith('P'))
        return false;
    m_previousFolder = line.sliced(1).toByteArray();
    return CatalogueRecords::unescape(m_previousFolder, path);
}

CatalogueRecordDecoder::Line CatalogueRecordDecoder::readEntry(QByteArrayView line, ListingTable& table)
{
    if (line.startsWith('f'))
        return readFile(line.sliced(1), table);
    if (line.startsWith('d') || line.startsWith('D'))
        return readFolder(line.sliced(1), line.front() == 'D', table);
    return Line::Malformed;
}

CatalogueRecordDecoder::Line CatalogueRecordDecoder::readFile(QByteArrayView line, ListingTable& table)
{
    std::array<QByteArrayView, 3> fields;
    if (!splitFields(line, fields) || !CatalogueRecords::unescape(fields[0], m_name))
        return Line::Malformed;
    const QByteArrayView size = fields[1];
    const QByteArrayView created = fields[2];
    std::variant<qint64, QByteArrayView> sizeCell = qint64 { 0 };
    if (size.startsWith('=')) {
        if (!CatalogueRecords::unescape(size.sliced(1), m_size))
            return Line::Malformed;
        sizeCell = QByteArrayView(m_size);
    } else if (qint64 bytes = 0; readNumber(size, bytes) && bytes >= 0) {
        sizeCell = bytes;
    } else {
        return Line::Malformed;
    }
    std::variant<std::optional<qint64>, QByteArrayView> createdCell = std::optional<qint64>();
    if (created.startsWith('=')) {
        if (!CatalogueRecords::unescape(created.sliced(1), m_date) || m_date.isEmpty())
            return Line::Malformed;
        createdCell = QByteArrayView(m_date);
    } else if (!created.isEmpty()) {
        qint64 step = 0;
        if (!readNumber(created, step) || __builtin_add_overflow(m_previousTime, step, &m_previousTime)
            || !writableTime(m_previousTime))
            return Line::Malformed;
        createdCell = std::optional<qint64>(m_previousTime);
    }
    const auto* keptSize = std::get_if<QByteArrayView>(&sizeCell);
    const auto* time = std::get_if<std::optional<qint64>>(&createdCell);
    if (m_name.isEmpty() && keptSize && keptSize->isEmpty() && time && !*time)
        return Line::Empty;
    table.appendFileCells(m_name, sizeCell, createdCell);
    return Line::Entry;
}

CatalogueRecordDecoder::Line CatalogueRecordDecoder::readFolder(QByteArrayView line, bool marked, ListingTable& table)
{
    std::array<QByteArrayView, 3> fields;
    if (!splitFields(line, fields))
        return Line::Malformed;
    const QByteArrayView shared = marked ? fields[0] : fields[1];
    const QByteArrayView rest = marked ? fields[1] : fields[2];
    if (!folderPath(shared, rest) || !CatalogueRecords::unescape(m_previousFolder, m_name))
        return Line::Malformed;
    if (marked) {
        if (!CatalogueRecords::unescape(fields[2], m_date))
            return Line::Malformed;
        table.appendRecord(m_name, " ", m_date);
        return Line::Entry;
    }
    qint64 level = 0;
    if (!readNumber(fields[0], level) || level < 1 || level > (qint64 { 1 } << 27))
        return Line::Malformed;
    table.appendFolder(m_name, static_cast<int>(level));
    return Line::Entry;
}

bool CatalogueRecordDecoder::folderPath(QByteArrayView shared, QByteArrayView rest)
{
    qint64 parts = 0;
    if (!readNumber(shared, parts) || parts < 0)
        return false;
    qsizetype end = 0; // where the shared parts of the previous path end
    for (qint64 part = 0; part < parts; ++part) {
        if (part > 0) {
            if (end >= m_previousFolder.size())
                return false;
            ++end;
        }
        const qsizetype separator = m_previousFolder.indexOf('/', end);
        end = separator < 0 ? m_previousFolder.size() : separator;
    }
    m_previousFolder.truncate(end);
    if (parts > 0)
        m_previousFolder.append('/');
    m_previousFolder.append(rest);
    return true;
}
