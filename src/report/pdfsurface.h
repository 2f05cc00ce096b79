#pragma once

#include "pdfwriter.h"
#include "printedpagesurface.h"

#include <QPointF>
#include <QSizeF>

class QPrinter;

// The report written straight into the PDF file a printer is set to make, on the printer's pages. Qt's own
// PDF engine places and compresses every glyph on its own, which made a long report slow to write; this
// writes each text as one string.
class PdfSurface final : public PrintedPageSurface {
public:
    // Whether the printer makes a PDF file and the report's font can be embedded in it.
    [[nodiscard]] static bool canWrite(QPrinter& printer);

    explicit PdfSurface(QPrinter& printer);

    bool failed() const override { return PrintedPageSurface::failed() || m_writer.failed(); }

private:
    bool startDocument() override;
    bool startNextPage() override;
    bool finishDocument() override;
    void drawText(const QString& text, const TextShaper::ShapedText& shaped, const QPointF& topLeft) override;
    void drawRun(const QString& text, const QGlyphRun& run, const QPointF& topLeft, bool fromCharacterMap);
    [[nodiscard]] QPointF toPage(const QPointF& pixels) const;

    QPrinter& m_printer;
    PdfWriter m_writer;
    QSizeF m_paper; // points
    QPointF m_printableTopLeft; // points from the paper's top-left corner
    double m_pointsPerPixel;
};
