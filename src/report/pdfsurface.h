#pragma once

#include "pdfwriter.h"
#include "reportsurface.h"
#include "textshaper.h"

#include <QPointF>
#include <QSizeF>

class QPrinter;

// The report written straight into the PDF file a printer is set to make, on the printer's pages: positions
// in twips from the top-left corner of the printable area. Qt's own PDF engine places and compresses every
// glyph on its own, which made a long report slow to write; this writes each text as one string.
class PdfSurface final : public DocumentSurface {
public:
    static constexpr int startPoints = 10;

    // Whether the printer makes a PDF file and the report's font can be embedded in it.
    [[nodiscard]] static bool canWrite(QPrinter& printer);

    explicit PdfSurface(QPrinter& printer);

    double CurrentX() const override { return m_x; }
    double CurrentY() const override { return m_y; }
    void setCurrentX(double x) override { m_x = x; }
    void setCurrentY(double y) override { m_y = y; }
    void PrintText(const QString& text) override;
    void PrintLine(const QString& text = {}) override;
    void SetFont(int points) override;
    void NewPage() override;
    void EndDoc() override;

    bool failed() const override { return m_failed || m_writer.failed(); }
    int pagesStarted() const override { return m_pages; }

private:
    [[nodiscard]] bool ensureStarted();
    void draw(const QString& text, const TextShaper::ShapedText& shaped);
    void drawRun(const QString& text, const QGlyphRun& run, const QPointF& topLeft, bool fromCharacterMap);
    [[nodiscard]] QPointF toPage(const QPointF& pixels) const;

    QPrinter& m_printer;
    TextShaper m_shaper;
    PdfWriter m_writer;
    QSizeF m_paper; // points
    QPointF m_printableTopLeft; // points from the paper's top-left corner
    double m_pointsPerPixel;
    double m_twipsPerPixelY;
    double m_pixelsPerTwip;
    double m_y = 0;
    double m_x = 0;
    bool m_started = false;
    bool m_failed = false;
    int m_pages = 0;
};
