#include "listingtable.h"

#include "bytename.h"
#include "datetextformatter.h"
#include "listingcodec.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr quint32 folderFlag = 1U << 0;
constexpr quint32 createdFlag = 1U << 1; // the creation time is known
constexpr quint32 sizeTextFlag = 1U << 2; // the size cell is kept as read
constexpr quint32 dateTextFlag = 1U << 3; // the date cell is kept as read
constexpr quint32 sizeApartFlag = 1U << 4; // the size is held among the names
constexpr quint32 dateApartFlag = 1U << 5; // the date is held among the names
constexpr quint32 flagMask = (1U << 6) - 1;
constexpr int dateHighShift = 6;
constexpr int dateLowBits = 32;
constexpr int dateBits = 40;
constexpr int sizeShift = 14;
constexpr qint64 sizeLimit = qint64 { 1 } << (64 - sizeShift);
constexpr qint64 dateLimit = qint64 { 1 } << (dateBits - 1);
constexpr quint32 levelLimit = (1U << 28) - 1;
constexpr int stringsPerEntry = 3; // its name, a kept or far size, a kept or far date

QString textOf(QByteArrayView bytes)
{
    if (bytes.size() == 1 && static_cast<unsigned char>(bytes.front()) < 0x80)
        return { QLatin1Char(bytes.front()) };
    return fromNativeBytes(bytes);
}

QByteArrayView rawBytes(const qint64& value) { return { reinterpret_cast<const char*>(&value), sizeof value }; }

qint64 fromRawBytes(QByteArrayView bytes)
{
    qint64 value = 0;
    std::memcpy(&value, bytes.data(), sizeof value);
    return value;
}
}

ListingTable::ListingTable() = default;
ListingTable::ListingTable(qsizetype largestNameBlock)
    : m_bytes(largestNameBlock)
{
}
ListingTable::~ListingTable() = default;
ListingTable::ListingTable(ListingTable&& other) noexcept = default;
ListingTable& ListingTable::operator=(ListingTable&& other) noexcept = default;

void ListingTable::append(
    quint32 bits, qint64 size, qint64 created, QByteArrayView name, QByteArrayView sizeText, QByteArrayView dateText)
{
    // Each string added may start a block: a block of entries keeps all its strings within one mark's reach.
    static_assert(stringsPerEntry * blockEntries < ByteStore::marksReach);
    const qsizetype slot = slotOf(m_count);
    if (slot == 0 && static_cast<size_t>(m_count / blockEntries) == m_blocks.size()) {
        m_blocks.push_back(std::make_unique_for_overwrite<Block>());
        m_blocks.back()->strings = m_bytes.mark();
    }
    Block& block = *m_blocks[static_cast<size_t>(m_count / blockEntries)];
    const auto keep = [&](QByteArrayView bytes) { return static_cast<quint64>(m_bytes.add(bytes, block.strings)); };
    quint64 sizeField = 0;
    if (bits & sizeTextFlag) {
        sizeField = keep(sizeText);
    } else if (size >= 0 && size < sizeLimit) {
        sizeField = static_cast<quint64>(size);
    } else {
        bits |= sizeApartFlag;
        sizeField = keep(rawBytes(size));
    }
    quint64 dateField = 0;
    if (bits & dateTextFlag) {
        dateField = keep(dateText);
    } else if (created >= -dateLimit && created < dateLimit) {
        dateField = static_cast<quint64>(created);
    } else {
        bits |= dateApartFlag;
        dateField = keep(rawBytes(created));
    }
    const auto at = static_cast<size_t>(slot);
    const quint64 dateHigh = (dateField >> dateLowBits) & ((1U << (dateBits - dateLowBits)) - 1);
    block.head[at] = bits | (dateHigh << dateHighShift) | (sizeField << sizeShift);
    block.dateLow[at] = static_cast<quint32>(dateField);
    block.name[at] = m_bytes.add(name, block.strings);
    ++m_count;
}

void ListingTable::appendFile(QByteArrayView name, qint64 size, std::optional<qint64> created)
{
    append(created ? createdFlag : 0, size, created.value_or(0), name);
}

void ListingTable::appendFolder(QByteArrayView path, int level)
{
    append(folderFlag, std::clamp<quint32>(static_cast<quint32>(level), 0, levelLimit), 0, path);
}

void ListingTable::appendRecord(QByteArrayView name, QByteArrayView size, QByteArrayView datecreated)
{
    if (ListingCodec::isFolderSize(size)) {
        if (const std::optional<int> level = ListingCodec::levelFromMarker(datecreated))
            appendFolder(name, *level);
        else
            append(folderFlag | dateTextFlag, 0, 0, name, {}, datecreated);
        return;
    }
    quint32 bits = 0;
    const std::optional<qint64> bytes = ListingCodec::sizeFromText(size);
    if (!bytes)
        bits |= sizeTextFlag;
    qint64 createdValue = 0;
    if (!datecreated.isEmpty()) {
        const std::optional<qint64> time = dates().parseUtf8(datecreated);
        // A date text that is not UTF-8 was not written by the formatter, whatever it decodes to.
        if (time && datecreated.isValidUtf8()) {
            bits |= createdFlag;
            createdValue = *time;
        } else {
            bits |= dateTextFlag;
        }
    }
    append(bits, bytes.value_or(0), createdValue, name, size, datecreated);
}

