#pragma once

#include "timeslicer.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <memory>

class ProgressWindow;
class QWidget;

// The progress of a run that is usually quick: the event loop turns on a time slice, and once the run has
// taken longer than a moment a progress window with Cancel appears, disabling the main window until the run
// ends.
class RunProgress {
public:
    // How long a run goes before its window appears; tests make it 0.
    static inline int showAfterMs = 400;
    // How often the event loop turns during the run; tests make it 0, so a quick run still turns.
    static inline int sliceMs = TimeSlicer::defaultSliceMs;

    RunProgress(QWidget* mainWindow, QString caption);
    ~RunProgress();
    RunProgress(const RunProgress&) = delete;
    RunProgress& operator=(const RunProgress&) = delete;

    // After each step of the run: done of total steps, and what to say of it. False once the user cancelled.
    [[nodiscard]] bool step(int done, int total, const QString& countText);
    // The same for a file read: bytes of the file's size, said in megabytes.
    [[nodiscard]] bool stepBytes(qint64 done, qint64 size);
    [[nodiscard]] bool cancelled() const { return m_cancelled; }
    [[nodiscard]] ProgressWindow* window() const { return m_window.get(); }

private:
    void turn();

    QPointer<QWidget> m_mainWindow;
    QString m_caption;
    QElapsedTimer m_started;
    TimeSlicer m_slicer;
    std::unique_ptr<ProgressWindow> m_window;
    int m_done = 0;
    int m_total = 0;
    QString m_countText;
    bool m_cancelled = false;
};
