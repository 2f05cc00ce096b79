#include "runprogress.h"

#include "progresswindow.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <utility>

RunProgress::RunProgress(QWidget* mainWindow, QString caption)
    : m_mainWindow(mainWindow)
    , m_caption(std::move(caption))
    , m_slicer([this] { turn(); }, sliceMs)
{
    m_started.start();
}

RunProgress::~RunProgress()
{
    if (m_window)
        QGuiApplication::restoreOverrideCursor();
}

bool RunProgress::step(int done, int total, const QString& countText)
{
    m_done = done;
    m_total = total;
    m_countText = countText;
    m_slicer.maybeTurn();
    return !m_cancelled;
}

void RunProgress::turn()
{
    if (!m_window && m_started.elapsed() >= showAfterMs) {
        m_window = std::make_unique<ProgressWindow>(m_mainWindow, m_caption, QStringLiteral("frmrunprogress"));
        m_window->show();
        m_window->activateWindow();
        // The hourglass of the run would stand over the Cancel button.
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    if (m_window) {
        m_window->setValue(m_total > 0 ? static_cast<int>(qint64(m_done) * ProgressWindow::barMaximum / m_total) : 0);
        m_window->setCountText(m_countText);
    }
    QCoreApplication::processEvents();
    if (m_window && m_window->cancelRequested())
        m_cancelled = true;
}
