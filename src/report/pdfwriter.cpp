#include "pdfwriter.h"

#include "truetypesubset.h"

#include <QDateTime>
#include <QPainterPath>
#include <QPointF>
#include <QTimeZone>
#include <charconv>
#include <cmath>

namespace {
constexpr int catalogObject = 1;
constexpr int pagesObject = 2;
constexpr int resourcesObject = 3;
constexpr int infoObject = 4;
constexpr qsizetype flushSize = 1 << 16;

void appendInteger(QByteArray& out, long long value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end - digits);
}

// Hundredths of a point are finer than any printer's dot.
void appendNumber(QByteArray& out, double value)
{
    long long hundredths = std::llround(value * 100);
    if (hundredths < 0) {
        out.append('-');
        hundredths = -hundredths;
    }
    appendInteger(out, hundredths / 100);
    if (const long long fraction = hundredths % 100; fraction != 0) {
        out.append('.');
        out.append(char('0' + fraction / 10));
        if (fraction % 10)
            out.append(char('0' + fraction % 10));
    }
}

void appendHex16(QByteArray& out, quint32 value)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    for (int shift = 12; shift >= 0; shift -= 4)
        out.append(hex[(value >> shift) & 0xF]);
}

// A text string of the document information, in UTF-16 so that any name survives.
QByteArray textString(const QString& text)
{
    QByteArray out("<FEFF");
    for (const QChar c : text)
        appendHex16(out, c.unicode());
    return out + '>';
}

QByteArray pdfDate(const QDateTime& when)
{
    const int offset = when.offsetFromUtc() / 60;
    return when.toString(QStringLiteral("'D:'yyyyMMddHHmmss")).toLatin1()
        + QStringLiteral("%1%2'%3'")
              .arg(offset < 0 ? '-' : '+')
              .arg(std::abs(offset) / 60, 2, 10, QLatin1Char('0'))
              .arg(std::abs(offset) % 60, 2, 10, QLatin1Char('0'))
              .toLatin1();
}

// A PostScript name: letters, digits and hyphens only.
QByteArray fontName(const QRawFont& face, int number)
{
    QByteArray name = QByteArray("VMK") + char('A' + number / 676 % 26) + char('A' + number / 26 % 26)
        + char('A' + number % 26) + '+';
    for (const QChar c : face.familyName() + QLatin1Char('-') + face.styleName())
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-')
            name.append(char(c.unicode()));
    return name;
}

qint16 signed16(const QByteArray& table, qsizetype at)
{
    return at + 2 <= table.size() ? qint16((uchar(table[at]) << 8) | uchar(table[at + 1])) : 0;
}
}

PdfWriter::PdfWriter(const QString& path)
    : m_file(path)
{
}

PdfWriter::~PdfWriter()
{
    if (m_file.isOpen())
        m_file.cancelWriting();
}

bool PdfWriter::open(const QString& title, const QString& creator)
{
    // Unbuffered, with every write checked: a buffered QSaveFile loses a short write made while flushing.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        m_failed = true;
        return false;
    }
    put("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    for (int object = catalogObject; object <= infoObject; ++object)
        reserveObject();
    beginObject(infoObject);
    put("<< /Title " + textString(title) + " /Creator " + textString(creator) + " /Producer " + textString(creator)
        + " /CreationDate (" + pdfDate(QDateTime::currentDateTime()) + ") " + " >>\nendobj\n");
    return !m_failed;
}

int PdfWriter::reserveObject()
{
    m_offsets.push_back(-1);
    return int(m_offsets.size());
}

void PdfWriter::beginObject(int object)
{
    m_offsets[size_t(object - 1)] = m_flushed + m_out.size();
    appendInteger(m_out, object);
    m_out.append(" 0 obj\n");
}

void PdfWriter::put(const QByteArray& bytes)
{
    m_out.append(bytes);
    if (m_out.size() >= flushSize)
        flush();
}

void PdfWriter::flush()
{
    for (qsizetype written = 0; !m_failed && written < m_out.size();) {
        const qint64 n = m_file.write(m_out.constData() + written, m_out.size() - written);
        m_failed = n <= 0; // after a short write, the next attempt fails with the system's reason
        written += n;
    }
    m_flushed += m_out.size();
    m_out.clear();
}

int PdfWriter::fontFor(const QRawFont& font)
{
    if (m_lastFont >= 0 && font == m_lastFace)
        return m_lastFont;
    // One entry per typeface, whatever size it is drawn at.
    const QByteArray key
        = font.familyName().toUtf8() + '\0' + font.styleName().toUtf8() + '\0' + font.fontTable("head");
    int number = -1;
    for (size_t i = 0; i < m_fonts.size(); ++i)
        if (m_fonts[i]->key == key)
            number = int(i);
    if (number < 0) {
        if (!canEmbedTrueType(font))
            return -1;
        auto entry = std::make_unique<Font>();
        entry->face = font;
        entry->key = key;
        entry->object = reserveObject();
        m_fonts.push_back(std::move(entry));
        number = int(m_fonts.size() - 1);
    }
    m_lastFace = font;
    m_lastFont = number;
    return number;
}

