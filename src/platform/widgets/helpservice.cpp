#include "helpservice.h"

#include "helpwindow.h"

#include <QWidget>
#include <QWindow>
#include <utility>

QtHelpService::QtHelpService(QString collectionFile, QString contentsId)
    : m_collectionFile(std::move(collectionFile))
    , m_contentsId(std::move(contentsId))
{
}

QtHelpService::~QtHelpService() { delete m_window.data(); }

// The help window is a top-level window of its own rather than a child of the owner, so that a secondary window
// that disables the owner leaves the help readable. It stays above the owner and goes when the owner goes.
void QtHelpService::showContents(QWidget* owner)
{
    QWidget* ownerWindow = owner ? owner->window() : nullptr;
    if (!m_window) {
        m_window = new HelpWindow(m_collectionFile, m_contentsId);
        // Closing the main window ends the program even while the help is open.
        m_window->setAttribute(Qt::WA_QuitOnClose, false);
        if (ownerWindow)
            QObject::connect(ownerWindow, &QObject::destroyed, m_window.data(), &QObject::deleteLater);
    }
    m_window->showContentsPage();
    if (ownerWindow && ownerWindow->windowHandle()) {
        m_window->winId();
        m_window->windowHandle()->setTransientParent(ownerWindow->windowHandle());
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

HelpWindow* QtHelpService::window() const { return m_window; }
