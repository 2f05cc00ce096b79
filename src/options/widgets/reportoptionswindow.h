#pragma once

#include "reportoptionsdialog.h"

#include <QPointer>

class QWidget;
class ReportOptions;

// Keeps the at most one Report Options window of the run: created on first use, hidden by Done, destroyed by
// its close box or by unload().
class ReportOptionsWindow {
public:
    ReportOptionsWindow() = default;
    ~ReportOptionsWindow();
    ReportOptionsWindow(const ReportOptionsWindow&) = delete;
    ReportOptionsWindow& operator=(const ReportOptionsWindow&) = delete;

    // The "Options" command: creates the window if there is none (which disables the main window), centres a
    // new one on the screen, then shows it and gives it the focus.
    void show(QWidget* mainWindow, ReportOptions& options);
    // Destroys the window, if any, leaving the options as they are and the main window enabled.
    void unload();

    [[nodiscard]] ReportOptionsDialog* dialog() const { return m_dialog; }

private:
    QPointer<ReportOptionsDialog> m_dialog;
};
