#pragma once

#include "reportsurface.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

class QPrinter;

// The report on a printer (or a PDF file with a printer's pages): positions in twips from the top-left corner
// of the printable area. The document begins with the first text drawn.
class PrinterSurface final : public ReportSurface {
public:
    static constexpr int startPoints = 10;

    explicit PrinterSurface(QPrinter& printer);
    ~PrinterSurface() override;
    PrinterSurface(const PrinterSurface&) = delete;
    PrinterSurface& operator=(const PrinterSurface&) = delete;

    double CurrentX() const override;
    double CurrentY() const override { return m_y; }
    void setCurrentX(double x) override;
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
    [[nodiscard]] bool ensureStarted();
    void draw(const QString& text);
    void applyFont();

    QPrinter& m_printer;
    QPainter m_painter;
    QFont m_font;
    QFontMetricsF m_metrics;
    double m_twipsPerPixelX;
    double m_twipsPerPixelY;
    double m_pixelsPerTwipX;
    double m_pixelsPerTwipY;
    double m_y = 0;
    // The width of the last text is only measured when someone reads CurrentX.
    mutable QString m_unmeasured;
    mutable double m_measuredX = 0;
    bool m_started = false;
    bool m_failed = false;
    int m_pages = 0;
};