void PdfWriter::beginPage(const QSizeF& paper)
{
    m_paper = paper;
    m_page.clear();
    m_inText = false;
    m_pageFont = -1;
    m_pagePoints = 0;
}

void PdfWriter::enterText()
{
    if (!m_inText)
        m_page.append("BT\n");
    m_inText = true;
}

void PdfWriter::leaveText()
{
    if (m_inText)
        m_page.append("ET\n");
    m_inText = false;
}

void PdfWriter::mapGlyph(int font, quint32 glyph, QStringView text)
{
    Font& entry = *m_fonts[size_t(font)];
    if (glyph >= entry.used.size())
        entry.used.resize(glyph + 1);
    entry.used[glyph] = true;
    if (!text.isEmpty())
        entry.characters.try_emplace(glyph, text.toString());
}

void PdfWriter::showGlyphs(
    int font, double points, const QPointF& baseline, const QList<quint32>& glyphs, QStringView text)
{
    enterText();
    if (font != m_pageFont || points != m_pagePoints) {
        m_page.append("/F");
        appendInteger(m_page, font);
        m_page.append(' ');
        appendNumber(m_page, points);
        m_page.append(" Tf\n");
        m_pageFont = font;
        m_pagePoints = points;
    }
    m_page.append("1 0 0 1 ");
    appendNumber(m_page, baseline.x());
    m_page.append(' ');
    appendNumber(m_page, baseline.y());
    m_page.append(" Tm (");
    Font& entry = *m_fonts[size_t(font)];
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        const quint32 glyph = glyphs[i];
        if (glyph >= entry.used.size() || !entry.used[glyph])
            mapGlyph(font, glyph, text.size() == glyphs.size() ? text.mid(i, 1) : QStringView());
        for (const char byte : { char(glyph >> 8), char(glyph) }) {
            if (byte == '(' || byte == ')' || byte == '\\')
                m_page.append('\\');
            if (byte == '\r')
                m_page.append("\\r"); // a bare CR would be read as a line end
            else
                m_page.append(byte);
        }
    }
    m_page.append(") Tj\n");
}

void PdfWriter::fillPath(const QPainterPath& path)
{
    if (path.isEmpty())
        return;
    leaveText();
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const int points = e.type == QPainterPath::CurveToElement ? 3 : 1;
        for (int k = 0; k < points; ++k) {
            const QPainterPath::Element p = path.elementAt(i + k);
            appendNumber(m_page, p.x);
            m_page.append(' ');
            appendNumber(m_page, p.y);
            m_page.append(' ');
        }
        m_page.append(e.type == QPainterPath::MoveToElement ? "m\n"
                : e.type == QPainterPath::LineToElement     ? "l\n"
                                                            : "c\n");
        i += points - 1;
    }
    m_page.append(path.fillRule() == Qt::WindingFill ? "f\n" : "f*\n");
}

void PdfWriter::endPage()
{
    leaveText();
    const int contents = reserveObject();
    writeStream(contents, m_page);
    const int page = reserveObject();
    beginObject(page);
    QByteArray dictionary("<< /Type /Page /Parent 2 0 R /Resources 3 0 R /MediaBox [0 0 ");
    appendNumber(dictionary, m_paper.width());
    dictionary.append(' ');
    appendNumber(dictionary, m_paper.height());
    dictionary.append("] /Contents ");
    appendInteger(dictionary, contents);
    dictionary.append(" 0 R >>\nendobj\n");
    put(dictionary);
    m_pageObjects.push_back(page);
    m_page.clear();
}

void PdfWriter::writeStream(int object, const QByteArray& data, const QByteArray& extraEntries)
{
    const QByteArray packed = qCompress(data).mid(4); // less Qt's length prefix: a zlib stream
    beginObject(object);
    QByteArray dictionary("<< /Filter /FlateDecode /Length ");
    appendInteger(dictionary, packed.size());
    put(dictionary + extraEntries + " >>\nstream\n");
    put(packed);
    put("\nendstream\nendobj\n");
}

