#pragma once

#include "windowplacement.h"
#include <QDialog>

#include <QPointer>

// The About box, frmAbout: the program's icon, title, version and purpose. A window of its own, without an owner,
// that keeps the main window disabled while it is open; OK and the close box both close it.
class AboutBox final : public QDialog {
    Q_OBJECT
public:
    // reach: how deep the walk goes, "five levels deep" unless the user chose otherwise.
    AboutBox(QWidget* mainWindow, const QString& reach);
    ~AboutBox() override;

private:
    void layoutControls(const QString& reach);

    MainWindowLock m_lock;
};

// Help > About Vellumark. The box deletes itself when closed; the pointer is for callers that want to look at it.
AboutBox* showAbout(QWidget* mainWindow, const QString& reach);
