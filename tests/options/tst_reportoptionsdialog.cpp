#include "reportoptionsdialog.h"
#include "reportoptionswindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

class TestReportOptionsDialog : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void readersWithoutTheDialogSeeIncludeAll();
    void newDialogIsCentredParentlessAndShowsDefaults();
    void changeWhileOpenAppliesToTheNextRow();
    void typedTextIsKeptExactly();
    void doneKeepsTheSettings();
    void closeBoxRestoresTheDefaults();
    void resetRestoresTheDefaults();
    void focusChangesLockAndUnlockTheMainWindow();
    void unloadDestroysTheDialog();

private:
    template <typename T> T* control(const char* name) const
    {
        return m_window->dialog() ? m_window->dialog()->findChild<T*>(QLatin1String(name)) : nullptr;
    }
    void openAndFilterBySlot2(const char* mode, const QString& text);

    QWidget* m_main = nullptr;
    ReportOptions* m_options = nullptr;
    ReportOptionsWindow* m_window = nullptr;
};

void TestReportOptionsDialog::init()
{
    m_main = new QWidget;
    m_main->show();
    QVERIFY(QTest::qWaitForWindowActive(m_main));
    m_options = new ReportOptions;
    m_window = new ReportOptionsWindow;
}

void TestReportOptionsDialog::cleanup()
{
    delete m_window;
    delete m_options;
    delete m_main;
}

void TestReportOptionsDialog::openAndFilterBySlot2(const char* mode, const QString& text)
{
    m_window->show(m_main, *m_options);
    control<QRadioButton>(mode)->click();
    control<QCheckBox>("Check1_2")->click();
    control<QComboBox>("cmbfilter1_2")->setEditText(text);
}

void TestReportOptionsDialog::readersWithoutTheDialogSeeIncludeAll()
{
    QVERIFY(!m_options->filteractive());
    QVERIFY(checkforprint(QStringLiteral("/data/docs"), QStringLiteral(" "), QStringLiteral("1"), *m_options));
    QVERIFY(checkforprint(QString(), QString(), QString(), *m_options));
    QVERIFY(!m_window->dialog());
    QVERIFY(m_main->isEnabled());
}

void TestReportOptionsDialog::newDialogIsCentredParentlessAndShowsDefaults()
{
    m_window->show(m_main, *m_options);
    ReportOptionsDialog* dialog = m_window->dialog();
    QVERIFY(dialog);
    QVERIFY(!dialog->parent());
    QVERIFY(dialog->isVisible());
    QVERIFY(!m_main->isEnabled());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Report Options"));
    const QPoint offCentre = dialog->frameGeometry().center() - dialog->screen()->geometry().center();
    QVERIFY2(
        offCentre.manhattanLength() <= 2, qPrintable(QStringLiteral("off by %1").arg(offCentre.manhattanLength())));

    QVERIFY(control<QRadioButton>("Optincludeall")->isChecked());
    QVERIFY(!control<QGroupBox>("frame2")->isEnabled());
    for (int i = 0; i < ReportOptions::slotCount; ++i) {
        auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("cmbfilter1_%1").arg(i));
        QVERIFY(combo);
        QCOMPARE(combo->currentText(), QString());
        QStringList items;
        for (int item = 0; item < combo->count(); ++item)
            items.append(combo->itemText(item));
        QCOMPARE(items, QStringList({ "exe", "bmp", "mp3", "xls", "txt", "doc", "wps", "htm" }));
    }
}

void TestReportOptionsDialog::changeWhileOpenAppliesToTheNextRow()
{
    const QString notes = QStringLiteral("notes.txt");
    const QString letter = QStringLiteral("letter.doc");
    openAndFilterBySlot2("Optexclude", QStringLiteral("txt"));
    QVERIFY(m_options->filteractive());
    QVERIFY(!checkforprint(notes, "12", "d", *m_options));
    QVERIFY(checkforprint(letter, "12", "d", *m_options));

    control<QComboBox>("cmbfilter1_2")->setCurrentIndex(5);
    QVERIFY(checkforprint(notes, "12", "d", *m_options));
    QVERIFY(!checkforprint(letter, "12", "d", *m_options));

    control<QRadioButton>("Optinclude")->click();
    QVERIFY(!checkforprint(notes, "12", "d", *m_options));
    QVERIFY(checkforprint(letter, "12", "d", *m_options));

    control<QRadioButton>("Optincludeall")->click();
    QVERIFY(checkforprint(notes, "12", "d", *m_options));
    QCOMPARE(m_options->slot(2), TypeSlot {});
    QCOMPARE(control<QComboBox>("cmbfilter1_2")->currentText(), QString());
    QVERIFY(!control<QCheckBox>("Check1_2")->isChecked());
}

