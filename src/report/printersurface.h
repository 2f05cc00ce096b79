#pragma once

#include "printedpagesurface.h"

#include <QPainter>

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

    QPagedPaintDevice& m_device;
    QPainter m_painter;
};
