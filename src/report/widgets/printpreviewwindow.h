#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

class ListingSession;
class PreviewPageView;
class QFrame;
class QLabel;
class QPushButton;
class QScrollArea;
class QShortcut;
class QToolButton;
class ReportOptions;

// Opens the print preview of the session's listing: the main window is disabled until the preview closes.
// Returns once every page is drawn (or the preview was closed while drawing). Does nothing while another
// command runs.
void showPrintPreview(ListingSession& session, const ReportOptions& options);

// The print preview window: every page of the report drawn once when it opens, then paged through.
class PrintPreviewWindow final : public QWidget {
    Q_OBJECT

public:
    PrintPreviewWindow(ListingSession& session, const ReportOptions& options);
    ~PrintPreviewWindow() override;

    // Disables the main window, centres and shows this one, fits and draws the pages.
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
    void previewlisting();
    void setCommandsEnabled(bool enabled);
    void setPageLabel(int page, int pageCount);
    void picpagedown_Click();
    void picPageup_Click();
    void cmdprint_Click();

    ListingSession& m_session;
    const ReportOptions& m_options;
    QPointer<QWidget> m_mainWindow;
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
