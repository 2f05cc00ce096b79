#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class ListingSession;
class PreviewPageSurface;
class PreviewPageView;
class PrinterService;
class QFrame;
class QLabel;
class QPushButton;
class QScrollArea;
class QShortcut;
class QToolButton;
class ReportOptions;
class ReportSurface;

// What the print preview shows: pages drawn on its surface, in inches, and the Print its button starts.
class PreviewDocument {
public:
    virtual ~PreviewDocument() = default;
    // Draws every page; afterRow runs after each row and stops the drawing when it returns false. Returns how
    // many pages were drawn, or nothing when stopped.
    [[nodiscard]] virtual std::optional<int> draw(ReportSurface& surface, const std::function<bool()>& afterRow) = 0;
    // The page the drawing is on; 1 before it starts.
    [[nodiscard]] virtual int pageBeingDrawn() const = 0;
    // Run once the preview has closed, so it must not need the preview or this document.
    [[nodiscard]] virtual std::function<void()> printCommand() const = 0;
    // Once draw has finished, draws the page of index (from 0) again on a surface of its own, from the nearest
    // point the drawing noted; false when the document cannot, and the preview then keeps every page.
    [[nodiscard]] virtual bool drawPage(int /*index*/, PreviewPageSurface& /*surface*/) { return false; }
    [[nodiscard]] virtual bool drawsPagesAgain() const { return false; }
    // Whether a page ends after a number of lines counted rather than at a height reached.
    [[nodiscard]] virtual bool pagesEndByLineCount() const { return false; }
};

// Opens the print preview of the session's listing: the main window is disabled until the preview closes.
// Returns once every page is drawn (or the preview was closed while drawing). Does nothing while another
// command runs.
void showPrintPreview(ListingSession& session, const ReportOptions& options);

// The print preview window: every page of the document drawn once when it opens, then paged through; a document
// that can draw a page again keeps only the pages lately shown. The window it was opened from (the owner) is
// disabled meanwhile.
class PrintPreviewWindow final : public QWidget {
    Q_OBJECT

public:
    PrintPreviewWindow(std::unique_ptr<PreviewDocument> document, QWidget* owner, PrinterService* printers);
    ~PrintPreviewWindow() override;

    // Disables the owner, centres and shows this one, fits and draws the pages.
    void open();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutControls();
    void connectCommands();
    void createShortcuts();
    void zoomTo(int step);
    void showPageOf(int index);
    void drawPageIfGone(int index);
    void previewlisting();
    void setCommandsEnabled(bool enabled);
    void setPageLabel(int page, int pageCount);
    void picpagedown_Click();
    void picPageup_Click();
    void cmdprint_Click();

    std::unique_ptr<PreviewDocument> m_document;
    QPointer<QWidget> m_mainWindow;
    PrinterService* m_printers;
    QLabel* m_label = nullptr;
    QScrollArea* m_scroll = nullptr;
    PreviewPageView* m_pages = nullptr;
    QList<QShortcut*> m_pagingKeys;
    QToolButton* m_pageUp = nullptr;
    QToolButton* m_pageDown = nullptr;
    QFrame* m_pageUpFrame = nullptr;
    QFrame* m_pageDownFrame = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_close = nullptr;
    int lastpage = 0;
    int currentpage = 0;
    int m_zoomStep = 0;
    bool m_drawing = false;
    bool m_closed = false;
};
