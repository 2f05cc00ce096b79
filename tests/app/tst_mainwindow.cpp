#include "fakedesktopservice.h"
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
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>

namespace {
// Fresh doubles for every test; the window goes first.
struct Fixture {
    QTemporaryDir dir;
    FaultyFileSystemService fileSystem;
    FakeVolumeService volumes;
    FakeMessageService messages;
    FakeFileDialogService dialogs;
    FakeHelpService help;
    FakePrinterService printer;
    FakeDesktopService desktop;
    PlatformServices services { &fileSystem, &volumes, &messages, &dialogs, &printer, &help, &desktop };
    std::unique_ptr<MainWindow> window;
};

QWidget* findTopLevel(const QString& name)
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == name)
            return widget;
    return nullptr;
}
}

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m = std::make_unique<Fixture>();
        m_root = m->dir.path();
        for (const char* path : { "/work/a.txt", "/work/sub/b.txt", "/other/c.txt" }) {
            QVERIFY(QDir().mkpath(QFileInfo(m_root + path).path()));
            QFile file(m_root + path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("x") == 1);
        }
        QDir::setCurrent(m_root + "/work");
        m->volumes.list = { { "/", "root" }, { m_root + "/other", "Removable" } };
        m->printer.spoolPath = m_root + "/printed.pdf";
        m->window = std::make_unique<MainWindow>(m->services);
        m->window->show();
        m->window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m->window.get()));
    }
    void cleanup()
    {
        QDir::setCurrent(QDir::tempPath());
        m.reset();
    }

    void commandsReachTheirEffect_data()
    {
        QTest::addColumn<QString>("how"); // "button NAME", "toolbar NAME", or keys and then a letter in the menu
        QTest::addColumn<QString>("effect");
        for (const auto& [how, effect] :
            std::initializer_list<std::pair<const char*, const char*>> { { "button cmdcreatelist", "listed" },
                { "toolbar create", "listed" }, { "Ctrl+C", "listed" }, { "button cmdprintrpt", "printed" },
                { "toolbar print", "printed" }, { "Ctrl+P", "printed" }, { "toolbar save", "saved" },
                { "Ctrl+S", "saved" }, { "toolbar open", "open dialog" }, { "Ctrl+O", "open dialog" },
                { "Alt+F E", "pdf offered" }, { "Ctrl+E", "pdf offered" }, { "Alt+R I", "print dialog" },
                { "Ctrl+Shift+P", "print dialog" }, { "toolbar preview", "frmprintpreview" },
                { "Alt+R V", "frmprintpreview" }, { "Alt+R O", "frmreportoptions" }, { "Alt+H T", "help" },
                { "F1", "help" }, { "Alt+H A", "frmAbout" }, { "toolbar exit", "ended" } })
            QTest::newRow(how) << QString(how) << QString(effect);
    }
    // From the state at start-up (nothing listed); Create List disables the window while it walks.
    void commandsReachTheirEffect()
    {
        QFETCH(QString, how);
        QFETCH(QString, effect);
        QVERIFY(!child<QTableView>("Grid2")->isVisibleTo(m->window.get()));
        bool enabledDuringWalk = true;
        bool progressShown = false;
        m->fileSystem.beforeGetFolder = [&](const QByteArray&) {
            enabledDuringWalk = enabledDuringWalk && m->window->isEnabled();
            const QWidget* progress = findTopLevel("frmprogress");
            progressShown = progress && progress->isVisible() && progress->windowTitle() == "Creating List";
        };
        m->dialogs.saveAnswers = { m_root + "/listing.txt" };
        if (effect != "listed")
            m->window->createlisting();
        trigger(how);
        // Each command reaches its own effect and no other dialog.
        QCOMPARE(m->dialogs.opened, int(effect == "open dialog"));
        QCOMPARE(m->printer.dialogsShown, int(effect == "print dialog"));
        QCOMPARE(m->help.contentsShownFor.size(), int(effect == "help"));
        if (effect == "listed") {
            QVERIFY(!enabledDuringWalk && progressShown && m->window->isEnabled());
            QCOMPARE(child<QTableView>("Grid1")->model()->rowCount(), 27);
            QCOMPARE(child<QLineEdit>("txtSelection")->text(), m_root + "/work"); // the report names what was listed
        } else if (effect == "printed") {
            QVERIFY(QFileInfo(m->printer.spoolPath).size() > 0);
        } else if (effect == "saved") {
            QVERIFY(m->window->listsaved());
        } else if (effect == "pdf offered") {
            QCOMPARE(m->dialogs.suggestionsOffered, QStringList { "work.pdf" });
        } else if (effect == "ended") {
            QVERIFY(!m->window->isVisible() && m->dialogs.saved == 1); // after the question, answered Yes
        } else if (effect.startsWith("frm")) {
            QTRY_VERIFY(findTopLevel(effect) && findTopLevel(effect)->isVisible());
            findTopLevel(effect)->close(); // a window left over would be found by the next test
        }
    }

    // A folder that cannot be read is named in a warning. A single click only highlights; Create List lists that
    // folder and makes it current.
    void createListWarnsAndListsTheHighlightedFolder()
    {
        m->fileSystem.failures.insert(QFile::encodeName(m_root + "/work/sub"), "Permission denied");
        m->window->createlisting();
        QCOMPARE(m->window->listing().listcount(), 2);
        QVERIFY(m->messages.shown.size() == 1
            && m->messages.shown[0].text.contains(m_root + "/work/sub: Permission denied"));
        m->fileSystem.failures.clear();
        auto* tree = child<QTreeView>("DirChosenDirectory");
        tree->setCurrentIndex(qobject_cast<QFileSystemModel*>(tree->model())->index(m_root + "/work/sub"));
        QCOMPARE(treePath(), m_root + "/work");
        m->window->createlisting();
        m->window->createlisting(); // twice gives the same rows
        QCOMPARE(treePath(), m_root + "/work/sub");
        QCOMPARE(m->window->listing().cell(GridId::Grid1, 1, 1), QStringLiteral("b.txt"));
        QCOMPARE(child<QTableView>("Grid1")->model()->rowCount(), 25);
    }

    void driveNotReady_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<bool>("switched");
        QTest::addColumn<int>("dialogs");
        QTest::newRow("abort") << QMessageBox::Abort << false << 0;
        QTest::newRow("retry") << QMessageBox::Retry << true << 0;
        QTest::newRow("ignore") << QMessageBox::Ignore << false << 1;
    }
    void driveNotReady()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(bool, switched);
        QFETCH(int, dialogs);
        m->volumes.notReadyChecks.insert(m_root + "/other", 1);
        m->messages.answers = { answer };
        auto* drives = child<QComboBox>("DrvChosenDrive");
        drives->setCurrentIndex(1);
        emit drives->activated(1);
        QCOMPARE(m->messages.shown.size(), 1);
        QCOMPARE(m->messages.shown[0].buttons, QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
        QCOMPARE(m->dialogs.opened, dialogs);
        QCOMPARE(treePath(), switched ? m_root + "/other" : m_root + "/work");
        QCOMPARE(child<QLineEdit>("txtSelection")->text(), treePath()); // the box names the folder the tree shows
    }

    // Leaving asks once, and only for a listing not yet saved; the options window, a top-level window of its own,
    // goes with the program.
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
            m->window->createlisting();
        m->dialogs.saveAnswers = { m_root + "/listing.txt" };
        if (saved)
            child<QAction>("mnusave")->trigger();
        child<QAction>("mnuoptions")->trigger();
        QVERIFY(findTopLevel("frmreportoptions") && !m->window->isEnabled());
        QSignalSpy ended(m->window.get(), &MainWindow::programEnded);
        m->messages.answers = { QMessageBox::No };
        m->window->close();
        QVERIFY(!findTopLevel("frmreportoptions") && m->window->isEnabled());
        QCOMPARE(m->messages.shown.size(), int(listed && !saved));
        QCOMPARE(ended.count(), 1);
        QCOMPARE(m->dialogs.saved, int(saved));
        QVERIFY(!m->window->isVisible());
    }

    // One tab stop: Tab walks the cells, from the end of a row to the thin first column of the next. At the
    // design size the dates show whole without a sideways scroll.
    void gridByKeyboardAndMouse()
    {
        m->window->createlisting();
        auto* grid = child<QTableView>("Grid1");
        QTRY_VERIFY(grid->columnViewportPosition(3) + grid->columnWidth(3) <= grid->viewport()->width());
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(0, 3));
        QTest::keyClick(grid, Qt::Key_Tab);
        QCOMPARE(grid->currentIndex(), grid->model()->index(1, 0));
        QCOMPARE(grid->model()->index(1, 1).data(Qt::ToolTipRole).toString(), m_root + "/work/sub");

        // Dragged by the edge between the name and the size, the name column widens.
        const int width = grid->columnWidth(1);
        const QPoint edge(grid->columnViewportPosition(1) + width, grid->rowViewportPosition(1) + 2);
        const QPoint moved = edge + QPoint(40, 0);
        QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, edge);
        QMouseEvent move(QEvent::MouseMove, moved, grid->viewport()->mapToGlobal(moved), Qt::NoButton, Qt::LeftButton,
            Qt::NoModifier);
        QCoreApplication::sendEvent(grid->viewport(), &move);
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, moved);
        QCOMPARE(grid->columnWidth(1), width + 40);
    }

    // The status bar counts what is listed and names its source; the caption names the listing's file.
    void statusBarAndCaption()
    {
        const QSize startSize = m->window->size();
        QCOMPARE(statusText("lblStatusCounts"), QStringLiteral("0 entries: 0 files, 0 folders, 0 bytes"));
        QVERIFY(!child<QTableView>("Grid1")->selectionModel()->hasSelection()); // no chosen empty cell at start
        m->window->createlisting();
        QCOMPARE(statusText("lblStatusCounts"), QStringLiteral("3 entries: 2 files, 1 folder, 2 bytes"));
        QVERIFY(statusText("lblStatusSource").startsWith("listed " + m_root + "/work at "));
        QCOMPARE(statusText("lblStatusComplete"), QStringLiteral("complete"));
        QCOMPARE(m->window->windowTitle(), QStringLiteral("Vellumark"));
        m->dialogs.saveAnswers = { m_root + "/inv.txt" };
        m->window->savereport();
        QCOMPARE(m->window->windowTitle(), QStringLiteral("inv.txt - Vellumark"));
        m->dialogs.openAnswers = { m_root + "/inv.txt" };
        m->window->openreport();
        QCOMPARE(statusText("lblStatusSource"), QStringLiteral("opened inv.txt"));
        QCOMPARE(statusText("lblStatusComplete"), QStringLiteral("complete"));
        m->window->setListingChoices({ 5, 2 });
        m->dialogs.openAnswers = { m_root + "/inv.txt" };
        m->window->openreport(); // the file holds one entry more than the limit keeps
        QCOMPARE(statusText("lblStatusComplete"), QStringLiteral("stopped at 2 entries"));
        m->window->setListingChoices({});
        m->fileSystem.failures.insert(QFile::encodeName(m_root + "/work/sub"), "Permission denied");
        QString whileWarned; // what the status bar says while the warning is up
        m->messages.onShow = [&](const Message&) { whileWarned = statusText("lblStatusComplete"); };
        m->window->createlisting();
        QCOMPARE(whileWarned, QStringLiteral("1 folder unreadable"));
        QCOMPARE(statusText("lblStatusComplete"), QStringLiteral("1 folder unreadable"));
        QCOMPARE(m->window->windowTitle(), QStringLiteral("Vellumark"));
        QCOMPARE(m->window->size(), startSize); // long texts are cut, not given room
        QVERIFY(!child<QLabel>("lblStatusSource")->toolTip().isEmpty());
    }

    // The depth and limit chosen by keyboard in their dialog take the next Create List there, and the status bar
    // says which are in force and where the listing stopped.
    void listingChoices_data()
    {
        QTest::addColumn<QString>("depth"); // typed; "all" checks the box
        QTest::addColumn<QString>("limit"); // typed; "none" checks the box
        QTest::addColumn<int>("entries");
        QTest::addColumn<QString>("complete");
        QTest::addColumn<QString>("choices");
        QTest::newRow("defaults") << "5"
                                  << "32000" << 7 << "stopped at five levels"
                                  << "5 levels, 32,000 entries at most";
        QTest::newRow("depth 1") << "1"
                                 << "32000" << 3 << "stopped at 1 level"
                                 << "1 level, 32,000 entries at most";
        QTest::newRow("depth 6") << "6"
                                 << "32000" << 8 << "complete"
                                 << "6 levels, 32,000 entries at most";
        QTest::newRow("all, limit 2") << "all"
                                      << "2" << 2 << "stopped at 2 entries"
                                      << "all levels, 2 entries at most";
        QTest::newRow("all, none") << "all"
                                   << "none" << 8 << "complete"
                                   << "all levels, no limit";
    }
    void listingChoices()
    {
        QFETCH(QString, depth);
        QFETCH(QString, limit);
        QFETCH(int, entries);
        QFETCH(QString, complete);
        QFETCH(QString, choices);
        QVERIFY(QDir().mkpath(m_root + "/work/sub/2/3/4/5/6"));
        QTimer answer;
        answer.setInterval(10);
        connect(&answer, &QTimer::timeout, this, [&] {
            QWidget* dialog = findTopLevel("frmListingChoices");
            if (!dialog || !dialog->isActiveWindow())
                return;
            answer.stop();
            const auto choose = [&](Qt::Key label, Qt::Key box, const QString& value, const QString& unbounded) {
                if (value == unbounded) {
                    QTest::keyClick(dialog, box, Qt::AltModifier);
                    QTest::qWait(200); // a mnemonic's click is animated
                    return;
                }
                QTest::keyClick(dialog, label, Qt::AltModifier);
                QTest::keyClick(dialog->focusWidget(), Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(dialog->focusWidget(), value);
            };
            choose(Qt::Key_L, Qt::Key_A, depth, "all");
            choose(Qt::Key_E, Qt::Key_N, limit, "none");
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
        });
        answer.start();
        trigger("Alt+R D");
        QCOMPARE(statusText("lblStatusChoices"), choices);
        m->window->createlisting();
        QCOMPARE(m->window->listing().listcount(), entries);
        QCOMPARE(statusText("lblStatusComplete"), complete);
        QCOMPARE(m->messages.shown.size(), limit == "2" ? 1 : 0);
        if (limit == "2")
            QCOMPARE(m->messages.shown[0].text,
                QStringLiteral("Maximum List size of 2 reached\r\nList stopped at 2 records"));
    }

    // Esc in the progress window stops the walk; the rows listed so far stay and a message says so.
    void createListCancelled()
    {
        m->fileSystem.beforeGetFolder = [&](const QByteArray& path) {
            if (!path.endsWith("/sub"))
                return;
            QWidget* progress = findTopLevel("frmprogress");
            QVERIFY(progress && progress->isVisible());
            QTest::keyClick(progress, Qt::Key_Escape);
        };
        m->window->createlisting();
        QCOMPARE(m->window->listing().listcount(), 3); // a.txt, the folder row and the file read with it
        QCOMPARE(m->messages.shown.size(), 1);
        QCOMPARE(m->messages.shown[0].text, QStringLiteral("Create List cancelled\r\nList stopped at 3 records"));
        QCOMPARE(statusText("lblStatusComplete"), QStringLiteral("cancelled"));
        QVERIFY(m->window->isEnabled() && !findTopLevel("frmprogress"));
    }

    // The window grows from its design size, never below it; the listing takes the room and its columns keep
    // their proportions.
    void growsFromItsDesignSize()
    {
        auto* grid = child<QTableView>("Grid1");
        const QSize design = m->window->size();
        const int nameWidth = grid->columnWidth(1);
        const QSize gridSize = grid->size();
        m->window->resize(design.width() * 2, design.height() + 300);
        QTRY_VERIFY(grid->width() == gridSize.width() + design.width() && grid->height() == gridSize.height() + 200);
        QCOMPARE(grid->columnWidth(1), qRound(nameWidth * double(grid->width()) / gridSize.width()));
        QVERIFY(child<QTreeView>("DirChosenDirectory")->height() > 100);
        m->window->resize(100, 100);
        QTRY_COMPARE(m->window->size(), design);
    }

    // Ctrl+F, F3 and Shift+F3 find names and paths; copying and opening act on the row found.
    void findCopyAndOpen()
    {
        m->window->createlisting();
        auto* grid = child<QTableView>("Grid1");
        grid->setFocus();
        QTest::keySequence(grid, QKeySequence::Find);
        auto* findText = child<QLineEdit>("txtFind");
        QTRY_VERIFY(findText->hasFocus());
        QTest::keyClicks(findText, "TXT");
        QTest::keyClick(findText, Qt::Key_Return);
        QCOMPARE(grid->currentIndex().row(), 0); // a.txt
        QTest::keyClick(findText, Qt::Key_F3);
        QCOMPARE(grid->currentIndex().row(), 2); // b.txt, past the folder row
        QTest::keySequence(findText, QKeySequence(Qt::SHIFT | Qt::Key_F3));
        QCOMPARE(grid->currentIndex().row(), 0);
        QTest::keyClick(findText, Qt::Key_Escape);
        QVERIFY(!child<QToolBar>("findBar")->isVisible() && grid->hasFocus());

        grid->setCurrentIndex(grid->model()->index(2, 1));
        QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(QApplication::clipboard()->text(),
            QStringLiteral("b.txt\t1\t") + grid->model()->index(2, 3).data().toString() + "\n");
        child<QAction>("mnucopypath")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), m_root + "/work/sub/b.txt");
        child<QAction>("mnuopenfolder")->trigger();
        child<QAction>("mnuopenentry")->trigger();
        QCOMPARE(m->desktop.opened, QStringList({ m_root + "/work/sub", m_root + "/work/sub/b.txt" }));
        QCOMPARE(m->window->listing().listcount(), 3); // Ctrl+Shift+C did not start Create List
    }

    // A dropped folder is chosen as in the tree, on its drive; a dropped listing file is opened, once the question
    // about the unsaved listing allows it.
    void drops()
    {
        drop(m_root + "/other");
        QCOMPARE(treePath(), m_root + "/other");
        QCOMPARE(child<QLineEdit>("txtSelection")->text(), m_root + "/other");
        QCOMPARE(child<QComboBox>("DrvChosenDrive")->currentIndex(), 1);
        drop(m_root + "/work/sub");
        QCOMPARE(treePath(), m_root + "/work/sub");

        m->window->createlisting();
        m->dialogs.saveAnswers = { m_root + "/inv.txt" };
        m->window->savereport();
        m->window->createlisting();
        m->messages.answers = { QMessageBox::Cancel, QMessageBox::No, QMessageBox::Ok, QMessageBox::No };
        drop(m_root + "/inv.txt");
        QVERIFY(!m->window->listsaved() && statusText("lblStatusSource").startsWith("listed"));
        QFile binary(m_root + "/bin.dat");
        QVERIFY(binary.open(QIODevice::WriteOnly)
            && binary.write(QByteArray("\x7f"
                                       "ELF\0\0\1",
                   7))
                == 7);
        binary.close();
        drop(binary.fileName()); // no listing: the question was answered, the listing stays unsaved
        QVERIFY(!m->window->listsaved());
        drop(m_root + "/inv.txt");
        QCOMPARE(statusText("lblStatusSource"), QStringLiteral("opened inv.txt"));
        QCOMPARE(m->messages.shown.size(), 4); // three questions and the complaint about bin.dat
    }

private:
    void drop(const QString& path)
    {
        QMimeData data;
        data.setUrls({ QUrl::fromLocalFile(path) });
        const QPoint at = m->window->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m->window.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m->window.get(), &dropped);
    }
    QString statusText(const QString& name) { return child<QLabel>(name)->text(); }
    template <typename T> T* child(const QString& name) { return m->window->findChild<T*>(name); }
    QString treePath() { return child<FolderList>("DirChosenDirectory")->path(); }
    void trigger(const QString& how)
    {
        const QStringList words = how.split(u' ');
        if (words[0] == "button")
            return QTest::mouseClick(child<QPushButton>(words[1]), Qt::LeftButton);
        if (words[0] == "toolbar")
            return QTest::mouseClick(
                child<QToolBar>("Toolbar1")->widgetForAction(child<QAction>(words[1])), Qt::LeftButton);
        m->window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m->window.get()));
        QTest::keySequence(child<QTreeView>("DirChosenDirectory"), QKeySequence(words[0]));
        if (words.size() > 1) {
            QWidget* menu = QApplication::activePopupWidget();
            QVERIFY(menu);
            QTest::keyClicks(menu, words[1].toLower());
        }
    }

    std::unique_ptr<Fixture> m;
    QString m_root;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
