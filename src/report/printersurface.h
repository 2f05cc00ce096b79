#pragma once

#include "reportsurface.h"

#include "textshaper.h"

#include <QPainter>

class QPrinter;

// The report on a printer (or a PDF file with a printer's pages): positions in twips from the top-left corner
// of the printable area. The document begins with the first text drawn.
class PrinterSurface final : public DocumentSurface {
public:
    static constexpr int startPoints = 10;

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

    bool failed() const override { return m_failed; }
    int pagesStarted() const override { return m_pages; }

private:
    [[nodiscard]] bool ensureStarted();
    void draw(const TextShaper::ShapedText& text);

    QPrinter& m_printer;
    QPainter m_painter;
    TextShaper m_shaper;
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
