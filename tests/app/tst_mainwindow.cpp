#include "fakefiledialogservice.h"
#include "fakehelpservice.h"
#include "fakemessageservice.h"
#include "fakeprinterservice.h"
#include "fakevolumeservice.h"
#include "faultyfilesystemservice.h"
#include "folderlist.h"
#include "mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeView>

namespace {
void makeFile(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
}
}

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_root = m_dir.path();
        QVERIFY(QDir().mkpath(m_root + "/work/sub"));
        QVERIFY(QDir().mkpath(m_root + "/other"));
        makeFile(m_root + "/work/a.txt");
        makeFile(m_root + "/work/sub/b.txt");
        makeFile(m_root + "/other/c.txt");
        QDir::setCurrent(m_root + "/work");
        m_volumes.list = { { "/", "root" }, { m_root + "/other", "Removable" } };
        m_printer.spoolPath = m_root + "/printed.pdf";
        m_services = { &m_fileSystem, &m_volumes, &m_messages, &m_dialogs, &m_printer, &m_help };
        m_window = std::make_unique<MainWindow>(m_services);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup()
    {
        m_window.reset();
        m_messages = {};
        m_dialogs = {};
        m_help = {};
        m_printer = {};
        m_fileSystem.beforeGetFolder = {};
        m_volumes.notReadyChecks.clear();
        QDir::setCurrent(QDir::tempPath());
        m_dir.remove();
        m_dir = {};
    }

    void createListTriggers_data()
    {
        QTest::addColumn<QString>("trigger");
        QTest::newRow("button") << "button";
        QTest::newRow("menu") << "menu";
        QTest::newRow("toolbar") << "toolbar";
        QTest::newRow("Ctrl+C") << "key";
    }
    // Right after start-up (fixed size, nothing listed), Create List lists the working folder, with the window
    // disabled throughout.
    void createListTriggers()
    {
        QFETCH(QString, trigger);
        QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
        QCOMPARE(child<QLineEdit>("txtSelection")->text(), QStringLiteral("/"));
        QVERIFY(!child<QTableView>("Grid2")->isVisibleTo(m_window.get()));
        QVERIFY(m_window->listsaved());
        bool enabledDuringWalk = true;
        bool progressShown = false;
        m_fileSystem.beforeGetFolder = [&](const QByteArray&) {
            enabledDuringWalk = enabledDuringWalk && m_window->isEnabled();
            const auto* progress = findTopLevel("frmprogress");
            progressShown = progress && progress->isVisible() && progress->windowTitle() == "Creating List";
        };
        if (trigger == "button")
            QTest::mouseClick(child<QPushButton>("cmdcreatelist"), Qt::LeftButton);
        else if (trigger == "menu")
            child<QAction>("mnucreatelist")->trigger();
        else if (trigger == "toolbar")
            QTest::mouseClick(child<QToolBar>("Toolbar1")->widgetForAction(child<QAction>("create")), Qt::LeftButton);
        else
            QTest::keyClick(child<QTreeView>("DirChosenDirectory"), Qt::Key_C, Qt::ControlModifier);

        QVERIFY(!enabledDuringWalk);
        QVERIFY(progressShown);
        QVERIFY(m_window->isEnabled());
        QCOMPARE(child<QTableView>("Grid1")->model()->rowCount(), 27);
        QVERIFY(!m_window->listsaved());
        QCOMPARE(child<QLineEdit>("txtSelection")->text(), m_root + "/work"); // the report names what was listed
    }

    // A single click only highlights; Create List lists that folder and makes it current.
    void highlightedFolderIsListed()
    {
        auto* tree = child<QTreeView>("DirChosenDirectory");
        auto* model = qobject_cast<QFileSystemModel*>(tree->model());
        tree->setCurrentIndex(model->index(m_root + "/work/sub"));
        QCOMPARE(treePath(), m_root + "/work");
        m_window->createlisting();
        m_window->createlisting(); // twice gives the same rows
        QCOMPARE(treePath(), m_root + "/work/sub");
        QCOMPARE(m_window->listing().cell(GridId::Grid1, 1, 1), QStringLiteral("b.txt"));
        QCOMPARE(child<QTableView>("Grid1")->model()->rowCount(), 25);
    }

    void unreadableFolderWarns()
    {
        m_fileSystem.failures.insert(QFile::encodeName(m_root + "/work/sub"), "Permission denied");
        m_window->createlisting();
        QCOMPARE(m_window->listing().listcount(), 2);
        QCOMPARE(m_messages.shown.size(), 1);
        QVERIFY(m_messages.shown[0].text.contains(m_root + "/work/sub: Permission denied"));
    }

    void driveNotReady_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("switched");
        QTest::addColumn<int>("dialogs");
        QTest::newRow("abort") << int(QMessageBox::Abort) << false << 0;
        QTest::newRow("retry") << int(QMessageBox::Retry) << true << 0;
        QTest::newRow("ignore") << int(QMessageBox::Ignore) << false << 1;
    }
    void driveNotReady()
    {
        QFETCH(int, answer);
        QFETCH(bool, switched);
        QFETCH(int, dialogs);
        m_volumes.notReadyChecks.insert(m_root + "/other", 1);
        m_messages.answers = { QMessageBox::StandardButton(answer) };
        auto* drives = child<QComboBox>("DrvChosenDrive");
        drives->setCurrentIndex(1);
        emit drives->activated(1);
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(
            m_messages.shown[0].text, QStringLiteral("selected drive not ready\r\nplease insert disk or CD and retry"));
        QCOMPARE(m_messages.shown[0].buttons, QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
        QCOMPARE(m_dialogs.opened, dialogs);
        QCOMPARE(treePath(), switched ? m_root + "/other" : m_root + "/work");
        QCOMPARE(child<QLineEdit>("txtSelection")->text(), switched ? m_root + "/other" : QStringLiteral("/"));
    }

    // Leaving asks once, and only for a listing not yet saved.
    void exitAsksOnlyForAnUnsavedListing_data()
    {
        QTest::addColumn<bool>("listed");
        QTest::addColumn<bool>("saved");
        QTest::newRow("nothing listed") << false << false;
        QTest::newRow("unsaved listing") << true << false;
        QTest::newRow("saved listing") << true << true;
    }
    void exitAsksOnlyForAnUnsavedListing()
    {
        QFETCH(bool, listed);
        QFETCH(bool, saved);
        if (listed)
            m_window->createlisting();
        m_dialogs.saveAnswers = { m_root + "/listing.txt" };
        if (saved)
            child<QAction>("mnusave")->trigger();
        QSignalSpy ended(m_window.get(), &MainWindow::programEnded);
        m_messages.answers = { QMessageBox::No };
        child<QAction>("mnuExit")->trigger();
        QCOMPARE(m_messages.shown.size(), int(listed && !saved));
        if (!m_messages.shown.isEmpty())
            QCOMPARE(m_messages.shown[0].title, QStringLiteral("Save Current Listing?"));
        QCOMPARE(ended.count(), 1);
        QCOMPARE(m_dialogs.saved, int(saved));
        QVERIFY(!m_window->isVisible());
    }

    // The options window is a top-level window of its own; leaving the program must take it along.
    void optionsWindowGoesWithTheProgram()
    {
        child<QAction>("mnuoptions")->trigger();
        QWidget* options = findTopLevel("frmreportoptions");
        QVERIFY(options && options->isVisible());
        QVERIFY(!m_window->isEnabled());
        m_window->close();
        QVERIFY(!findTopLevel("frmreportoptions"));
        QVERIFY(m_window->isEnabled());
    }

    void keyboardAlone_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("menuLetter"); // then chosen in the menu that opened
        QTest::addColumn<QString>("effect");
        // clang-format off
        QTest::newRow("Alt+F E") << QKeySequence(Qt::ALT | Qt::Key_F) << "e" << "pdf offered";
        QTest::newRow("Ctrl+E") << QKeySequence(Qt::CTRL | Qt::Key_E) << "" << "pdf offered";
        QTest::newRow("Alt+R I") << QKeySequence(Qt::ALT | Qt::Key_R) << "i" << "print dialog";
        QTest::newRow("Ctrl+Shift+P") << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P) << "" << "print dialog";
        QTest::newRow("Alt+R V") << QKeySequence(Qt::ALT | Qt::Key_R) << "v" << "frmprintpreview";
        QTest::newRow("Alt+R O") << QKeySequence(Qt::ALT | Qt::Key_R) << "o" << "frmreportoptions";
        QTest::newRow("Alt+H T") << QKeySequence(Qt::ALT | Qt::Key_H) << "t" << "help";
        QTest::newRow("F1") << QKeySequence(Qt::Key_F1) << "" << "help";
        QTest::newRow("Alt+H A") << QKeySequence(Qt::ALT | Qt::Key_H) << "a" << "frmAbout";
        // clang-format on
    }
    void keyboardAlone()
    {
        QFETCH(QKeySequence, keys);
        QFETCH(QString, menuLetter);
        QFETCH(QString, effect);
        m_window->createlisting();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTest::keySequence(m_window.get(), keys);
        if (!menuLetter.isEmpty()) {
            QWidget* menu = QApplication::activePopupWidget();
            QVERIFY(menu);
            QTest::keyClicks(menu, menuLetter);
        }
        if (effect == "pdf offered")
            QCOMPARE(m_dialogs.suggestionsOffered, QStringList { "work.pdf" });
        else if (effect == "print dialog")
            QCOMPARE(m_printer.dialogsShown, 1);
        else if (effect == "help")
            QCOMPARE(m_help.contentsShownFor.size(), 1);
        else
            QTRY_VERIFY(findTopLevel(qPrintable(effect)) && findTopLevel(qPrintable(effect))->isVisible());
        if (QWidget* window = findTopLevel(qPrintable(effect)))
            window->close(); // a window left over would be found by the next test
    }

    // One tab stop: Tab walks every cell, the thin first column too; Ctrl+Tab leaves.
    void gridByKeyboardAndMouse()
    {
        m_window->createlisting();
        auto* grid = child<QTableView>("Grid1");
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(0, 0));
        QList<int> columns;
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(grid, Qt::Key_Tab);
            QVERIFY(grid->hasFocus());
            columns.append(grid->currentIndex().column());
        }
        QCOMPARE(columns, QList<int>({ 1, 2, 3, 0, 1 }));
        QCOMPARE(grid->currentIndex().row(), 1);
        QTest::keyClick(grid, Qt::Key_Tab, Qt::ControlModifier);
        QVERIFY(!grid->hasFocus());

        QCOMPARE(grid->model()->index(1, 1).data(Qt::ToolTipRole).toString(), m_root + "/work/sub");

        // Dragged by the edge between the name and the size, the name column widens.
        const int width = grid->columnWidth(1);
        const int edge = grid->columnViewportPosition(1) + width;
        const int y = grid->rowViewportPosition(1) + 2;
        QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, QPoint(edge, y));
        QMouseEvent move(QEvent::MouseMove, QPointF(edge + 40, y), grid->viewport()->mapToGlobal(QPointF(edge + 40, y)),
            Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(grid->viewport(), &move);
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, QPoint(edge + 40, y));
        QCOMPARE(grid->columnWidth(1), width + 40);
    }

    // Saved through the toolbar, read back through the menu: same rows.
    void saveAndOpenThroughTheWindow()
    {
        m_window->createlisting();
        const QString file = m_root + "/listing.txt";
        m_dialogs.saveAnswers = { file };
        auto* toolbar = child<QToolBar>("Toolbar1");
        QTest::mouseClick(toolbar->widgetForAction(child<QAction>("save")), Qt::LeftButton);
        QVERIFY(m_window->listsaved());
        const std::vector<ListingEntry> listed = m_window->listing().entries();

        m_window->createlisting();
        m_dialogs.openAnswers = { file };
        child<QAction>("mnuopen")->trigger();
        QCOMPARE(m_window->listing().entries(), listed);
        QCOMPARE(child<QTableView>("Grid1")->model()->rowCount(), int(listed.size()) + 24);
        QVERIFY(m_window->listsaved());
    }

    void printAndPreviewFromTheWindow()
    {
        QTest::mouseClick(child<QPushButton>("cmdprintrpt"), Qt::LeftButton);
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(m_printer.printersCreated, 0);

        m_window->createlisting();
        QTest::keyClick(child<QTreeView>("DirChosenDirectory"), Qt::Key_P, Qt::ControlModifier);
        QVERIFY(QFileInfo(m_root + "/printed.pdf").size() > 0);

        auto* toolbar = child<QToolBar>("Toolbar1");
        QTest::mouseClick(toolbar->widgetForAction(child<QAction>("preview")), Qt::LeftButton);
        QWidget* preview = findTopLevel("frmprintpreview");
        QVERIFY(preview && !m_window->isEnabled());
        QTest::mouseClick(preview->findChild<QPushButton*>("cmdclosepreview"), Qt::LeftButton);
        QTRY_VERIFY(m_window->isEnabled());
    }

private:
    template <typename T> T* child(const char* name)
    {
        T* found = m_window->findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no child %s", name);
        return found;
    }
    static QWidget* findTopLevel(const char* name)
    {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == QLatin1String(name))
                return widget;
        return nullptr;
    }
    QString treePath() { return child<FolderList>("DirChosenDirectory")->path(); }

    QTemporaryDir m_dir;
    QString m_root;
    FaultyFileSystemService m_fileSystem;
    FakeVolumeService m_volumes;
    FakeMessageService m_messages;
    FakeFileDialogService m_dialogs;
    FakeHelpService m_help;
    FakePrinterService m_printer;
    PlatformServices m_services;
    std::unique_ptr<MainWindow> m_window;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
