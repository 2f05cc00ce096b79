#include "reportoptionsdialog.h"
#include "reportoptionswindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

class TestReportOptionsDialog : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_main = std::make_unique<QWidget>();
        m_main->show();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
        m_options = std::make_unique<ReportOptions>();
        m_window = std::make_unique<ReportOptionsWindow>();
        m_window->show(m_main.get(), *m_options);
        // Completion only starts in a focused box; focus changes sent by hand must come after the real one.
        QTRY_VERIFY(m_window->dialog()->isActiveWindow());
    }
    void cleanup() { m_window.reset(); }

    void newDialogShowsDefaultsAndChangesApplyToTheNextRow()
    {
        ReportOptionsDialog* dialog = m_window->dialog();
        QVERIFY(!m_main->isEnabled());
        QVERIFY((dialog->frameGeometry().center() - dialog->screen()->geometry().center()).manhattanLength() <= 2);
        QVERIFY(control<QRadioButton>("Optincludeall")->isChecked());
        // The window acts as modal while it has the focus. Which window the offscreen platform activates next
        // is not something a test should depend on, so the focus changes are sent by hand.
        QApplication::sendEvent(dialog, &m_deactivate);
        QVERIFY(m_main->isEnabled());
        QApplication::sendEvent(dialog, &m_activate);
        QVERIFY(!m_main->isEnabled());

        filterBySlot2("Optexclude", QStringLiteral("txt"));
        QVERIFY(!checkforprint(QStringLiteral("notes.txt"), RowKind::File, *m_options));
        auto* combo = control<QComboBox>("cmbfilter1_2");
        combo->setCurrentIndex(5);
        QCOMPARE(m_options->slot(2), (TypeSlot { 1, "doc", true }));
        control<QRadioButton>("Optinclude")->click();
        QVERIFY(checkforprint(QStringLiteral("letter.doc"), RowKind::File, *m_options));
        // Typed text is kept exactly: no completion changes it, Return adds no item.
        auto* typed = control<QComboBox>("cmbfilter1_0");
        typed->setFocus();
        QTest::keyClicks(typed, QStringLiteral("H"));
        QCOMPARE(m_options->slot(0).typetext, QStringLiteral("H"));
        QTest::keyClicks(typed, QStringLiteral("TMx"));
        QTest::keyClick(typed, Qt::Key_Return);
        QCOMPARE(m_options->slot(0).typetext, QStringLiteral("HTMx"));
        QCOMPARE(typed->count(), 8);
        control<QRadioButton>("Optincludeall")->click();
        QCOMPARE(m_options->slot(2), TypeSlot {});
        QCOMPARE(combo->currentText(), QString());
    }

    void leaving_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("dialogKept");
        QTest::addColumn<bool>("settingsKept");
        QTest::newRow("Done") << "done" << true << true;
        QTest::newRow("Reset To Defaults") << "reset" << true << false;
        QTest::newRow("Cancel") << "cancel" << true << false;
        QTest::newRow("Esc in a type box") << "esc" << true << false;
        QTest::newRow("close box") << "close box" << false << false;
        QTest::newRow("leaving the program") << "unload" << false << true;
    }
    // Cancel and Esc put back what the options were when the window was shown, not the defaults.
    void cancelRestoresTheOptionsAsShown()
    {
        filterBySlot2("Optinclude", QStringLiteral("doc"));
        QTest::mouseClick(control<QPushButton>("cmdclose"), Qt::LeftButton);
        const ReportOptionsState before = m_options->state();
        m_window->show(m_main.get(), *m_options);
        control<QRadioButton>("Optexclude")->click();
        control<QComboBox>("cmbfilter1_0")->setEditText("exe");
        QTest::keyClick(control<QCheckBox>("Check1_0"), Qt::Key_Escape);
        QVERIFY(!m_window->dialog()->isVisible() && m_main->isEnabled());
        QCOMPARE(m_options->state(), before);
    }

    // The arrow keys move the choice among the filter options, and the filter follows.
    void arrowKeysChooseTheFilter()
    {
        auto* exclude = control<QRadioButton>("Optexclude");
        exclude->click();
        exclude->setFocus();
        QTest::keyClick(exclude, Qt::Key_Down);
        QVERIFY(control<QRadioButton>("Optinclude")->isChecked());
        QCOMPARE(m_options->filtermode(), FilterMode::IncludeTypes);
        QTest::keyClick(control<QRadioButton>("Optinclude"), Qt::Key_Down);
        QCOMPARE(m_options->filtermode(), FilterMode::IncludeAll);
        QTest::keyClick(control<QRadioButton>("Optincludeall"), Qt::Key_Up);
        QCOMPARE(m_options->filtermode(), FilterMode::IncludeTypes);
    }

    void leaving()
    {
        QFETCH(QString, how);
        QFETCH(bool, dialogKept);
        QFETCH(bool, settingsKept);
        filterBySlot2("Optinclude", QStringLiteral("doc"));
        const QPointer<ReportOptionsDialog> dialog = m_window->dialog();
        if (how == "done" || how == "reset" || how == "cancel")
            QTest::mouseClick(control<QPushButton>(("cmd" + how.replace("done", "close")).toLatin1()), Qt::LeftButton);
        else if (how == "esc")
            QTest::keyClick(control<QComboBox>("cmbfilter1_2")->lineEdit(), Qt::Key_Escape);
        else if (how == "close box")
            QVERIFY(dialog->close());
        else
            m_window->unload();
        if (how != "reset")
            QVERIFY(m_main->isEnabled());
        if (how == "cancel" || how == "esc")
            QVERIFY(!dialog->isVisible());
        QTRY_COMPARE(dialog.isNull(), !dialogKept);
        if (dialogKept)
            QCOMPARE(dialog->isVisible(), how == "reset");
        if (how == "done") { // a late activation of the hidden window must not lock the main window
            QApplication::sendEvent(dialog, &m_activate);
            QVERIFY(m_main->isEnabled());
        }

        // The next Options shows what lasted.
        m_window->show(m_main.get(), *m_options);
        QCOMPARE(m_window->dialog() == dialog.data(), dialogKept);
        QCOMPARE(control<QRadioButton>("Optinclude")->isChecked(), settingsKept);
        QCOMPARE(control<QGroupBox>("frame2")->isEnabled(), settingsKept);
        QCOMPARE(control<QCheckBox>("Check1_2")->isChecked(), settingsKept);
        QCOMPARE(control<QComboBox>("cmbfilter1_2")->currentText(), QString(settingsKept ? "doc" : ""));
    }

private:
    template <typename T> T* control(const char* name) const
    {
        return m_window->dialog() ? m_window->dialog()->findChild<T*>(QLatin1String(name)) : nullptr;
    }
    void filterBySlot2(const char* mode, const QString& text)
    {
        control<QRadioButton>(mode)->click();
        control<QCheckBox>("Check1_2")->click();
        control<QComboBox>("cmbfilter1_2")->setEditText(text);
    }

    std::unique_ptr<QWidget> m_main;
    std::unique_ptr<ReportOptions> m_options;
    std::unique_ptr<ReportOptionsWindow> m_window;
    QEvent m_activate { QEvent::WindowActivate };
    QEvent m_deactivate { QEvent::WindowDeactivate };
};

QTEST_MAIN(TestReportOptionsDialog)
#include "tst_reportoptionsdialog.moc"
