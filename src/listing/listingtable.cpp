#include "listingtable.h"

#include "bytename.h"
#include "datetextformatter.h"
#include "listingcodec.h"

#include <algorithm>

namespace {
constexpr quint32 folderFlag = 1U << 0;
constexpr quint32 createdFlag = 1U << 1; // the creation time is known
constexpr quint32 sizeTextFlag = 1U << 2; // the size cell is kept as read
constexpr quint32 dateTextFlag = 1U << 3; // the date cell is kept as read
constexpr int levelShift = 4;
constexpr quint32 levelLimit = (1U << (32 - levelShift)) - 1;

QString textOf(QByteArrayView bytes)
{
    if (bytes.size() == 1 && static_cast<unsigned char>(bytes.front()) < 0x80)
        return { QLatin1Char(bytes.front()) };
    return fromNativeBytes(bytes);
}
}

ListingTable::ListingTable() = default;
ListingTable::~ListingTable() = default;
ListingTable::ListingTable(ListingTable&& other) noexcept = default;
ListingTable& ListingTable::operator=(ListingTable&& other) noexcept = default;

void ListingTable::append(quint32 bits, qint64 size, qint64 created, QByteArrayView name)
{
    const qsizetype slot = slotOf(m_count);
    if (slot == 0 && static_cast<size_t>(m_count / blockEntries) == m_blocks.size())
        m_blocks.push_back(std::make_unique_for_overwrite<Block>());
    Block& block = *m_blocks[static_cast<size_t>(m_count / blockEntries)];
    const auto at = static_cast<size_t>(slot);
    block.flags[at] = bits;
    block.size[at] = size;
    block.created[at] = created;
    block.name[at] = m_bytes.add(name);
    ++m_count;
}

void ListingTable::appendFile(QByteArrayView name, qint64 size, std::optional<qint64> created)
{
    append(created ? createdFlag : 0, size, created.value_or(0), name);
}

void ListingTable::appendFolder(QByteArrayView path, int level)
{
    append(folderFlag | (std::clamp<quint32>(static_cast<quint32>(level), 0, levelLimit) << levelShift), 0, 0, path);
}

void ListingTable::appendRecord(QByteArrayView name, QByteArrayView size, QByteArrayView datecreated)
{
    const auto stored = [this](QByteArrayView text) { return static_cast<qint64>(m_bytes.add(text)); };
    if (ListingCodec::isFolderSize(size)) {
        if (const std::optional<int> level = ListingCodec::levelFromMarker(datecreated))
            appendFolder(name, *level);
        else
            append(folderFlag | dateTextFlag, 0, stored(datecreated), name);
        return;
    }
    quint32 bits = 0;
    const std::optional<qint64> bytes = ListingCodec::sizeFromText(size);
    const qint64 sizeValue = bytes ? *bytes : stored(size);
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
            createdValue = stored(datecreated);
        }
    }
    append(bits, sizeValue, createdValue, name);
}

void ListingTable::appendFileCells(QByteArrayView name, std::variant<qint64, QByteArrayView> size,
    std::variant<std::optional<qint64>, QByteArrayView> created)
{
    // A text that reads as the program's own form is kept as its value, as a listing file's record is, so the
    // row is the same whichever file it came from.
    quint32 bits = 0;
    qint64 sizeValue = 0;
    if (const auto* text = std::get_if<QByteArrayView>(&size)) {
        if (const std::optional<qint64> bytes = ListingCodec::sizeFromText(*text)) {
            sizeValue = *bytes;
        } else {
            bits |= sizeTextFlag;
            sizeValue = static_cast<qint64>(m_bytes.add(*text));
        }
    } else {
        sizeValue = std::get<qint64>(size);
    }
    qint64 createdValue = 0;
    if (const auto* text = std::get_if<QByteArrayView>(&created)) {
        const std::optional<qint64> time = text->isValidUtf8() ? dates().parseUtf8(*text) : std::optional<qint64>();
        if (time) {
            bits |= createdFlag;
            createdValue = *time;
        } else if (!text->isEmpty()) {
            bits |= dateTextFlag;
            createdValue = static_cast<qint64>(m_bytes.add(*text));
        }
    } else if (const std::optional<qint64> time = std::get<std::optional<qint64>>(created)) {
        bits |= createdFlag;
        createdValue = *time;
    }
    append(bits, sizeValue, createdValue, name);
}

