#include "printersurface.h"

#include "twips.h"

#include <QPrinter>
#include <QTextLayout>

PrinterSurface::PrinterSurface(QPrinter& printer)
    : m_printer(printer)
    , m_font(QFont(), &printer)
    , m_metrics(m_font, &printer)
    , m_twipsPerPixelX(double(Twips::perInch) / printer.logicalDpiX())
    , m_twipsPerPixelY(double(Twips::perInch) / printer.logicalDpiY())
    , m_pixelsPerTwipX(printer.logicalDpiX() / double(Twips::perInch))
    , m_pixelsPerTwipY(printer.logicalDpiY() / double(Twips::perInch))
{
    m_font.setPointSize(startPoints);
    m_font.setKerning(false); // both ways of laying out text then measure alike
    applyFont();
}

PrinterSurface::~PrinterSurface()
{
    if (m_painter.isActive())
        m_painter.end();
}

const PrinterSurface::ShapedText& PrinterSurface::shaped(const QString& text)
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

bool PrinterSurface::shapeFromCharacterMap(const QString& text, ShapedText& result) const
{
    constexpr char16_t firstCombiningMark = 0x300;
    for (const QChar c : text)
        if (c.unicode() < u' ' || c.unicode() >= firstCombiningMark)
            return false;
    const QList<quint32> glyphs = m_rawFont.glyphIndexesForString(text);
    if (glyphs.size() != text.size() || glyphs.contains(0))
        return false; // the font lacks a character: a fallback font has to be found
    const QList<QPointF> advances = m_rawFont.advancesForGlyphIndexes(glyphs);
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
    result = { { run }, pen.x() };
    return true;
}

PrinterSurface::ShapedText PrinterSurface::shapeWithLayout(const QString& text)
{
    QTextLayout layout(text, m_font, &m_printer);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    return { layout.glyphRuns(), line.isValid() ? line.horizontalAdvance() : 0.0 };
}

bool PrinterSurface::ensureStarted()
{
    if (m_failed)
        return false;
    if (m_started)
        return true;
    if (!m_painter.begin(&m_printer)) {
        m_failed = true;
        return false;
    }
    m_started = true;
    m_pages = 1;
    m_painter.setFont(m_font);
    m_painter.setPen(Qt::black);
    return true;
}

void PrinterSurface::draw(const ShapedText& text)
{
    if (text.runs.isEmpty() || !ensureStarted())
        return;
    const QPointF topLeft(m_x * m_pixelsPerTwipX, m_y * m_pixelsPerTwipY);
    for (const QGlyphRun& run : text.runs)
        m_painter.drawGlyphRun(topLeft, run);
}

void PrinterSurface::PrintText(const QString& text)
{
    if (text.isEmpty())
        return;
    const ShapedText& shapedText = shaped(text);
    draw(shapedText);
    m_x += shapedText.width * m_twipsPerPixelX;
}

void PrinterSurface::PrintLine(const QString& text)
{
    if (!text.isEmpty())
        draw(shaped(text));
    // An empty line begins the document as well, so that blank lines stand where they should.
    static_cast<void>(ensureStarted());
    m_x = 0;
    m_y += m_metrics.lineSpacing() * m_twipsPerPixelY;
}

void PrinterSurface::SetFont(int points)
{
    m_font.setPointSize(points);
    m_shaped.clear();
    applyFont();
}

void PrinterSurface::applyFont()
{
    m_metrics = QFontMetricsF(m_font, &m_printer);
    m_rawFont = QRawFont::fromFont(m_font);
    m_rawFont.setPixelSize(m_font.pointSizeF() * m_printer.logicalDpiY() / 72.0);
    if (m_painter.isActive())
        m_painter.setFont(m_font);
}

void PrinterSurface::NewPage()
{
    if (!ensureStarted())
        return;
    if (!m_printer.newPage()) {
        m_failed = true;
        return;
    }
    ++m_pages;
    m_x = 0;
    m_y = 0;
}

void PrinterSurface::EndDoc()
{
    if (!m_started)
        return;
    m_started = false;
    if (!m_painter.end() || m_printer.printerState() == QPrinter::Error)
        m_failed = true;
}
