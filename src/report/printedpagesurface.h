#pragma once

#include "reportsurface.h"
#include "textshaper.h"

#include <QPointF>

class QPaintDevice;

// The report's text on a printer's pages, whatever takes the pages: the cursor in twips from the top-left
// corner of the printable area, the font, and a document that begins with the first line drawn.
class PrintedPageSurface : public ReportSurface {
public:
    static constexpr int startPoints = 10;

    double CurrentX() const final { return m_x; }
    double CurrentY() const final { return m_y; }
    void setCurrentX(double x) final { m_x = x; }
    void setCurrentY(double y) final { m_y = y; }
    void PrintText(const QString& text) final;
    void PrintLine(const QString& text = {}) final;
    void SetFont(int points) final;
    void NewPage() final;
    void EndDoc() final;

    // The document could not start, take a page or be finished; nothing more is drawn.
    [[nodiscard]] virtual bool failed() const { return m_failed; }
    [[nodiscard]] int pagesStarted() const { return m_pages; }

protected:
    explicit PrintedPageSurface(QPaintDevice& device);

    [[nodiscard]] const TextShaper& shaper() const { return m_shaper; }

    // Each returns false when the document cannot go on.
    [[nodiscard]] virtual bool startDocument() = 0;
    [[nodiscard]] virtual bool startNextPage() = 0;
    [[nodiscard]] virtual bool finishDocument() = 0;
    // `topLeft` is the line's top-left corner in device pixels.
    virtual void drawText(const QString& text, const TextShaper::ShapedText& shaped, const QPointF& topLeft) = 0;
    virtual void fontChanged() { }

private:
    [[nodiscard]] bool ensureStarted();
    void draw(const QString& text, const TextShaper::ShapedText& shaped);

    TextShaper m_shaper;
    double m_twipsPerPixelX;
    double m_twipsPerPixelY;
    double m_y = 0;
    double m_x = 0;
    bool m_started = false;
    bool m_failed = false;
    int m_pages = 0;
};
