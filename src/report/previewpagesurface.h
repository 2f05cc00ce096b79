#pragma once

#include "reportsurface.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPicture>
#include <QPointF>
#include <QSizeF>
#include <functional>
#include <memory>
#include <vector>

// The preview's page pictures: one QPicture per page, positions in inches of the printer's page. Drawing goes
// to the page that the report is on (pageBeingDrawn), which lags behind the newest picture while the preview
// closes a page after starting the next one. Pictures are recorded, never rasterised, and replayed scaled.
class PreviewPageSurface final : public ReportSurface {
public:
    static constexpr double unitsPerInch = 720; // what the pictures are drawn in
    static constexpr double fontPoints = 4;

    PreviewPageSurface(QSizeF pageInches, std::function<int()> pageBeingDrawn);
    ~PreviewPageSurface() override;
    PreviewPageSurface(const PreviewPageSurface&) = delete;
    PreviewPageSurface& operator=(const PreviewPageSurface&) = delete;

    std::function<void(int pageCount)> pageAdded; // a new picture exists
    std::function<void(int index, const QPicture& page)> pageFinished; // nothing more will be drawn on it

    double CurrentX() const override;
    double CurrentY() const override;
    void setCurrentX(double x) override;
    void setCurrentY(double y) override;
    void PrintText(const QString& text) override;
    void PrintLine(const QString& text = {}) override;
    void SetFont(int) override { }
    void NewPage() override;
    void EndDoc() override { finishUpTo(pageCount()); }

    [[nodiscard]] int pageCount() const { return static_cast<int>(m_pages.size()); }

private:
    struct Page {
        QPicture picture;
        QPointF cursor; // inches
        QString unmeasured; // the last text, measured only when CurrentX is read
        bool finished = false;
        int number = 1;
    };
    [[nodiscard]] Page& drawingPage() const;
    [[nodiscard]] QPainter& painterFor(Page& page);
    void finishUpTo(int pageNumber);
    void draw(const QString& text);

    std::function<int()> m_pageBeingDrawn;
    QSizeF m_pageInches;
    QFont m_font;
    QFontMetricsF m_metrics;
    std::vector<std::unique_ptr<Page>> m_pages;
    QPainter m_painter;
    Page* m_paintedPage = nullptr;
};
