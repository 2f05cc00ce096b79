#include "windowplacement.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QWidget>
#include <algorithm>

void centreOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize frame = window->frameSize().isValid() ? window->frameSize() : window->size();
    window->move(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2);
}

void growToFitTexts(QWidget* window)
{
    int right = window->width();
    const int margin = window->fontMetrics().averageCharWidth();
    for (QWidget* child : window->findChildren<QWidget*>()) {
        int needed = 0;
        if (const auto* frame = qobject_cast<QGroupBox*>(child))
            needed = frame->fontMetrics().horizontalAdvance(frame->title()) + 4 * margin;
        else if (qobject_cast<QPushButton*>(child) || qobject_cast<QRadioButton*>(child)
            || (qobject_cast<QLabel*>(child) && !qobject_cast<QLabel*>(child)->wordWrap()))
            needed = child->sizeHint().width();
        if (needed <= child->width())
            continue;
        child->resize(needed, child->height());
        right = std::max(right, child->mapTo(window, QPoint(child->width(), 0)).x() + margin);
    }
    if (right > window->width())
        window->setFixedWidth(right);
}

MainWindowLock::MainWindowLock(QWidget* mainWindow)
    : m_mainWindow(mainWindow)
{
    if (m_mainWindow)
        m_mainWindow->setEnabled(false);
}

MainWindowLock::~MainWindowLock()
{
    if (m_mainWindow) {
        m_mainWindow->setEnabled(true);
        m_mainWindow->activateWindow();
    }
}
