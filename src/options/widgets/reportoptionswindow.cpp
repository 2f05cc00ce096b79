#include "reportoptionswindow.h"

#include "reportoptionsdialog.h"
#include "windowplacement.h"

#include <QWindow>

ReportOptionsWindow::~ReportOptionsWindow() { delete m_dialog.data(); }

void ReportOptionsWindow::show(QWidget* mainWindow, ReportOptions& options)
{
    if (!m_dialog) {
        m_dialog = new ReportOptionsDialog(options, mainWindow);
        // A closed window is only deleted on the next event-loop turn; forget it now so that an "Options"
        // in between creates a new one instead of showing the dying one.
        QObject::connect(m_dialog, &ReportOptionsDialog::closedByUser, m_dialog, [this] { m_dialog.clear(); });
        // Created first so that centring can count the frame where the platform already knows it.
        m_dialog->createWinId();
        // Keeps the window above the main window without making it a Qt child.
        if (mainWindow && mainWindow->windowHandle())
            m_dialog->windowHandle()->setTransientParent(mainWindow->windowHandle());
        centreOnScreen(m_dialog);
    }
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

void ReportOptionsWindow::unload()
{
    if (!m_dialog)
        return;
    ReportOptionsDialog* dialog = m_dialog;
    m_dialog.clear();
    dialog->releaseMainWindow();
    delete dialog;
}
