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

bool RunProgress::stepBytes(qint64 done, qint64 size)
{
    constexpr qint64 kilobyte = 1024;
    constexpr qint64 megabyte = kilobyte * kilobyte;
    return step(static_cast<int>(done / kilobyte), static_cast<int>(size / kilobyte),
        QCoreApplication::translate("RunProgress", "%1 of %2 MB read").arg(done / megabyte).arg(size / megabyte));
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
