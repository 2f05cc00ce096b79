#pragma once

#include "previewpagesurface.h"

#include <QSizeF>
#include <QWidget>
#include <vector>

// The page pictures of the preview, one on show at a time, each replayed scaled to the widget. The pictures
// keep what was drawn on them, so showing another page never runs the report again; being vector, they stay
// sharp at every zoom.
class PreviewPageView final : public QWidget {
    Q_OBJECT

public:
    explicit PreviewPageView(QWidget* parent = nullptr);

    // Fits the widget to the page's proportions within its present size, keeping its top-left corner.
    void scalepreviewpage(QSizeF pageInches);
    // Fits the page into room, keeping the zoom: the room grows with the window.
    void fitInto(QSize room);

    void setPage(int index, const PreviewPage& page);
    [[nodiscard]] int pageCount() const { return static_cast<int>(m_pages.size()); }
    void showPage(int index);
    [[nodiscard]] int pageOnShow() const { return m_onShow; }

    // The page's size is the fitted size times the zoom; 1 is the fitted page.
    void setZoom(double zoom);
    [[nodiscard]] double zoom() const { return m_zoom; }
    [[nodiscard]] QSize fittedSize() const { return m_fitted; }

signals:
    void zoomStepRequested(int steps); // the wheel turned with Ctrl held

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    std::vector<PreviewPage> m_pages;
    QSizeF m_pageInches { 8.5, 11 };
    QSize m_fitted;
    double m_zoom = 1;
    int m_onShow = 0;
};
