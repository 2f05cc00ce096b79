#pragma once

#include "previewpagesurface.h"

#include <QSizeF>
#include <QWidget>
#include <algorithm>
#include <map>
#include <vector>

// The page pictures of the preview, one on show at a time, each replayed scaled to the widget. Being vector, the
// pictures stay sharp at every zoom. Unless told to keep every page, it keeps only the pictures lately set, so a
// report of thousands of pages holds a few of them; the preview draws a page again when it is gone.
class PreviewPageView final : public QWidget {
    Q_OBJECT

public:
    explicit PreviewPageView(QWidget* parent = nullptr);

    // Fits the widget to the page's proportions within its present size, keeping its top-left corner.
    void scalepreviewpage(QSizeF pageInches);
    // Fits the page into room, keeping the zoom: the room grows with the window.
    void fitInto(QSize room);

    static constexpr size_t keptPages = 16;
    void setKeepsEveryPage(bool keeps) { m_keepsEveryPage = keeps; }
    void setPage(int index, PreviewPage page);
    [[nodiscard]] const PreviewPage* page(int index) const;
    void setPageCount(int count) { m_pageCount = std::max(count, 1); }
    [[nodiscard]] int pageCount() const { return m_pageCount; }
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
    std::map<int, PreviewPage> m_pages;
    std::vector<int> m_setOrder; // the pages kept, the one set last at the end
    bool m_keepsEveryPage = false;
    int m_pageCount = 1;
    QSizeF m_pageInches { 8.5, 11 };
    QSize m_fitted;
    double m_zoom = 1;
    int m_onShow = 0;
};
