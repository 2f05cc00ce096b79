#include "progresswindow.h"

#include "twips.h"
#include "windowplacement.h"

#include <QCloseEvent>
#include <QProgressBar>

ProgressWindow::ProgressWindow(QWidget* mainWindow)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_lock(mainWindow)
{
    setObjectName(QStringLiteral("frmprogress"));
    setWindowTitle(tr("Creating List"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFixedSize(Twips::size(4680, 855));

    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setRange(0, 1000);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    m_bar->setGeometry(Twips::rect(120, 240, 4455, 375));

    centreOnScreen(this);
}

ProgressWindow::~ProgressWindow() = default;

void ProgressWindow::setValue(int value) { m_bar->setValue(value); }

int ProgressWindow::value() const { return m_bar->value(); }

// The walk owns this window's lifetime; the user cannot close it half-way.
void ProgressWindow::closeEvent(QCloseEvent* event) { event->ignore(); }