void ListingTable::appendFileCells(QByteArrayView name, std::variant<qint64, QByteArrayView> size,
    std::variant<std::optional<qint64>, QByteArrayView> created)
{
    // A text that reads as the program's own form is kept as its value, as a listing file's record is, so the
    // row is the same whichever file it came from.
    quint32 bits = 0;
    qint64 sizeValue = 0;
    QByteArrayView sizeText;
    if (const auto* text = std::get_if<QByteArrayView>(&size)) {
        if (const std::optional<qint64> bytes = ListingCodec::sizeFromText(*text)) {
            sizeValue = *bytes;
        } else {
            bits |= sizeTextFlag;
            sizeText = *text;
        }
    } else {
        sizeValue = std::get<qint64>(size);
    }
    qint64 createdValue = 0;
    QByteArrayView dateText;
    if (const auto* text = std::get_if<QByteArrayView>(&created)) {
        const std::optional<qint64> time = text->isValidUtf8() ? dates().parseUtf8(*text) : std::optional<qint64>();
        if (time) {
            bits |= createdFlag;
            createdValue = *time;
        } else if (!text->isEmpty()) {
            bits |= dateTextFlag;
            dateText = *text;
        }
    } else if (const std::optional<qint64> time = std::get<std::optional<qint64>>(created)) {
        bits |= createdFlag;
        createdValue = *time;
    }
    append(bits, sizeValue, createdValue, name, sizeText, dateText);
}

void ListingTable::appendEntry(const ListingTable& other, qsizetype i) { appendEntry(other, i, other.nameBytes(i)); }

void ListingTable::appendEntry(const ListingTable& other, qsizetype i, QByteArrayView name)
{
    const quint32 bits = other.flags(i) & (folderFlag | createdFlag | sizeTextFlag | dateTextFlag);
    append(bits, bits & sizeTextFlag ? 0 : other.sizeValue(i), bits & dateTextFlag ? 0 : other.dateValue(i), name,
        other.keptSize(i), other.keptDate(i));
}

void ListingTable::updatetable(const QString& name, const QString& size, const QString& datecreated)
{
    appendRecord(toNativeBytes(name), toNativeBytes(size), toNativeBytes(datecreated));
}

void ListingTable::empty()
{
    m_blocks.clear();
    m_bytes.clear();
    m_count = 0;
    ++m_generation;
}

void ListingTable::replaceWith(ListingTable&& other)
{
    const int generation = m_generation + 1;
    *this = std::move(other);
    m_generation = generation;
}

quint32 ListingTable::flags(qsizetype i) const { return static_cast<quint32>(head(i)) & flagMask; }

QByteArrayView ListingTable::stringAt(qsizetype i, quint64 field) const
{
    return m_bytes.at(blockOf(i).strings, static_cast<ByteStore::Ref>(field));
}

qint64 ListingTable::sizeValue(qsizetype i) const
{
    const quint64 h = head(i);
    const quint64 field = h >> sizeShift;
    return h & sizeApartFlag ? fromRawBytes(stringAt(i, field)) : static_cast<qint64>(field);
}

qint64 ListingTable::dateValue(qsizetype i) const
{
    const quint64 h = head(i);
    const quint32 low = blockOf(i).dateLow[static_cast<size_t>(slotOf(i))];
    if (h & dateApartFlag)
        return fromRawBytes(stringAt(i, low));
    // The top byte is signed: dates before 1970 are negative.
    const auto high = static_cast<qint8>(static_cast<quint8>(h >> dateHighShift));
    return static_cast<qint64>(static_cast<quint64>(static_cast<qint64>(high)) << dateLowBits | low);
}

QByteArrayView ListingTable::keptSize(qsizetype i) const
{
    const quint64 h = head(i);
    return h & sizeTextFlag ? stringAt(i, h >> sizeShift) : QByteArrayView();
}

QByteArrayView ListingTable::keptDate(qsizetype i) const
{
    return flags(i) & dateTextFlag ? stringAt(i, blockOf(i).dateLow[static_cast<size_t>(slotOf(i))]) : QByteArrayView();
}

EntryKind ListingTable::kind(qsizetype i) const { return flags(i) & folderFlag ? EntryKind::Folder : EntryKind::File; }

RowKind ListingTable::rowKind(qsizetype i) const
{
    const quint32 f = flags(i);
    if (f & folderFlag)
        return RowKind::Folder;
    if ((f & sizeTextFlag) && keptSize(i).isEmpty())
        return RowKind::Blank;
    return RowKind::File;
}

