#pragma once

#include "windowplacement.h"

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

// The window of a long run: the "Creating List" window of a walk, and the same for printing, preview, export
// and comparison. While it exists the main window is disabled; the run drives its bar, says how far it got and
// what it works on, and asks after each step whether the user pressed Cancel or Esc.
class ProgressWindow final : public QWidget {
    Q_OBJECT
public:
    static constexpr int barMaximum = 1000;

    ProgressWindow(QWidget* mainWindow, const QString& caption, const QString& name = QStringLiteral("frmprogress"));
    ~ProgressWindow() override;

    void setValue(int value);
    [[nodiscard]] int value() const;
    void setCountText(const QString& text);
    void setDetailText(const QString& text);
    [[nodiscard]] bool cancelRequested() const { return m_cancelRequested; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    MainWindowLock m_lock;
    QProgressBar* m_bar = nullptr;
    QLabel* m_count = nullptr;
    QLabel* m_detail = nullptr;
    QPushButton* m_cancel = nullptr;
    QString m_detailText;
    bool m_cancelRequested = false;
};
