#include "pdfsurface.h"

#include "truetypesubset.h"

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
    : PrintedPageSurface(printer)
    , m_printer(printer)
    , m_writer(printer.outputFileName())
    , m_paper(printer.pageLayout().fullRectPoints().size())
    , m_printableTopLeft(printer.pageLayout().paintRectPoints().topLeft())
    , m_pointsPerPixel(72.0 / printer.logicalDpiY())
{
}

bool PdfSurface::startDocument()
{
    if (!m_writer.open(m_printer.docName(), m_printer.creator()))
        return false;
    m_writer.beginPage(m_paper);
    return true;
}

bool PdfSurface::startNextPage()
{
    m_writer.endPage();
    m_writer.beginPage(m_paper);
    return !m_writer.failed();
}

bool PdfSurface::finishDocument()
{
    m_writer.endPage();
    return m_writer.finish();
}

QPointF PdfSurface::toPage(const QPointF& pixels) const
{
    return { m_printableTopLeft.x() + pixels.x() * m_pointsPerPixel,
        m_paper.height() - m_printableTopLeft.y() - pixels.y() * m_pointsPerPixel };
}

void PdfSurface::drawText(const QString& text, const TextShaper::ShapedText& shaped, const QPointF& topLeft)
{
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
