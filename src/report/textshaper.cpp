#include "textshaper.h"

#include <QPaintDevice>
#include <QTextLayout>

TextShaper::TextShaper(QPaintDevice& device, int points)
    : m_device(device)
    , m_font(QFont(), &device)
    , m_metrics(m_font, &device)
{
    m_font.setKerning(false); // both ways of laying out text then measure alike
    setPointSize(points);
}

void TextShaper::setPointSize(int points)
{
    m_font.setPointSize(points);
    m_shaped.clear();
    m_metrics = QFontMetricsF(m_font, &m_device);
    m_rawFont = QRawFont::fromFont(m_font);
    m_rawFont.setPixelSize(m_font.pointSizeF() * m_device.logicalDpiY() / 72.0);
}

const TextShaper::ShapedText& TextShaper::shaped(const QString& text)
{
    const auto found = m_shaped.constFind(text);
    if (found != m_shaped.constEnd())
        return *found;
    if (m_shaped.size() >= maxShapedTexts)
        m_shaped.clear(); // file names rarely repeat; the short column texts come back at once
    ShapedText result;
    if (!shapeFromCharacterMap(text, result))
        result = shapeWithLayout(text);
    return *m_shaped.insert(text, result);
}

bool TextShaper::shapeFromCharacterMap(const QString& text, ShapedText& result) const
{
    constexpr char16_t firstCombiningMark = 0x300;
    for (const QChar c : text)
        if (c.unicode() < u' ' || c.unicode() >= firstCombiningMark)
            return false;
    const QList<quint32> glyphs = m_rawFont.glyphIndexesForString(text);
    if (glyphs.size() != text.size() || glyphs.contains(0))
        return false; // the font lacks a character: a fallback font has to be found
    // Unhinted advances scale with the size, as the widths a PDF font carries do.
    const QList<QPointF> advances = m_rawFont.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
    QList<QPointF> positions;
    positions.reserve(glyphs.size());
    QPointF pen(0, m_rawFont.ascent());
    for (const QPointF& advance : advances) {
        positions.append(pen);
        pen.rx() += advance.x();
    }
    QGlyphRun run;
    run.setRawFont(m_rawFont);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    result = { { run }, pen.x(), true };
    return true;
}

TextShaper::ShapedText TextShaper::shapeWithLayout(const QString& text)
{
    QTextLayout layout(text, m_font, &m_device);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    return { layout.glyphRuns(), line.isValid() ? line.horizontalAdvance() : 0.0, false };
}
