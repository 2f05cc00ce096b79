#pragma once

#include "runprogress.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

// Shows every run's progress window at its first step and, when one appears, cancels it by its Cancel button or by Esc,
// noting its caption and whether the window it belongs to was disabled meanwhile.
class ProgressCanceller {
public:
    ProgressCanceller(QWidget* owner, bool byKey)
    {
        RunProgress::showAfterMs = 0;
        RunProgress::sliceMs = 0;
        QObject::connect(&m_poll, &QTimer::timeout, [this, owner, byKey] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (widget->objectName() != "frmrunprogress" || !widget->isVisible() || !caption.isEmpty())
                    continue;
                caption = widget->windowTitle();
                ownerDisabled = !owner->isEnabled();
                byKey ? QTest::keyClick(widget, Qt::Key_Escape)
                      : QTest::mouseClick(widget->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
            }
        });
        m_poll.start(0);
    }
    ~ProgressCanceller()
    {
        RunProgress::showAfterMs = 400;
        RunProgress::sliceMs = TimeSlicer::defaultSliceMs;
    }
    ProgressCanceller(const ProgressCanceller&) = delete;
    ProgressCanceller& operator=(const ProgressCanceller&) = delete;

    QString caption;
    bool ownerDisabled = false;

private:
    QTimer m_poll;
};
