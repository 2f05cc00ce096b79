#include "pdfsurface.h"

#include "truetypesubset.h"
#include "twips.h"

#include <QPainterPath>
#include <QPrinter>
#include <QTransform>

bool PdfSurface::canWrite(QPrinter& printer)
{
    if (printer.outputFormat() != QPrinter::PdfFormat || printer.outputFileName().isEmpty())
        return false;
    const TextShaper shaper(printer, startPoints);
    return canEmbedTrueType(shaper.rawFont());
}

PdfSurface::PdfSurface(QPrinter& printer)
    : m_printer(printer)
    , m_shaper(printer, startPoints)
    , m_writer(printer.outputFileName())
    , m_paper(printer.pageLayout().fullRectPoints().size())
    , m_printableTopLeft(printer.pageLayout().paintRectPoints().topLeft())
    , m_pointsPerPixel(72.0 / printer.logicalDpiY())
    , m_twipsPerPixelY(double(Twips::perInch) / printer.logicalDpiY())
    , m_pixelsPerTwip(printer.logicalDpiX() / double(Twips::perInch))
{
}

bool PdfSurface::ensureStarted()
{
    if (m_failed)
        return false;
    if (m_started)
        return true;
    if (!m_writer.open(m_printer.docName(), m_printer.creator())) {
        m_failed = true;
        return false;
    }
    m_started = true;
    m_pages = 1;
    m_writer.beginPage(m_paper);
    return true;
}

QPointF PdfSurface::toPage(const QPointF& pixels) const
{
    return { m_printableTopLeft.x() + pixels.x() * m_pointsPerPixel,
        m_paper.height() - m_printableTopLeft.y() - pixels.y() * m_pointsPerPixel };
}

void PdfSurface::draw(const QString& text, const TextShaper::ShapedText& shaped)
{
    if (shaped.runs.isEmpty() || !ensureStarted())
        return;
    const QPointF topLeft(m_x * m_pixelsPerTwip, m_y / m_twipsPerPixelY);
    for (const QGlyphRun& run : shaped.runs)
        drawRun(text, run, topLeft, shaped.fromCharacterMap);
}

void PdfSurface::drawRun(const QString& text, const QGlyphRun& run, const QPointF& topLeft, bool fromCharacterMap)
{
    const QRawFont face = run.rawFont();
    const QList<quint32> glyphs = run.glyphIndexes();
    const QList<QPointF> positions = run.positions();
    const double points = face.pixelSize() * m_pointsPerPixel;
    const int font = m_writer.fontFor(face);
    if (font >= 0 && fromCharacterMap) {
        m_writer.showGlyphs(font, points, toPage(topLeft + positions.first()), glyphs, text);
        return;
    }
    // Shaped text (marks, other scripts, fallback fonts) is placed glyph by glyph where the layout put it.
    // What each glyph stands for is guessed from the characters the font maps to it.
    if (font >= 0)
        for (const QChar c : text)
            if (const QList<quint32> own = face.glyphIndexesForString(QString(c)); own.size() == 1)
                m_writer.mapGlyph(font, own.first(), QStringView(&c, 1));
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        const QPointF at = topLeft + positions[i];
        if (font >= 0) {
            m_writer.showGlyphs(font, points, toPage(at), { glyphs[i] }, {});
            continue;
        }
        const QTransform toPoints(m_pointsPerPixel, 0, 0, -m_pointsPerPixel, toPage(at).x(), toPage(at).y());
        m_writer.fillPath(toPoints.map(face.pathForGlyph(glyphs[i])));
    }
}

void PdfSurface::PrintText(const QString& text)
{
    if (text.isEmpty())
        return;
    const TextShaper::ShapedText& shaped = m_shaper.shaped(text);
    draw(text, shaped);
    m_x += shaped.width / m_pixelsPerTwip;
}

void PdfSurface::PrintLine(const QString& text)
{
    if (!text.isEmpty())
        draw(text, m_shaper.shaped(text));
    // An empty line begins the document as well, so that blank lines stand where they should.
    static_cast<void>(ensureStarted());
    m_x = 0;
    m_y += m_shaper.lineSpacing() * m_twipsPerPixelY;
}

void PdfSurface::SetFont(int points) { m_shaper.setPointSize(points); }

void PdfSurface::NewPage()
{
    if (!ensureStarted())
        return;
    m_writer.endPage();
    m_writer.beginPage(m_paper);
    ++m_pages;
    m_x = 0;
    m_y = 0;
}

void PdfSurface::EndDoc()
{
    if (!m_started)
        return;
    m_started = false;
    m_writer.endPage();
    if (!m_writer.finish())
        m_failed = true;
}