void TestReportOptionsDialog::typedTextIsKeptExactly()
{
    m_window->show(m_main, *m_options);
    // Completion only starts in a focused box.
    QTRY_VERIFY(m_window->dialog()->isActiveWindow());
    control<QRadioButton>("Optinclude")->click();
    auto* combo = control<QComboBox>("cmbfilter1_0");
    combo->setFocus();
    QTest::keyClicks(combo, QStringLiteral("H"));
    QCOMPARE(m_options->slot(0).typetext, QStringLiteral("H"));
    QTest::keyClicks(combo, QStringLiteral("TMx"));
    QTest::keyClick(combo, Qt::Key_Return);
    QCOMPARE(m_options->slot(0).typetext, QStringLiteral("HTMx"));
    QCOMPARE(combo->count(), 8);
}

void TestReportOptionsDialog::doneKeepsTheSettings()
{
    openAndFilterBySlot2("Optinclude", QStringLiteral("doc"));
    const QPointer<ReportOptionsDialog> dialog = m_window->dialog();
    QTest::mouseClick(control<QPushButton>("cmdclose"), Qt::LeftButton);
    QVERIFY(dialog && !dialog->isVisible());
    QVERIFY(m_main->isEnabled());
    QCOMPARE(m_options->slot(2), (TypeSlot { 1, "doc", true }));

    m_window->show(m_main, *m_options);
    QCOMPARE(m_window->dialog(), dialog.data());
    QVERIFY(control<QRadioButton>("Optinclude")->isChecked());
    QVERIFY(control<QCheckBox>("Check1_2")->isChecked());
    QCOMPARE(control<QComboBox>("cmbfilter1_2")->currentText(), QStringLiteral("doc"));
    QVERIFY(control<QComboBox>("cmbfilter1_2")->isEnabled());
}

void TestReportOptionsDialog::closeBoxRestoresTheDefaults()
{
    openAndFilterBySlot2("Optexclude", QStringLiteral("txt"));
    const QPointer<ReportOptionsDialog> dialog = m_window->dialog();
    QVERIFY(dialog->close());
    QVERIFY(m_main->isEnabled());
    QVERIFY(!m_options->filteractive());
    QCOMPARE(m_options->filtermode(), FilterMode::IncludeAll);
    QCOMPARE(m_options->slot(2), TypeSlot {});
    QVERIFY(!m_window->dialog());
    QTRY_VERIFY(!dialog);

    m_window->show(m_main, *m_options);
    QVERIFY(!m_main->isEnabled());
    QVERIFY(control<QRadioButton>("Optincludeall")->isChecked());
    QVERIFY(!control<QCheckBox>("Check1_2")->isChecked());
    QVERIFY(!control<QCheckBox>("Check1_2")->isEnabled());
    QCOMPARE(control<QComboBox>("cmbfilter1_2")->currentText(), QString());
}

void TestReportOptionsDialog::resetRestoresTheDefaults()
{
    openAndFilterBySlot2("Optinclude", QStringLiteral("doc"));
    QTest::mouseClick(control<QPushButton>("cmdreset"), Qt::LeftButton);
    QCOMPARE(m_options->filtermode(), FilterMode::IncludeAll);
    QCOMPARE(m_options->slot(2), TypeSlot {});
    QVERIFY(m_window->dialog()->isVisible());
    QVERIFY(control<QRadioButton>("Optincludeall")->isChecked());
    QVERIFY(!control<QGroupBox>("frame2")->isEnabled());
    QCOMPARE(control<QComboBox>("cmbfilter1_2")->currentText(), QString());
}

// After the first real activation the focus changes are sent by hand: which window the offscreen platform
// activates next is not something a test should depend on.
void TestReportOptionsDialog::focusChangesLockAndUnlockTheMainWindow()
{
    m_window->show(m_main, *m_options);
    ReportOptionsDialog* dialog = m_window->dialog();
    QTRY_VERIFY(dialog->isActiveWindow());
    QVERIFY(!m_main->isEnabled());
    QEvent deactivate(QEvent::WindowDeactivate);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(dialog, &deactivate);
    QVERIFY(m_main->isEnabled());
    QApplication::sendEvent(dialog, &activate);
    QVERIFY(!m_main->isEnabled());

    control<QPushButton>("cmdclose")->click();
    QVERIFY(m_main->isEnabled());
    QApplication::sendEvent(dialog, &activate);
    QVERIFY(m_main->isEnabled());
}

void TestReportOptionsDialog::unloadDestroysTheDialog()
{
    openAndFilterBySlot2("Optinclude", QStringLiteral("doc"));
    const QPointer<ReportOptionsDialog> dialog = m_window->dialog();
    m_window->unload();
    QVERIFY(!dialog);
    QVERIFY(m_main->isEnabled());
    QVERIFY(m_options->filteractive());
}

QTEST_MAIN(TestReportOptionsDialog)
#include "tst_reportoptionsdialog.moc"
