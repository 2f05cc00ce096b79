#pragma once

#include "reportsurface.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QPainter>
#include <QRawFont>

class QPrinter;

// The report on a printer (or a PDF file with a printer's pages): positions in twips from the top-left corner
// of the printable area. The document begins with the first text drawn.
class PrinterSurface final : public ReportSurface {
public:
    static constexpr int startPoints = 10;
    static constexpr int maxShapedTexts = 4096;

    explicit PrinterSurface(QPrinter& printer);
    ~PrinterSurface() override;
    PrinterSurface(const PrinterSurface&) = delete;
    PrinterSurface& operator=(const PrinterSurface&) = delete;

    double CurrentX() const override { return m_x; }
    double CurrentY() const override { return m_y; }
    void setCurrentX(double x) override { m_x = x; }
    void setCurrentY(double y) override { m_y = y; }
    void PrintText(const QString& text) override;
    void PrintLine(const QString& text = {}) override;
    void SetFont(int points) override;
    void NewPage() override;
    void EndDoc() override;

    // The printer could not start, take a page or finish the document; nothing more is drawn.
    [[nodiscard]] bool failed() const { return m_failed; }
    [[nodiscard]] int pagesStarted() const { return m_pages; }

private:
    struct ShapedText {
        QList<QGlyphRun> runs; // from the line's top-left corner
        double width = 0; // device pixels
    };
    // Texts repeat (sizes, dates, titles), so each is laid out once and drawn from its glyphs.
    [[nodiscard]] const ShapedText& shaped(const QString& text);
    // Latin text that the font holds needs no complex shaping: its glyphs and advances come from the font's
    // character map, which is many times faster for a report of thousands of file names.
    [[nodiscard]] bool shapeFromCharacterMap(const QString& text, ShapedText& result) const;
    [[nodiscard]] ShapedText shapeWithLayout(const QString& text);
    [[nodiscard]] bool ensureStarted();
    void draw(const ShapedText& text);
    void applyFont();

    QPrinter& m_printer;
    QPainter m_painter;
    QFont m_font;
    QFontMetricsF m_metrics;
    QRawFont m_rawFont;
    QHash<QString, ShapedText> m_shaped;
    double m_twipsPerPixelX;
    double m_twipsPerPixelY;
    double m_pixelsPerTwipX;
    double m_pixelsPerTwipY;
    double m_y = 0;
    double m_x = 0;
    bool m_started = false;
    bool m_failed = false;
    int m_pages = 0;
};
