#pragma once

#include <QPointer>
#include <QWidget>

// Centres a top-level window on its screen: left = (screen width - window width) / 2, and so for the top.
void centreOnScreen(QWidget* window);

// Widens buttons, labels and frame titles whose text the design's widths would cut off in the font in use,
// and the window with them.
void growToFitTexts(QWidget* window);

// For a secondary window that stands in for a modal one: while it lives the main window is disabled; when it
// goes the main window is enabled again and given the focus.
class MainWindowLock {
public:
    explicit MainWindowLock(QWidget* mainWindow);
    ~MainWindowLock();
    MainWindowLock(const MainWindowLock&) = delete;
    MainWindowLock& operator=(const MainWindowLock&) = delete;

    [[nodiscard]] QWidget* mainWindow() const { return m_mainWindow; }

private:
    QPointer<QWidget> m_mainWindow;
};
