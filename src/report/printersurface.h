#pragma once

#include "printedpagesurface.h"

#include <QList>
#include <QPageRanges>
#include <QPainter>
#include <QRawFont>

class QPagedPaintDevice;

// The report through Qt's engine: on a printer, or into a PDF file (QPrinter or QPdfWriter).
class PrinterSurface final : public PrintedPageSurface {
public:
    explicit PrinterSurface(QPagedPaintDevice& device);
    ~PrinterSurface() override;
    PrinterSurface(const PrinterSurface&) = delete;
    PrinterSurface& operator=(const PrinterSurface&) = delete;

private:
    bool startDocument() override;
    bool startNextPage() override;
    bool finishDocument() override;
    void drawText(const QString& text, const TextShaper::ShapedText& shaped, const QPointF& topLeft) override;
    void fontChanged() override;
    void drawPending();
    [[nodiscard]] bool shows(int page) const { return m_ranges.isEmpty() || m_ranges.contains(page); }

    struct PendingRun {
        QRawFont font;
        QList<quint32> glyphs;
        QList<QPointF> positions;
    };

    QPagedPaintDevice& m_device;
    QPainter m_painter;
    QList<PendingRun> m_pending; // the glyphs of the page being drawn, by font
    // The pages the print dialog asked for, when it prints to a file.
    QPageRanges m_ranges;
    bool m_pageShown = false; // a page of the range has been drawn on
};