void ListingTable::appendEntry(const ListingTable& other, qsizetype i)
{
    const Block& block = other.blockOf(i);
    const auto at = static_cast<size_t>(other.slotOf(i));
    const quint32 bits = block.flags[at];
    const auto carried = [&](quint32 textFlag, qint64 value) {
        return bits & textFlag ? static_cast<qint64>(m_bytes.add(other.storedText(value))) : value;
    };
    append(bits, carried(sizeTextFlag, block.size[at]), carried(dateTextFlag, block.created[at]), other.nameBytes(i));
}

void ListingTable::updatetable(const QString& name, const QString& size, const QString& datecreated)
{
    appendRecord(toNativeBytes(name), toNativeBytes(size), toNativeBytes(datecreated));
}

void ListingTable::empty()
{
    m_lastDate.reset();
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

EntryKind ListingTable::kind(qsizetype i) const { return flags(i) & folderFlag ? EntryKind::Folder : EntryKind::File; }

RowKind ListingTable::rowKind(qsizetype i) const
{
    const quint32 f = flags(i);
    if (f & folderFlag)
        return RowKind::Folder;
    if ((f & sizeTextFlag) && storedText(blockOf(i).size[static_cast<size_t>(slotOf(i))]).isEmpty())
        return RowKind::Blank;
    return RowKind::File;
}

int ListingTable::level(qsizetype i) const
{
    const quint32 f = flags(i);
    return f & folderFlag ? static_cast<int>(f >> levelShift) : 0;
}

QByteArrayView ListingTable::nameBytes(qsizetype i) const
{
    return m_bytes.at(blockOf(i).name[static_cast<size_t>(slotOf(i))]);
}

QString ListingTable::name(qsizetype i) const { return fromNativeBytes(nameBytes(i)); }

std::optional<qint64> ListingTable::fileSize(qsizetype i) const
{
    if (flags(i) & (folderFlag | sizeTextFlag))
        return std::nullopt;
    return blockOf(i).size[static_cast<size_t>(slotOf(i))];
}

std::optional<qint64> ListingTable::created(qsizetype i) const
{
    if (!(flags(i) & createdFlag))
        return std::nullopt;
    return blockOf(i).created[static_cast<size_t>(slotOf(i))];
}

QString ListingTable::sizeText(qsizetype i) const
{
    const quint32 f = flags(i);
    if (f & folderFlag)
        return ListingCodec::folderSizeText();
    const qint64 value = blockOf(i).size[static_cast<size_t>(slotOf(i))];
    return f & sizeTextFlag ? textOf(storedText(value)) : ListingCodec::sizeText(value);
}

QString ListingTable::dateText(qsizetype i) const
{
    const quint32 f = flags(i);
    const qint64 value = blockOf(i).created[static_cast<size_t>(slotOf(i))];
    if (f & dateTextFlag)
        return textOf(storedText(value));
    if (f & folderFlag)
        return ListingCodec::levelMarker(level(i));
    return f & createdFlag ? dates().format(value) : QString();
}

QByteArray ListingTable::sizeBytes(qsizetype i) const
{
    const quint32 f = flags(i);
    if (f & folderFlag)
        return QByteArrayLiteral(" ");
    const qint64 value = blockOf(i).size[static_cast<size_t>(slotOf(i))];
    return f & sizeTextFlag ? storedText(value).toByteArray() : QByteArray::number(value);
}

QByteArray ListingTable::dateBytes(qsizetype i) const
{
    const quint32 f = flags(i);
    const qint64 value = blockOf(i).created[static_cast<size_t>(slotOf(i))];
    if (f & dateTextFlag)
        return storedText(value).toByteArray();
    if ((f & (folderFlag | createdFlag)) != createdFlag)
        return dateText(i).toUtf8();
    if (m_lastDate != value) {
        m_lastDateBytes = dates().formatUtf8(value);
        m_lastDate = value;
    }
    return m_lastDateBytes;
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
        if (flags(i) != other.flags(i) || nameBytes(i) != other.nameBytes(i) || !sameSize(i, other, i)
            || dateBytes(i) != other.dateBytes(i))
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
