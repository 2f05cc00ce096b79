#include "pdfwriter.h"

#include "pdffont.h"
#include "pdfsyntax.h"
#include "truetypesubset.h"
#include "writeall.h"

#include <QDateTime>
#include <QPainterPath>
#include <QPointF>
#include <cmath>

using namespace PdfSyntax;

namespace {
constexpr int catalogObject = 1;
constexpr int pagesObject = 2;
constexpr int resourcesObject = 3;
constexpr int infoObject = 4;
constexpr qsizetype flushSize = 1 << 16;

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
    // Unbuffered, so that writeAll sees every short write.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        m_failed = true;
        return false;
    }
    put("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    for (int object = catalogObject; object <= infoObject; ++object)
        reserveObject();
    writeObject(infoObject,
        "<< /Title " + textString(title) + " /Creator " + textString(creator) + " /Producer " + textString(creator)
            + " /CreationDate (" + pdfDate(QDateTime::currentDateTime()) + ") >>");
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
    if (!m_failed && !writeAll(m_file, m_out.constData(), m_out.size()))
        m_failed = true;
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
    QByteArray dictionary("<< /Type /Page /Parent 2 0 R /Resources 3 0 R /MediaBox [0 0 ");
    appendNumber(dictionary, m_paper.width());
    dictionary.append(' ');
    appendNumber(dictionary, m_paper.height());
    dictionary.append("] /Contents ");
    appendInteger(dictionary, contents);
    writeObject(page, dictionary + " 0 R >>");
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
    const QByteArray name = PdfFont::subsetName(font.face, font.object);
    const QByteArray subset = trueTypeSubset(font.face, font.used);
    const int fileObject = reserveObject();
    QByteArray length1(" /Length1 ");
    appendInteger(length1, subset.size());
    writeStream(fileObject, subset, length1);

    const int descriptorObject = reserveObject();
    writeObject(descriptorObject, PdfFont::descriptor(font.face, name, fileObject));
    QList<quint32> glyphs;
    for (quint32 glyph = 0; glyph < font.used.size(); ++glyph)
        if (font.used[glyph])
            glyphs.append(glyph);
    const int cidFontObject = reserveObject();
    writeObject(cidFontObject, PdfFont::cidFont(font.face, name, descriptorObject, glyphs));
    const int toUnicodeObject = reserveObject();
    writeStream(toUnicodeObject, PdfFont::toUnicode(font.characters));
    writeObject(font.object, PdfFont::type0Font(name, cidFontObject, toUnicodeObject));
}

void PdfWriter::writeObject(int object, const QByteArray& body)
{
    beginObject(object);
    put(body + "\nendobj\n");
}

bool PdfWriter::finish()
{
    if (m_failed || !m_file.isOpen())
        return false;
    for (const auto& font : m_fonts)
        writeFont(*font);

    QByteArray resources("<< /ProcSet [/PDF /Text] /Font <<");
    for (size_t i = 0; i < m_fonts.size(); ++i) {
        resources.append(" /F");
        appendInteger(resources, qsizetype(i));
        resources.append(' ');
        appendInteger(resources, m_fonts[i]->object);
        resources.append(" 0 R");
    }
    writeObject(resourcesObject, resources + " >> >>");

    QByteArray pages("<< /Type /Pages /Count ");
    appendInteger(pages, qsizetype(m_pageObjects.size()));
    pages.append(" /Kids [");
    for (size_t i = 0; i < m_pageObjects.size(); ++i) {
        pages.append(i % 10 ? " " : "\n");
        appendInteger(pages, m_pageObjects[i]);
        pages.append(" 0 R");
    }
    writeObject(pagesObject, pages + "] >>");
    writeObject(catalogObject, "<< /Type /Catalog /Pages 2 0 R >>");

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
