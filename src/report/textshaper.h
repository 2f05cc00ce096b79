#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QRawFont>

class QPaintDevice;

// The report's texts laid out in its font on a printing device: glyph runs from the line's top-left corner and
// widths in device pixels. Texts repeat (sizes, dates, titles), so each is laid out once.
class TextShaper {
public:
    static constexpr int maxShapedTexts = 4096;

    struct ShapedText {
        QList<QGlyphRun> runs;
        double width = 0;
        bool fromCharacterMap = false; // one run in the font itself, glyph i standing for character i
    };

    TextShaper(QPaintDevice& device, int points);

    void setPointSize(int points);
    [[nodiscard]] const QFont& font() const { return m_font; }
    [[nodiscard]] const QRawFont& rawFont() const { return m_rawFont; }
    [[nodiscard]] double lineSpacing() const { return m_metrics.lineSpacing(); }
    [[nodiscard]] const ShapedText& shaped(const QString& text);

private:
    // Latin text that the font holds needs no complex shaping: its glyphs and advances come from the font's
    // character map, which is many times faster for a report of thousands of file names.
    [[nodiscard]] bool shapeFromCharacterMap(const QString& text, ShapedText& result) const;
    [[nodiscard]] ShapedText shapeWithLayout(const QString& text);

    QPaintDevice& m_device;
    QFont m_font;
    QFontMetricsF m_metrics;
    QRawFont m_rawFont;
    QHash<QString, ShapedText> m_shaped;
};
