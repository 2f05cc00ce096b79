#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <array>

#include "reportoptions.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QRadioButton;

// The "Report Options" window. It edits the one ReportOptions directly, so a change is in force for the next
// row anyone reads. It has no Qt parent, because the main window is disabled while this window has the focus
// and a disabled parent would disable its children too.
class ReportOptionsDialog final : public QWidget {
    Q_OBJECT
public:
    ReportOptionsDialog(ReportOptions& options, QWidget* mainWindow);

    // The drop-down suggestions every type combo offers; the user may type anything else.
    [[nodiscard]] static QStringList typeSuggestions();

    // Makes the controls show the options as they are now.
    void showOptions();
    // Lets go of the main window, enabled, before the window is destroyed from outside.
    void releaseMainWindow();

signals:
    // The close box was used; the window destroys itself afterwards.
    void closedByUser();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createFilterOptions();
    void createTypeSlots();
    void createButtons();
    void setTabOrder();

    void chooseMode(FilterMode mode);
    void cmdclose_Click();
    void cmdreset_Click();
    void cmdcancel_Click();
    void setMainWindowEnabled(bool enabled);
    void focusMainWindow();

    ReportOptions& m_options;
    QPointer<QWidget> m_mainWindow;
    QGroupBox* m_frame1 = nullptr;
    QRadioButton* m_optexclude = nullptr;
    QRadioButton* m_optinclude = nullptr;
    QRadioButton* m_optincludeall = nullptr;
    QGroupBox* m_frame2 = nullptr;
    std::array<QCheckBox*, ReportOptions::slotCount> m_check1 {};
    std::array<QComboBox*, ReportOptions::slotCount> m_cmbfilter1 {};
    QWidget* m_cmdclose = nullptr;
    QWidget* m_cmdreset = nullptr;
    QWidget* m_cmdcancel = nullptr;
    ReportOptionsState m_whenShown; // what Cancel puts back
};