void PdfWriter::writeFont(const Font& font)
{
    const QByteArray subset = trueTypeSubset(font.face, font.used);
    const QByteArray head = font.face.fontTable("head");
    const QByteArray hhea = font.face.fontTable("hhea");
    const QByteArray os2 = font.face.fontTable("OS/2");
    const QByteArray post = font.face.fontTable("post");
    const double scale = 1000.0 / std::max<int>(1, quint16(signed16(head, 18)));
    const QByteArray name = fontName(font.face, int(font.object));
    constexpr int os2CapHeightSince = 2;
    const int capHeight = signed16(os2, 0) >= os2CapHeightSince ? signed16(os2, 88) : signed16(hhea, 4);
    const double italicAngle = signed16(post, 4) + quint16(signed16(post, 6)) / 65536.0;
    const bool fixedPitch = signed16(post, 12) != 0 || signed16(post, 14) != 0;
    constexpr int fixedPitchFlag = 1, symbolicFlag = 4, italicFlag = 64;

    const int fileObject = reserveObject();
    QByteArray length1(" /Length1 ");
    appendInteger(length1, subset.size());
    writeStream(fileObject, subset, length1);

    const int descriptorObject = reserveObject();
    beginObject(descriptorObject);
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
    d.append(" /FontFile2 ");
    appendInteger(d, fileObject);
    put(d + " 0 R >>\nendobj\n");

    // Widths at 1000 units to the em, as the text was laid out: unhinted.
    QList<quint32> glyphs;
    for (quint32 glyph = 0; glyph < font.used.size(); ++glyph)
        if (font.used[glyph])
            glyphs.append(glyph);
    QRawFont unit = font.face;
    unit.setPixelSize(1000);
    const QList<QPointF> advances = unit.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
    const int cidFontObject = reserveObject();
    beginObject(cidFontObject);
    QByteArray c("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /" + name
        + " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor ");
    appendInteger(c, descriptorObject);
    c.append(" 0 R /CIDToGIDMap /Identity /W [");
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
    put(c + (glyphs.isEmpty() ? "" : "]") + "] >>\nendobj\n");

    QByteArray cmap("/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                    "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                    "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                    "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n");
    constexpr int entriesPerBlock = 100;
    for (auto it = font.characters.begin(); it != font.characters.end();) {
        const auto left = std::distance(it, font.characters.end());
        appendInteger(cmap, std::min<long>(left, entriesPerBlock));
        cmap.append(" beginbfchar\n");
        for (int n = 0; n < entriesPerBlock && it != font.characters.end(); ++n, ++it) {
            cmap.append('<');
            appendHex16(cmap, it->first);
            cmap.append("> <");
            for (const QChar unit16 : it->second)
                appendHex16(cmap, unit16.unicode());
            cmap.append(">\n");
        }
        cmap.append("endbfchar\n");
    }
    cmap.append("endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n");
    const int toUnicodeObject = reserveObject();
    writeStream(toUnicodeObject, cmap);

    beginObject(font.object);
    QByteArray t("<< /Type /Font /Subtype /Type0 /BaseFont /" + name + " /Encoding /Identity-H /DescendantFonts [");
    appendInteger(t, cidFontObject);
    t.append(" 0 R] /ToUnicode ");
    appendInteger(t, toUnicodeObject);
    put(t + " 0 R >>\nendobj\n");
}

bool PdfWriter::finish()
{
    if (m_failed || !m_file.isOpen())
        return false;
    for (const auto& font : m_fonts)
        writeFont(*font);

    beginObject(resourcesObject);
    QByteArray resources("<< /ProcSet [/PDF /Text] /Font <<");
    for (size_t i = 0; i < m_fonts.size(); ++i) {
        resources.append(" /F");
        appendInteger(resources, qsizetype(i));
        resources.append(' ');
        appendInteger(resources, m_fonts[i]->object);
        resources.append(" 0 R");
    }
    put(resources + " >> >>\nendobj\n");

    beginObject(pagesObject);
    QByteArray pages("<< /Type /Pages /Count ");
    appendInteger(pages, qsizetype(m_pageObjects.size()));
    pages.append(" /Kids [");
    for (size_t i = 0; i < m_pageObjects.size(); ++i) {
        pages.append(i % 10 ? " " : "\n");
        appendInteger(pages, m_pageObjects[i]);
        pages.append(" 0 R");
    }
    put(pages + "] >>\nendobj\n");

    beginObject(catalogObject);
    put("<< /Type /Catalog /Pages 2 0 R >>\nendobj\n");

    const qint64 xref = m_flushed + m_out.size();
    QByteArray table("xref\n0 ");
    appendInteger(table, qsizetype(m_offsets.size() + 1));
    table.append("\n0000000000 65535 f \n");
    for (const qint64 offset : m_offsets)
        table.append(QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n");
    table.append("trailer\n<< /Size ");
    appendInteger(table, qsizetype(m_offsets.size() + 1));
    table.append(" /Root 1 0 R /Info 4 0 R >>\nstartxref\n");
    appendInteger(table, xref);
    put(table + "\n%%EOF\n");
    flush();
    if (m_failed || !m_file.commit()) {
        m_failed = true;
        return false;
    }
    return true;
}
