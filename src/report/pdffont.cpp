#include "pdffont.h"

#include "pdfsyntax.h"

#include <QPointF>
#include <QRawFont>
#include <algorithm>

using namespace PdfSyntax;

namespace {
qint16 signed16(const QByteArray& table, qsizetype at)
{
    return at + 2 <= table.size() ? qint16((uchar(table[at]) << 8) | uchar(table[at + 1])) : 0;
}

QByteArray reference(int object)
{
    QByteArray out;
    appendInteger(out, object);
    return out + " 0 R";
}
}

QByteArray PdfFont::subsetName(const QRawFont& face, int number)
{
    QByteArray name = QByteArray("VMK") + char('A' + number / 676 % 26) + char('A' + number / 26 % 26)
        + char('A' + number % 26) + '+';
    for (const QChar c : face.familyName() + QLatin1Char('-') + face.styleName())
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-')
            name.append(char(c.unicode()));
    return name;
}

QByteArray PdfFont::descriptor(const QRawFont& face, const QByteArray& name, int fontFileObject)
{
    const QByteArray head = face.fontTable("head");
    const QByteArray hhea = face.fontTable("hhea");
    const QByteArray os2 = face.fontTable("OS/2");
    const QByteArray post = face.fontTable("post");
    const double scale = 1000.0 / std::max<int>(1, quint16(signed16(head, 18)));
    constexpr int os2CapHeightSince = 2;
    const int capHeight = signed16(os2, 0) >= os2CapHeightSince ? signed16(os2, 88) : signed16(hhea, 4);
    const double italicAngle = signed16(post, 4) + quint16(signed16(post, 6)) / 65536.0;
    const bool fixedPitch = signed16(post, 12) != 0 || signed16(post, 14) != 0;
    constexpr int fixedPitchFlag = 1, symbolicFlag = 4, italicFlag = 64;

    QByteArray d("<< /Type /FontDescriptor /FontName /" + name + " /Flags ");
    appendInteger(d, symbolicFlag | (fixedPitch ? fixedPitchFlag : 0) | (italicAngle != 0 ? italicFlag : 0));
    d.append(" /FontBBox [");
    for (const qsizetype at : { 36, 38, 40, 42 }) {
        d.append(' ');
        appendNumber(d, signed16(head, at) * scale);
    }
    d.append(" ]");
    for (const auto& [key, value] : { std::pair { " /ItalicAngle ", italicAngle },
             { " /Ascent ", signed16(hhea, 4) * scale }, { " /Descent ", signed16(hhea, 6) * scale },
             { " /CapHeight ", capHeight * scale }, { " /StemV ", 80.0 } }) {
        d.append(key);
        appendNumber(d, value);
    }
    return d + " /FontFile2 " + reference(fontFileObject) + " >>";
}

QByteArray PdfFont::cidFont(
    const QRawFont& face, const QByteArray& name, int descriptorObject, const QList<quint32>& glyphs)
{
    QRawFont unit = face;
    unit.setPixelSize(1000);
    const QList<QPointF> advances = unit.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
    QByteArray c("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /" + name
        + " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor "
        + reference(descriptorObject) + " /CIDToGIDMap /Identity /W [");
    // Runs of consecutive glyphs share one array: "first [w1 w2 ...]".
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        if (i == 0 || glyphs[i] != glyphs[i - 1] + 1) {
            c.append(i == 0 ? "\n" : "]\n");
            appendInteger(c, glyphs[i]);
            c.append(" [");
        } else {
            c.append(' ');
        }
        appendNumber(c, i < advances.size() ? advances[i].x() : 0);
    }
    return c + (glyphs.isEmpty() ? "" : "]") + "] >>";
}

QByteArray PdfFont::type0Font(const QByteArray& name, int cidFontObject, int toUnicodeObject)
{
    return "<< /Type /Font /Subtype /Type0 /BaseFont /" + name + " /Encoding /Identity-H /DescendantFonts ["
        + reference(cidFontObject) + "] /ToUnicode " + reference(toUnicodeObject) + " >>";
}

QByteArray PdfFont::toUnicode(const std::map<quint32, QString>& characters)
{
    QByteArray cmap("/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                    "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                    "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                    "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n");
    constexpr long entriesPerBlock = 100; // the most a block may hold
    for (auto it = characters.begin(); it != characters.end();) {
        appendInteger(cmap, std::min(long(std::distance(it, characters.end())), entriesPerBlock));
        cmap.append(" beginbfchar\n");
        for (long n = 0; n < entriesPerBlock && it != characters.end(); ++n, ++it) {
            cmap.append('<');
            appendHex16(cmap, it->first);
            cmap.append("> <");
            for (const QChar unit : it->second)
                appendHex16(cmap, unit.unicode());
            cmap.append(">\n");
        }
        cmap.append("endbfchar\n");
    }
    return cmap + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}
