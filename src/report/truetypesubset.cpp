#include "truetypesubset.h"

#include <QRawFont>
#include <algorithm>
#include <array>

namespace {
quint16 read16(const QByteArray& data, qsizetype at)
{
    if (at < 0 || at + 2 > data.size())
        return 0;
    return quint16((uchar(data[at]) << 8) | uchar(data[at + 1]));
}

quint32 read32(const QByteArray& data, qsizetype at)
{
    return (quint32(read16(data, at)) << 16) | read16(data, at + 2);
}

void append16(QByteArray& data, quint32 value)
{
    data.append(char(value >> 8));
    data.append(char(value));
}

void append32(QByteArray& data, quint32 value)
{
    append16(data, value >> 16);
    append16(data, value);
}

void set32(QByteArray& data, qsizetype at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        data[at + i] = char(value >> (24 - 8 * i));
}

quint32 checksum(const QByteArray& data)
{
    quint32 sum = 0;
    for (qsizetype at = 0; at < data.size(); at += 4) {
        quint32 word = 0;
        for (int i = 0; i < 4; ++i)
            word = (word << 8) | (at + i < data.size() ? uchar(data[at + i]) : 0);
        sum += word;
    }
    return sum;
}

struct Table {
    QByteArray tag;
    QByteArray data;
};

// The tables a PDF viewer needs to draw TrueType glyphs by number.
constexpr std::array requiredTables { "head", "hhea", "maxp", "hmtx", "loca", "glyf" };
constexpr std::array hintingTables { "cvt ", "fpgm", "prep" };

constexpr qsizetype headChecksumAdjustment = 8;
constexpr qsizetype headIndexToLocFormat = 50;
constexpr qsizetype maxpNumGlyphs = 4;
constexpr qsizetype os2FsType = 8;

QByteArray sfnt(std::vector<Table> tables)
{
    std::sort(tables.begin(), tables.end(), [](const Table& a, const Table& b) { return a.tag < b.tag; });
    const auto count = quint32(tables.size());
    quint32 entrySelector = 0;
    while ((2u << entrySelector) <= count)
        ++entrySelector;
    const quint32 searchRange = 16u << entrySelector;

    QByteArray file;
    append32(file, 0x00010000);
    append16(file, count);
    append16(file, searchRange);
    append16(file, entrySelector);
    append16(file, count * 16 - searchRange);
    quint32 offset = 12 + 16 * count;
    qsizetype headAt = -1;
    for (const Table& table : tables) {
        file.append(table.tag);
        append32(file, checksum(table.data));
        append32(file, offset);
        append32(file, quint32(table.data.size()));
        if (table.tag == "head")
            headAt = offset;
        offset += (quint32(table.data.size()) + 3) & ~3u;
    }
    for (const Table& table : tables) {
        file.append(table.data);
        file.append((4 - table.data.size() % 4) % 4, '\0');
    }
    if (headAt >= 0)
        set32(file, headAt + headChecksumAdjustment, 0xB1B0AFBA - checksum(file));
    return file;
}

// Composite glyphs are drawn from other glyphs, which have to come along.
void addComponents(const QByteArray& glyph, std::vector<quint32>& pending)
{
    constexpr quint16 argsAreWords = 0x1, hasScale = 0x8, moreComponents = 0x20, hasXYScale = 0x40, hasTwoByTwo = 0x80;
    if (glyph.size() < 10 || qint16(read16(glyph, 0)) >= 0)
        return;
    qsizetype at = 10;
    for (;;) {
        const quint16 flags = read16(glyph, at);
        pending.push_back(read16(glyph, at + 2));
        at += 4 + ((flags & argsAreWords) ? 4 : 2);
        at += (flags & hasScale) ? 2 : (flags & hasXYScale) ? 4 : (flags & hasTwoByTwo) ? 8 : 0;
        if (!(flags & moreComponents) || at >= glyph.size())
            return;
    }
}
}

bool canEmbedTrueType(const QRawFont& font)
{
    if (!font.isValid())
        return false;
    for (const char* tag : requiredTables)
        if (font.fontTable(tag).isEmpty())
            return false;
    // The outlines of a variable font are its default instance, which need not be the one drawn.
    if (!font.fontTable("fvar").isEmpty())
        return false;
    constexpr quint16 restrictedLicence = 0x0002, bitmapOnly = 0x0200;
    return (read16(font.fontTable("OS/2"), os2FsType) & (restrictedLicence | bitmapOnly)) == 0;
}

QByteArray trueTypeSubset(const QRawFont& font, const std::vector<bool>& used)
{
    if (!canEmbedTrueType(font))
        return {};
    QByteArray head = font.fontTable("head");
    const QByteArray loca = font.fontTable("loca");
    const QByteArray glyf = font.fontTable("glyf");
    const quint32 glyphCount = read16(font.fontTable("maxp"), maxpNumGlyphs);
    const bool longOffsets = read16(head, headIndexToLocFormat) == 1;
    auto offsetOf = [&](quint32 glyph) {
        return longOffsets ? read32(loca, 4 * qsizetype(glyph)) : 2 * quint32(read16(loca, 2 * qsizetype(glyph)));
    };
    auto outline = [&](quint32 glyph) {
        const quint32 start = offsetOf(glyph), end = offsetOf(glyph + 1);
        return start < end && end <= quint32(glyf.size()) ? glyf.mid(start, end - start) : QByteArray();
    };

    constexpr quint16 noSubsetting = 0x0100;
    const bool whole = read16(font.fontTable("OS/2"), os2FsType) & noSubsetting;
    std::vector<bool> keep(glyphCount, whole);
    std::vector<quint32> pending { 0 }; // the missing-glyph box
    for (quint32 glyph = 0; glyph < glyphCount && glyph < used.size(); ++glyph)
        if (used[glyph])
            pending.push_back(glyph);
    while (!whole && !pending.empty()) {
        const quint32 glyph = pending.back();
        pending.pop_back();
        if (glyph >= glyphCount || keep[glyph])
            continue;
        keep[glyph] = true;
        addComponents(outline(glyph), pending);
    }

    QByteArray newGlyf;
    QByteArray newLoca;
    for (quint32 glyph = 0; glyph < glyphCount; ++glyph) {
        append32(newLoca, quint32(newGlyf.size()));
        if (keep[glyph]) {
            newGlyf.append(outline(glyph));
            newGlyf.append((4 - newGlyf.size() % 4) % 4, '\0');
        }
    }
    append32(newLoca, quint32(newGlyf.size()));
    head[headIndexToLocFormat] = 0;
    head[headIndexToLocFormat + 1] = 1;
    set32(head, headChecksumAdjustment, 0);

    std::vector<Table> tables { { "head", head }, { "hhea", font.fontTable("hhea") },
        { "maxp", font.fontTable("maxp") }, { "hmtx", font.fontTable("hmtx") }, { "loca", newLoca },
        { "glyf", newGlyf } };
    for (const char* tag : hintingTables)
        if (const QByteArray data = font.fontTable(tag); !data.isEmpty())
            tables.push_back({ tag, data });
    return sfnt(std::move(tables));
}
