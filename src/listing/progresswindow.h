#pragma once

#include "windowplacement.h"

#include <QWidget>

class QProgressBar;

// The "Creating List" window. While it exists the main window is disabled; the walk drives its bar.
class ProgressWindow final : public QWidget {
    Q_OBJECT
public:
    explicit ProgressWindow(QWidget* mainWindow);
    ~ProgressWindow() override;

    void setValue(int value);
    [[nodiscard]] int value() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    MainWindowLock m_lock;
    QProgressBar* m_bar = nullptr;
};
