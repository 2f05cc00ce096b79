#pragma once

#include "reportsurface.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPointF>
#include <functional>
#include <memory>
#include <vector>

class QPainter;

// One page picture of the preview: the texts of the page with their baselines in inches of the printer's page.
// Recorded once, replayed scaled whenever the page is shown; never rasterised ahead of time.
struct PreviewPage {
    struct Text {
        QPointF baseline;
        QString text;
    };
    std::vector<Text> texts;

    // Draws the page on a painter whose unit is a tenth of a point of paper (PreviewPageSurface::unitsPerInch).
    void play(QPainter& painter) const;
};

// The preview's page pictures, positions in inches. Drawing goes to the page that the report is on
// (pageBeingDrawn), which lags behind the newest picture while the preview closes a page after starting the next.
class PreviewPageSurface final : public ReportSurface {
public:
    static constexpr double unitsPerInch = 720; // the texts are laid out in tenths of a point
    static constexpr double fontPoints = 4;
    [[nodiscard]] static QFont font();

    explicit PreviewPageSurface(std::function<int()> pageBeingDrawn);
    // Before anything is drawn: drawing starts on the page of firstIndex (from 0), as when a page is drawn again
    // from where the report stood.
    void startAt(int firstIndex) { m_firstIndex = firstIndex; }

    std::function<void(int pageCount)> pageAdded; // a new picture exists
    // Nothing more will be drawn on the page; it is handed over and not kept here.
    std::function<void(int index, PreviewPage page)> pageFinished;
    // Whether the texts of the page are recorded at all; every page's when not set. A long report keeps only
    // the pages it shows, so its memory does not grow with its length.
    std::function<bool(int index)> recordsPage;
    // Measuring texts is most of the drawing's cost. Where pages end by the lines counted, a page that is not
    // kept needs none: a long name only moves its size and date a line down on that same page.
    bool measuresPagesNotKept = true;

    double CurrentX() const override;
    double CurrentY() const override;
    void setCurrentX(double x) override;
    void setCurrentY(double y) override;
    void PrintText(const QString& text) override;
    void PrintLine(const QString& text = {}) override;
    void SetFont(int /*size*/) override { }
    void NewPage() override;
    void EndDoc() override { finishUpTo(pageCount()); }

    [[nodiscard]] int pageCount() const { return m_firstIndex + static_cast<int>(m_pages.size()); }

private:
    struct Page {
        PreviewPage picture;
        QPointF cursor; // inches
        QString unmeasured; // the last text, measured only when CurrentX is read
        bool finished = false;
    };
    [[nodiscard]] int drawingIndex() const;
    [[nodiscard]] Page& drawingPage() const { return *m_pages[static_cast<size_t>(drawingIndex() - m_firstIndex)]; }
    void finishUpTo(int pageNumber);
    void draw(const QString& text);

    std::function<int()> m_pageBeingDrawn;
    QFontMetricsF m_metrics;
    double m_ascent;
    double m_lineHeight;
    int m_firstIndex = 0;
    int m_finishedBefore = 0; // every page before this index is finished
    std::vector<std::unique_ptr<Page>> m_pages; // from the page of m_firstIndex on
};
