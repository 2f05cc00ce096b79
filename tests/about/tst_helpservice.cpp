#include "helpservice.h"
#include "helptopics.h"
#include "helpwindow.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
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

struct Link {
    QUrl target;
    int position = 0; // the middle of the link's text in the page
};

QList<Link> linksOnPage(QTextBrowser* page)
{
    QList<Link> links;
    for (QTextBlock block = page->document()->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isAnchor() && !it.fragment().charFormat().anchorHref().isEmpty())
                links.append({ page->source().resolved(QUrl(it.fragment().charFormat().anchorHref())),
                    it.fragment().position() + it.fragment().length() / 2 });
    return links;
}

void clickAt(QTextBrowser* page, int position)
{
    QTextCursor cursor(page->document());
    cursor.setPosition(position);
    page->setTextCursor(cursor);
    page->ensureCursorVisible();
    const QPoint point = page->cursorRect(cursor).center() + QPoint(1, 0);
    QTest::mouseClick(page->viewport(), Qt::LeftButton, {}, point);
}

}

class TestHelpService : public QObject {
    Q_OBJECT
private slots:
    void helpTopicsTwiceShowsTheSameWindow();
    void everyLinkOpensInTheWindow();
    void helpFileElsewhere_data();
    void helpFileElsewhere();
    void helpFileFollowsWhereTheProgramRuns_data();
    void helpFileFollowsWhereTheProgramRuns();
};

void TestHelpService::helpTopicsTwiceShowsTheSameWindow()
{
    auto mainWindow = std::make_unique<QWidget>();
    mainWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(mainWindow.get()));
    QtHelpService help(builtHelp, Vellumark::helpContentsId());

    showHelpTopics(&help, mainWindow.get());
    HelpWindow* first = help.window();
    QVERIFY2(first->problem().isEmpty(), qPrintable(first->problem()));
    QCOMPARE(first->windowHandle()->transientParent(), mainWindow->windowHandle());
    QVERIFY(!first->testAttribute(Qt::WA_QuitOnClose));
    const QUrl contents = first->currentPage();
    QVERIFY(first->pageText().contains(QStringLiteral("Vellumark Help")));
    mainWindow->setEnabled(false); // by a window acting as modal; help stays usable
    QVERIFY(first->isEnabled());

    // The user reads on, then closes the window; Help Topics brings it back at the contents page.
    first->findChild<QTextBrowser*>(QStringLiteral("txtHelpPage"))->setSource(contents.resolved(QUrl("filter.html")));
    QVERIFY(first->currentPage() != contents);
    first->close();
    showHelpTopics(&help, mainWindow.get());
    QCOMPARE(help.window(), first);
    QVERIFY(first->isVisible());
    QCOMPARE(first->currentPage(), contents);
    QCOMPARE(helpWindowCount(), 1);

    mainWindow.reset();
    QTRY_COMPARE(help.window(), nullptr);
}

// Clicks every link of every page reached from the contents page; each must open its page here.
void TestHelpService::everyLinkOpensInTheWindow()
{
    QObject noBrowser; // a link sent out of the window must not start one
    QDesktopServices::setUrlHandler(QStringLiteral("qthelp"), &noBrowser, "none");
    HelpWindow window(builtHelp, Vellumark::helpContentsId());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* page = window.findChild<QTextBrowser*>(QStringLiteral("txtHelpPage"));
    window.showContentsPage();
    QList<QUrl> queue { window.currentPage() };
    QSet<QUrl> seen { window.currentPage() };
    int followed = 0;
    while (!queue.isEmpty()) {
        const QUrl from = queue.takeFirst();
        window.openLink(from);
        const QList<Link> links = linksOnPage(page);
        for (const Link& link : links) {
            window.openLink(from);
            clickAt(page, link.position);
            const QString where = from.fileName() + QStringLiteral(" -> ") + link.target.toString();
            QVERIFY2(window.currentPage() == link.target, qPrintable(where));
            QVERIFY2(page->toPlainText().size() > 40, qPrintable(where + QStringLiteral(": empty page")));
            ++followed;
            const QUrl target = link.target.adjusted(QUrl::RemoveFragment);
            if (!seen.contains(target)) {
                seen.insert(target);
                queue.append(target);
            }
        }
    }
    QDesktopServices::unsetUrlHandler(QStringLiteral("qthelp"));
    QVERIFY2(seen.size() >= 13 && followed > 50, qPrintable(QString::number(followed)));
    // Back and Forward retrace the last two pages.
    const QUrl last = window.currentPage();
    QTest::keyClick(&window, Qt::Key_Left, Qt::AltModifier);
    QVERIFY(window.currentPage() != last);
    QTest::keyClick(&window, Qt::Key_Right, Qt::AltModifier);
    QCOMPARE(window.currentPage(), last);
}