int ListingTable::level(qsizetype i) const
{
    return flags(i) & folderFlag ? static_cast<int>(head(i) >> sizeShift) : 0;
}

QByteArrayView ListingTable::nameBytes(qsizetype i) const
{
    const Block& block = blockOf(i);
    return m_bytes.at(block.strings, block.name[static_cast<size_t>(slotOf(i))]);
}

QString ListingTable::name(qsizetype i) const { return fromNativeBytes(nameBytes(i)); }

std::optional<qint64> ListingTable::fileSize(qsizetype i) const
{
    if (flags(i) & (folderFlag | sizeTextFlag))
        return std::nullopt;
    return sizeValue(i);
}

std::optional<qint64> ListingTable::created(qsizetype i) const
{
    if (!(flags(i) & createdFlag))
        return std::nullopt;
    return dateValue(i);
}

QString ListingTable::sizeText(qsizetype i) const
{
    const quint32 f = flags(i);
    if (f & folderFlag)
        return ListingCodec::folderSizeText();
    return f & sizeTextFlag ? textOf(keptSize(i)) : ListingCodec::sizeText(sizeValue(i));
}

QString ListingTable::dateText(qsizetype i) const
{
    const quint32 f = flags(i);
    if (f & dateTextFlag)
        return textOf(keptDate(i));
    if (f & folderFlag)
        return ListingCodec::levelMarker(level(i));
    return f & createdFlag ? dates().format(dateValue(i)) : QString();
}

QByteArray ListingTable::sizeBytes(qsizetype i) const
{
    const quint32 f = flags(i);
    if (f & folderFlag)
        return QByteArrayLiteral(" ");
    return f & sizeTextFlag ? keptSize(i).toByteArray() : QByteArray::number(sizeValue(i));
}

QByteArray ListingTable::dateBytes(qsizetype i) const
{
    const quint32 f = flags(i);
    if (f & dateTextFlag)
        return keptDate(i).toByteArray();
    if ((f & (folderFlag | createdFlag)) != createdFlag)
        return dateText(i).toUtf8();
    if (!m_dateTexts)
        m_dateTexts = std::make_unique<RecentDateTexts>();
    return m_dateTexts->utf8(dateValue(i));
}

ListingEntry ListingTable::entry(qsizetype i) const { return { name(i), sizeText(i), dateText(i) }; }

bool ListingTable::sameSize(qsizetype i, const ListingTable& other, qsizetype j) const
{
    const std::optional<qint64> mine = fileSize(i);
    const std::optional<qint64> theirs = other.fileSize(j);
    if (mine && theirs)
        return *mine == *theirs;
    return sizeBytes(i) == other.sizeBytes(j);
}

int ListingTable::rowCount(GridId grid) const
{
    const int n = listcount();
    const int inGrid = grid == GridId::Grid1 ? std::min(n, gridCapacity) : std::max(0, n - gridCapacity);
    return designedRows + inGrid;
}

qsizetype ListingTable::indexOf(GridId grid, int row) const
{
    if (row < 1 || row > entryRows(grid))
        return -1;
    return (grid == GridId::Grid1 ? 0 : gridCapacity) + row - 1;
}

QString ListingTable::cell(GridId grid, int row, int column) const
{
    const qsizetype i = indexOf(grid, row);
    return i < 0 ? QString() : entryCell(i, column);
}

QString ListingTable::entryCell(qsizetype i, int column) const
{
    switch (column) {
    case 0:
        return QStringLiteral(" ");
    case 1:
        return name(i);
    case 2:
        return sizeText(i);
    case 3:
        return dateText(i);
    default:
        return {};
    }
}

ListingEntry ListingTable::row(GridId grid, int row) const
{
    const qsizetype i = indexOf(grid, row);
    return i < 0 ? ListingEntry {} : entry(i);
}

QString ListingTable::rowText(GridId grid, int row) const
{
    const ListingEntry entry = this->row(grid, row);
    return entry.name + QLatin1Char('\t') + entry.size + QLatin1Char('\t') + entry.datecreated;
}

qint64 ListingTable::memoryUsed() const
{
    return static_cast<qint64>(m_blocks.size() * sizeof(Block) + m_blocks.capacity() * sizeof(void*))
        + m_bytes.allocatedBytes();
}

bool ListingTable::operator==(const ListingTable& other) const
{
    if (m_count != other.m_count)
        return false;
    for (qsizetype i = 0; i < m_count; ++i) {
        if (flags(i) != other.flags(i) || level(i) != other.level(i) || nameBytes(i) != other.nameBytes(i)
            || !sameSize(i, other, i) || dateBytes(i) != other.dateBytes(i))
            return false;
    }
    return true;
}

DateTextFormatter& ListingTable::dates() const
{
    if (!m_dates)
        m_dates = std::make_unique<DateTextFormatter>(DateTextFormatter::instants());
    return *m_dates;
}
