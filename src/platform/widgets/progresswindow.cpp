#include "progresswindow.h"

#include "twips.h"
#include "windowplacement.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

ProgressWindow::ProgressWindow(QWidget* mainWindow, const QString& caption, const QString& name)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_lock(mainWindow)
{
    setObjectName(name);
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose, false);

    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setRange(0, barMaximum);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    m_bar->setGeometry(Twips::rect(120, 240, 4455, 375));

    // Below the bar: how far the run got, what it reads now, and the way out.
    const int lineHeight = fontMetrics().height() + 4;
    const QRect below = Twips::rect(120, 240 + 375 + 120, 4455, 0);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("lblCount"));
    m_count->setGeometry(below.x(), below.y(), below.width(), lineHeight);
    m_detail = new QLabel(this);
    m_detail->setObjectName(QStringLiteral("lblDetail"));
    m_detail->setGeometry(below.x(), below.y() + lineHeight, below.width(), lineHeight);
    m_cancel = new QPushButton(tr("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    const QSize button = m_cancel->sizeHint().expandedTo(Twips::size(1215, 375));
    m_cancel->setGeometry(
        below.right() - button.width() + 1, below.y() + 2 * lineHeight + 4, button.width(), button.height());
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_cancelRequested = true; });
    setFixedSize(Twips::size(4680, 0).width(), m_cancel->geometry().bottom() + Twips::toPixels(240));
    m_cancel->setFocus();

    centreOnScreen(this);
}

ProgressWindow::~ProgressWindow() = default;

void ProgressWindow::setValue(int value) { m_bar->setValue(value); }

int ProgressWindow::value() const { return m_bar->value(); }

void ProgressWindow::setCountText(const QString& text) { m_count->setText(text); }

void ProgressWindow::setDetailText(const QString& text)
{
    if (text == m_detailText)
        return;
    m_detailText = text;
    // A deep path keeps its start and its end; the middle gives way.
    m_detail->setText(m_detail->fontMetrics().elidedText(text, Qt::ElideMiddle, m_detail->width()));
}

// The run owns this window's lifetime; closing it asks the run to stop, as Cancel does.
void ProgressWindow::closeEvent(QCloseEvent* event)
{
    m_cancelRequested = true;
    event->ignore();
}

void ProgressWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        m_cancelRequested = true;
        return;
    }
    QWidget::keyPressEvent(event);
}