// The installed help is the same pair of files in another folder; anything less is explained in the window.
void TestHelpService::helpFileElsewhere_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("relocated with its compiled help") << QStringLiteral("relocated");
    QTest::newRow("absent") << QStringLiteral("absent");
    QTest::newRow("not a help collection") << QStringLiteral("garbage");
    QTest::newRow("collection without its compiled help") << QStringLiteral("collection only");
}

void TestHelpService::helpFileElsewhere()
{
    QFETCH(QString, kind);
    QTemporaryDir folder;
    const QString path = folder.filePath(QFileInfo(builtHelp).fileName());
    if (kind == QLatin1String("garbage")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\"/home/anna\"\r\n\"a.txt\",\"1\",\"01/01/2024\"\r\n");
    } else if (kind != QLatin1String("absent")) {
        QVERIFY(QFile::copy(builtHelp, path));
    }
    if (kind == QLatin1String("relocated")) {
        const QString compiled = builtHelp.chopped(4) + QStringLiteral(".qch");
        QVERIFY(QFile::copy(compiled, folder.filePath(QFileInfo(compiled).fileName())));
    }
    QFile file(path);
    const QByteArray contentBefore = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    file.close();

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
    QVERIFY(!modalSeen);
    QVERIFY(mainWindow.isEnabled());
    if (kind == QLatin1String("relocated")) {
        QVERIFY2(window->problem().isEmpty(), qPrintable(window->problem()));
        QVERIFY(window->pageText().contains(QStringLiteral("Contents")));
        return;
    }
    QVERIFY(!window->problem().isEmpty());
    QVERIFY2(window->pageText().contains(QDir::toNativeSeparators(path)), qPrintable(window->pageText()));
    if (kind == QLatin1String("absent"))
        QVERIFY2(!QFileInfo::exists(path), "the help engine must not create the missing file");
    if (file.open(QIODevice::ReadOnly))
        QCOMPARE(file.readAll(), contentBefore);
    showHelpTopics(&help, &mainWindow);
    QCOMPARE(help.window(), window);
}

// The help is found from the program's folder, wherever the installed tree was put.
void TestHelpService::helpFileFollowsWhereTheProgramRuns_data()
{
    QTest::addColumn<QString>("programDir");
    QTest::addColumn<QString>("expected");
    static QTemporaryDir moved;
    const QString movedHelp = moved.filePath(QStringLiteral(VELLUMARK_HELP_DIR "/") + QFileInfo(builtHelp).fileName());
    QVERIFY(QDir().mkpath(QFileInfo(movedHelp).path()) && QFile::copy(builtHelp, movedHelp));
    const QString movedProgram = moved.filePath(QStringLiteral(VELLUMARK_BINDIR));
    QTest::newRow("installed tree, moved") << movedProgram << movedHelp;
    QTest::newRow("installed tree, trailing slash") << movedProgram + u'/' << movedHelp;
    QTest::newRow("program in the build tree") << QStringLiteral(VELLUMARK_PROGRAM_DIR) << builtHelp;
    QTest::newRow("no help anywhere") << QStringLiteral(
        "/nonexistent/bin") << QStringLiteral("/nonexistent/" VELLUMARK_HELP_DIR "/") + QFileInfo(builtHelp).fileName();
}

void TestHelpService::helpFileFollowsWhereTheProgramRuns()
{
    QFETCH(QString, programDir);
    QFETCH(QString, expected);
    QCOMPARE(Vellumark::helpFilePathFor(programDir), expected);
}

QTEST_MAIN(TestHelpService)
#include "tst_helpservice.moc"
