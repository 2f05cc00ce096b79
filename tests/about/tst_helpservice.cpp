#include "helpservice.h"
#include "helptopics.h"
#include "helpwindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QWindow>

namespace {

const QString builtHelp = QStringLiteral(VELLUMARK_BUILT_HELP);

int helpWindowCount()
{
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        count += qobject_cast<HelpWindow*>(widget) ? 1 : 0;
    return count;
}

bool messageBoxUp()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<QMessageBox*>(widget) && widget->isVisible())
            return true;
    return false;
}

bool copyFile(const QString& from, const QString& to) { return QFile::copy(from, to); }

}

class TestHelpService : public QObject {
    Q_OBJECT
private slots:
    void helpTopicsTwiceShowsTheSameWindow();
    void relocatedCollectionStillOpens();
    void unusableHelpFileIsExplainedInTheWindow_data();
    void unusableHelpFileIsExplainedInTheWindow();
    void helpStaysUsableWhileTheMainWindowIsDisabled();
    void helpWindowGoesWithTheMainWindow();
    void helpFileFollowsWhereTheProgramRuns_data();
    void helpFileFollowsWhereTheProgramRuns();
};

void TestHelpService::helpTopicsTwiceShowsTheSameWindow()
{
    QWidget mainWindow;
    mainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
    QtHelpService help(builtHelp, Vellumark::helpContentsId());

    showHelpTopics(&help, &mainWindow);
    HelpWindow* first = help.window();
    QVERIFY(first);
    QVERIFY2(first->problem().isEmpty(), qPrintable(first->problem()));
    QVERIFY(first->isVisible());
    QCOMPARE(first->windowHandle()->transientParent(), mainWindow.windowHandle());
    const QUrl contents = first->currentPage();
    QCOMPARE(contents.scheme(), QStringLiteral("qthelp"));
    QVERIFY(first->pageText().contains(QStringLiteral("Vellumark Help")));

    // The user reads on, then closes the window; Help Topics brings it back at the contents page.
    first->findChild<QTextBrowser*>(QStringLiteral("txtHelpPage"))->setSource(contents.resolved(QUrl("filter.html")));
    QVERIFY(first->currentPage() != contents);
    first->close();
    showHelpTopics(&help, &mainWindow);

    QCOMPARE(help.window(), first);
    QVERIFY(first->isVisible());
    QCOMPARE(first->currentPage(), contents);
    QCOMPARE(helpWindowCount(), 1);
}

// The installed help is the same pair of files in another folder.
void TestHelpService::relocatedCollectionStillOpens()
{
    QTemporaryDir folder;
    const QString collection = folder.filePath(QFileInfo(builtHelp).fileName());
    QVERIFY(copyFile(builtHelp, collection));
    const QString compiled = builtHelp.chopped(4) + QStringLiteral(".qch");
    QVERIFY(copyFile(compiled, folder.filePath(QFileInfo(compiled).fileName())));

    QWidget mainWindow;
    QtHelpService help(collection, Vellumark::helpContentsId());
    help.showContents(&mainWindow);
    QVERIFY2(help.window()->problem().isEmpty(), qPrintable(help.window()->problem()));
    QVERIFY(help.window()->pageText().contains(QStringLiteral("Contents")));
}

void TestHelpService::unusableHelpFileIsExplainedInTheWindow_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("absent") << QStringLiteral("absent");
    QTest::newRow("a folder") << QStringLiteral("folder");
    QTest::newRow("not a help collection") << QStringLiteral("garbage");
    QTest::newRow("collection without its compiled help") << QStringLiteral("collection only");
}

void TestHelpService::unusableHelpFileIsExplainedInTheWindow()
{
    QFETCH(QString, kind);
    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("VELLUMARK HELP.qhc"));
    QByteArray contentBefore;
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("VELLUMARK HELP.qhc")));
    } else if (kind == QLatin1String("garbage")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\"/home/anna\"\r\n\"a.txt\",\"1\",\"01/01/2024\"\r\n");
    } else if (kind == QLatin1String("collection only")) {
        QVERIFY(copyFile(builtHelp, path));
    }
    if (QFileInfo(path).isFile()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        contentBefore = file.readAll();
    }

    QWidget mainWindow;
    mainWindow.show();
    QtHelpService help(path, Vellumark::helpContentsId());
    bool modalSeen = false;
    QTimer::singleShot(0, this, [&modalSeen] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modalSeen = true;
            modal->close();
        }
    });
    showHelpTopics(&help, &mainWindow);
    QTest::qWait(20);

    HelpWindow* window = help.window();
    QVERIFY(window && window->isVisible());
    QVERIFY(!window->problem().isEmpty());
    QVERIFY2(window->pageText().contains(QDir::toNativeSeparators(path)), qPrintable(window->pageText()));
    QVERIFY(!modalSeen);
    QVERIFY(!messageBoxUp());
    QVERIFY(mainWindow.isEnabled());
    if (kind == QLatin1String("absent"))
        QVERIFY2(!QFileInfo::exists(path), "the help engine must not create the missing file");
    if (!contentBefore.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), contentBefore);
    }

    showHelpTopics(&help, &mainWindow);
    QCOMPARE(help.window(), window);
}

void TestHelpService::helpStaysUsableWhileTheMainWindowIsDisabled()
{
    QWidget mainWindow;
    mainWindow.show();
    QtHelpService help(builtHelp, Vellumark::helpContentsId());
    help.showContents(&mainWindow);
    mainWindow.setEnabled(false);
    QVERIFY(help.window()->isEnabled());
}

void TestHelpService::helpWindowGoesWithTheMainWindow()
{
    auto* mainWindow = new QWidget;
    mainWindow->show();
    QtHelpService help(builtHelp, Vellumark::helpContentsId());
    help.showContents(mainWindow);
    QVERIFY(help.window());
    QVERIFY(!help.window()->testAttribute(Qt::WA_QuitOnClose));
    delete mainWindow;
    QTRY_COMPARE(help.window(), nullptr);
}

void TestHelpService::helpFileFollowsWhereTheProgramRuns_data()
{
    const QString installedDir = QStringLiteral(VELLUMARK_INSTALLED_BINDIR);
    QTest::addColumn<QString>("programDir");
    QTest::addColumn<QString>("expected");
    QTest::newRow("installed program") << installedDir << QStringLiteral(VELLUMARK_INSTALLED_HELP);
    QTest::newRow("installed program, trailing slash")
        << installedDir + u'/' << QStringLiteral(VELLUMARK_INSTALLED_HELP);
    const QString configured = QStringLiteral(VELLUMARK_CONFIGURED_HELP);
    QTest::newRow("program in the build tree") << QCoreApplication::applicationDirPath() << configured;
    QTest::newRow("a folder that does not exist") << QStringLiteral("/nonexistent/vellumark/bin") << configured;
}

void TestHelpService::helpFileFollowsWhereTheProgramRuns()
{
    QFETCH(QString, programDir);
    QFETCH(QString, expected);
    QCOMPARE(Vellumark::helpFilePathFor(programDir), expected);
}

QTEST_MAIN(TestHelpService)
#include "tst_helpservice.moc"
