#pragma once

#include "printedpagesurface.h"

#include <QPainter>

class QPrinter;

// The report on a printer through Qt's print engine.
class PrinterSurface final : public PrintedPageSurface {
public:
    explicit PrinterSurface(QPrinter& printer);
    ~PrinterSurface() override;
    PrinterSurface(const PrinterSurface&) = delete;
    PrinterSurface& operator=(const PrinterSurface&) = delete;

private:
    bool startDocument() override;
    bool startNextPage() override;
    bool finishDocument() override;
    void drawText(const QString& text, const TextShaper::ShapedText& shaped, const QPointF& topLeft) override;
    void fontChanged() override;

    QPrinter& m_printer;
    QPainter m_painter;
};
