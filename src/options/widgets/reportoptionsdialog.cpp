#include "reportoptionsdialog.h"

#include "twips.h"
#include "windowplacement.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

ReportOptionsDialog::ReportOptionsDialog(ReportOptions& options, QWidget* mainWindow)
    : QWidget(nullptr, Qt::Dialog)
    , m_options(options)
    , m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("frmreportoptions"));
    setWindowTitle(tr("Report Options"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(Twips::size(5040, 3780));

    createFilterOptions();
    createTypeSlots();
    createButtons();
    setTabOrder();
    growToFitTexts(this);
    showOptions();

    setMainWindowEnabled(false);
}

QStringList ReportOptionsDialog::typeSuggestions()
{
    return { QStringLiteral("exe"), QStringLiteral("bmp"), QStringLiteral("mp3"), QStringLiteral("xls"),
        QStringLiteral("txt"), QStringLiteral("doc"), QStringLiteral("wps"), QStringLiteral("htm") };
}

void ReportOptionsDialog::createFilterOptions()
{
    m_frame1 = new QGroupBox(tr("Filter Options"), this);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    m_frame1->setGeometry(Twips::rect(240, 120, 1935, 2775));

    const auto addOption = [this](const char* name, const QString& caption, const QRect& geometry, FilterMode mode) {
        auto* option = new QRadioButton(caption, m_frame1);
        option->setObjectName(QLatin1String(name));
        option->setGeometry(geometry);
        // toggled, not clicked, so that choosing with the arrow keys counts as well.
        connect(option, &QRadioButton::toggled, this, [this, mode](bool on) {
            if (on)
                chooseMode(mode);
        });
        return option;
    };
    m_optexclude
        = addOption("Optexclude", tr("Exclude Types"), Twips::rect(120, 600, 1695, 495), FilterMode::ExcludeTypes);
    m_optinclude
        = addOption("Optinclude", tr("Include Types"), Twips::rect(120, 1200, 1575, 495), FilterMode::IncludeTypes);
    m_optincludeall
        = addOption("Optincludeall", tr("Include All"), Twips::rect(120, 1800, 1215, 495), FilterMode::IncludeAll);
}

void ReportOptionsDialog::createTypeSlots()
{
    m_frame2 = new QGroupBox(tr("File Types to Include/Exclude"), this);
    m_frame2->setObjectName(QStringLiteral("frame2"));
    m_frame2->setGeometry(Twips::rect(2400, 120, 2415, 2775));

    for (int i = 0; i < ReportOptions::slotCount; ++i) {
        const int top = 360 + 360 * i;
        auto* check = new QCheckBox(m_frame2);
        check->setObjectName(QStringLiteral("Check1_%1").arg(i));
        check->setGeometry(Twips::rect(480, top, 375, 255));
        connect(check, &QCheckBox::toggled, this, [this, i](bool on) { m_options.setTypeChecked(i, on); });

        auto* combo = new QComboBox(m_frame2);
        combo->setObjectName(QStringLiteral("cmbfilter1_%1").arg(i));
        combo->setGeometry(Twips::rect(840, top, 1215, 315));
        combo->setEditable(true);
        // The match is case-sensitive, so the box must keep exactly what was typed: no completion, and Enter
        // must not grow the list of suggestions.
        combo->setCompleter(nullptr);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->addItems(typeSuggestions());
        combo->setCurrentIndex(-1);
        connect(combo, &QComboBox::editTextChanged, this,
            [this, i](const QString& text) { m_options.setTypeText(i, text); });

        m_check1.at(static_cast<size_t>(i)) = check;
        m_cmbfilter1.at(static_cast<size_t>(i)) = combo;
    }
}

void ReportOptionsDialog::createButtons()
{
    auto* done = new QPushButton(tr("Done"), this);
    done->setObjectName(QStringLiteral("cmdclose"));
    done->setGeometry(Twips::rect(240, 3120, 1215, 495));
    connect(done, &QPushButton::clicked, this, &ReportOptionsDialog::cmdclose_Click);
    m_cmdclose = done;

    auto* reset = new QPushButton(tr("Reset To Defaults"), this);
    reset->setObjectName(QStringLiteral("cmdreset"));
    reset->setGeometry(Twips::rect(1560, 3120, 1935, 495));
    connect(reset, &QPushButton::clicked, this, &ReportOptionsDialog::cmdreset_Click);
    m_cmdreset = reset;

    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdcancel"));
    cancel->setGeometry(Twips::rect(3600, 3120, 1215, 495));
    connect(cancel, &QPushButton::clicked, this, &ReportOptionsDialog::cmdcancel_Click);
    m_cmdcancel = cancel;
}

void ReportOptionsDialog::setTabOrder()
{
    QList<QWidget*> order { m_optexclude, m_optinclude, m_optincludeall };
    for (int i = 0; i < ReportOptions::slotCount; ++i) {
        order.append(m_check1.at(static_cast<size_t>(i)));
        order.append(m_cmbfilter1.at(static_cast<size_t>(i)));
    }
    order.append(m_cmdclose);
    order.append(m_cmdreset);
    order.append(m_cmdcancel);
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
}

void ReportOptionsDialog::showOptions()
{
    QRadioButton* chosen = m_optincludeall;
    if (m_options.filtermode() == FilterMode::IncludeTypes)
        chosen = m_optinclude;
    else if (m_options.filtermode() == FilterMode::ExcludeTypes)
        chosen = m_optexclude;
    for (QRadioButton* option : { m_optexclude, m_optinclude, m_optincludeall }) {
        const QSignalBlocker blocker(option);
        option->setChecked(option == chosen);
    }

    for (int i = 0; i < ReportOptions::slotCount; ++i) {
        const TypeSlot& slot = m_options.slot(i);
        QCheckBox* check = m_check1.at(static_cast<size_t>(i));
        QComboBox* combo = m_cmbfilter1.at(static_cast<size_t>(i));
        const QSignalBlocker checkBlocker(check);
        const QSignalBlocker comboBlocker(combo);
        check->setChecked(slot.typechecked == 1);
        check->setEnabled(slot.enabled);
        // Setting an unchanged text would move the cursor of a box the user is typing in.
        if (combo->currentText() != slot.typetext) {
            combo->setCurrentIndex(-1);
            combo->setEditText(slot.typetext);
        }
        combo->setEnabled(slot.enabled);
    }
    m_frame2->setEnabled(m_options.filteractive());
}

void ReportOptionsDialog::chooseMode(FilterMode mode)
{
    m_options.chooseMode(mode);
    showOptions();
}

void ReportOptionsDialog::cmdclose_Click()
{
    hide();
    setMainWindowEnabled(true);
    focusMainWindow();
}

void ReportOptionsDialog::cmdreset_Click()
{
    m_options.resetToDefaults();
    showOptions();
    activateWindow();
}

void ReportOptionsDialog::cmdcancel_Click()
{
    m_options.restore(m_whenShown);
    cmdclose_Click();
}

// Esc is Cancel wherever the focus is, a type box included; an open list of suggestions takes it first.
void ReportOptionsDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdcancel_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ReportOptionsDialog::releaseMainWindow()
{
    setMainWindowEnabled(true);
    m_mainWindow.clear();
}

bool ReportOptionsDialog::event(QEvent* event)
{
    // The window acts as a modal one while it has the focus. A late activation of a hidden window must not
    // lock the main window with nothing on screen to unlock it.
    if (event->type() == QEvent::WindowActivate && isVisible())
        setMainWindowEnabled(false);
    else if (event->type() == QEvent::WindowDeactivate)
        setMainWindowEnabled(true);
    return QWidget::event(event);
}

void ReportOptionsDialog::showEvent(QShowEvent* event)
{
    m_whenShown = m_options.state();
    showOptions();
    QWidget::showEvent(event);
}

void ReportOptionsDialog::closeEvent(QCloseEvent* event)
{
    m_options.resetToDefaults();
    setMainWindowEnabled(true);
    focusMainWindow();
    m_mainWindow.clear();
    event->accept();
    emit closedByUser();
}

void ReportOptionsDialog::setMainWindowEnabled(bool enabled)
{
    if (m_mainWindow)
        m_mainWindow->setEnabled(enabled);
}

void ReportOptionsDialog::focusMainWindow()
{
    if (m_mainWindow)
        m_mainWindow->activateWindow();
}
