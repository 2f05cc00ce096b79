#include "helpservice.h"
#include "helptopics.h"
#include "helpwindow.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QHelpContentWidget>
#include <QHelpEngineCore>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QWindow>

namespace {

const QString builtHelp = QStringLiteral(VELLUMARK_BUILT_HELP);

// What is wrong with the page the window shows where target should be; empty when nothing is.
QString problemShowing(const HelpWindow& window, QTextBrowser* page, const QUrl& target, const QString& from)
{
    const QString where = from + QStringLiteral(" -> ") + target.toString();
    if (window.currentPage() != target)
        return where + QStringLiteral(": shows ") + window.currentPage().toString();
    if (page->toPlainText().size() < 40)
        return where + QStringLiteral(": empty page");
    const QString html
        = page->loadResource(QTextDocument::HtmlResource, target.adjusted(QUrl::RemoveFragment)).toString();
    const QString anchor = target.fragment();
    if (!anchor.isEmpty() && !html.contains(QStringLiteral("id=\"%1\"").arg(anchor))
        && !html.contains(QStringLiteral("name=\"%1\"").arg(anchor)))
        return where + QStringLiteral(": no such anchor");
    return {};
}

}

class TestHelpService : public QObject {
    Q_OBJECT
private slots:
    void helpTopicsTwiceShowsTheSameWindow();
    void everyTopicKeywordAndLinkOpensItsPage();
    void helpFileElsewhere_data();
    void helpFileElsewhere();
};

// Run from the build tree, the program finds the help built there.
void TestHelpService::helpTopicsTwiceShowsTheSameWindow()
{
    auto mainWindow = std::make_unique<QWidget>();
    mainWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(mainWindow.get()));
    QtHelpService help(Vellumark::helpFilePathFor(QStringLiteral(VELLUMARK_PROGRAM_DIR)), Vellumark::helpContentsId());

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
    first->openLink(contents.resolved(QUrl("filter.html")));
    QVERIFY(first->currentPage() != contents);
    first->close();
    showHelpTopics(&help, mainWindow.get());
    QCOMPARE(help.window(), first);
    QVERIFY(first->isVisible());
    QCOMPARE(first->currentPage(), contents);
    const QWidgetList windows = QApplication::topLevelWidgets();
    QCOMPARE(std::count_if(windows.begin(), windows.end(), [](QWidget* w) { return qobject_cast<HelpWindow*>(w); }), 1);

    mainWindow.reset();
    QTRY_COMPARE(help.window(), nullptr);
}

// Every topic of the contents (chosen in turn), every keyword of the index (typed, then Return) and
// every link of every page (clicked) must open a page of the help, in this window, with the anchor it names.
void TestHelpService::everyTopicKeywordAndLinkOpensItsPage()
{
    QObject noBrowser; // a link sent out of the window must not start one
    QDesktopServices::setUrlHandler(QStringLiteral("qthelp"), &noBrowser, "none");
    HelpWindow window(builtHelp, Vellumark::helpContentsId());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* page = window.findChild<QTextBrowser*>(QStringLiteral("txtHelpPage"));

    auto* topics = window.findChild<QHelpContentWidget*>(QStringLiteral("treHelpContents"));
    auto* contents = qobject_cast<QHelpContentModel*>(topics->model());
    QTRY_VERIFY(contents->rowCount() > 0); // built in the background
    topics->expandAll();
    QSet<QUrl> listed;
    for (QModelIndex at = contents->index(0, 0); at.isValid(); at = topics->indexBelow(at)) {
        topics->setCurrentIndex(at);
        const QUrl target = contents->contentItemAt(at)->url();
        const QString problem = problemShowing(window, page, target, contents->contentItemAt(at)->title());
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        listed.insert(target.adjusted(QUrl::RemoveFragment));
    }

    auto* keywords = window.findChild<QHelpIndexWidget*>(QStringLiteral("lstHelpIndex"));
    auto* index = qobject_cast<QHelpIndexModel*>(keywords->model());
    QTRY_VERIFY(index->rowCount() > 1);
    auto* lookFor = window.findChild<QLineEdit*>(QStringLiteral("txtHelpIndex"));
    for (const QString& keyword : index->stringList()) {
        lookFor->clear();
        QTest::keyClicks(lookFor, keyword);
        QTest::keyClick(lookFor, Qt::Key_Return);
        const QUrl target = index->helpEngine()->documentsForKeyword(keyword).value(0).url;
        const QString problem = problemShowing(window, page, target, keyword);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    QList<QUrl> queue { listed.begin(), listed.end() };
    QSet<QUrl> seen = listed;
    int followed = 0;
    while (!queue.isEmpty()) {
        const QUrl from = queue.takeFirst();
        window.openLink(from);
        QList<QPair<QUrl, int>> links; // each link's target and the middle of its text
        for (QTextBlock block = page->document()->begin(); block.isValid(); block = block.next())
            for (auto it = block.begin(); !it.atEnd(); ++it)
                if (const QString href = it.fragment().charFormat().anchorHref(); !href.isEmpty())
                    links.append({ from.resolved(QUrl(href)), it.fragment().position() + it.fragment().length() / 2 });
        for (const auto& [target, position] : std::as_const(links)) {
            window.openLink(from);
            QTextCursor cursor(page->document());
            cursor.setPosition(position);
            page->setTextCursor(cursor);
            page->ensureCursorVisible();
            QTest::mouseClick(page->viewport(), Qt::LeftButton, {}, page->cursorRect(cursor).center() + QPoint(1, 0));
            const QString problem = problemShowing(window, page, target, from.fileName());
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
            ++followed;
            if (!seen.contains(target.adjusted(QUrl::RemoveFragment))) {
                seen.insert(target.adjusted(QUrl::RemoveFragment));
                queue.append(target.adjusted(QUrl::RemoveFragment));
            }
        }
    }
    QDesktopServices::unsetUrlHandler(QStringLiteral("qthelp"));
    QVERIFY2(followed > 50, qPrintable(QString::number(followed)));
    // Every page of the help is in its contents, and no link leads out of them.
    const QList<QUrl> pages
        = index->helpEngine()->files(QStringLiteral("org.vellumark.help"), QString(), QStringLiteral("html"));
    QCOMPARE(listed, QSet<QUrl>(pages.begin(), pages.end()));
    QCOMPARE(seen, listed);

    // Back and Forward retrace the last two pages.
    const QUrl last = window.currentPage();
    QTest::keyClick(&window, Qt::Key_Left, Qt::AltModifier);
    QVERIFY(window.currentPage() != last);
    QTest::keyClick(&window, Qt::Key_Right, Qt::AltModifier);
    QCOMPARE(window.currentPage(), last);
}

// The help of an installed tree, wherever the tree was moved; what cannot be read is explained in the window.
void TestHelpService::helpFileElsewhere_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("moved with its compiled help") << QStringLiteral("moved");
    QTest::newRow("absent") << QStringLiteral("absent");
    QTest::newRow("not a help collection") << QStringLiteral("garbage");
    QTest::newRow("collection without its compiled help") << QStringLiteral("collection only");
}

void TestHelpService::helpFileElsewhere()
{
    QFETCH(QString, kind);
    QTemporaryDir tree;
    const QString path = tree.filePath(QStringLiteral(VELLUMARK_HELP_DIR "/") + QFileInfo(builtHelp).fileName());
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    if (kind == QLatin1String("garbage"))
        QVERIFY(
            file.open(QIODevice::WriteOnly) && file.write("\"/home/anna\"\r\n\"a.txt\",\"1\",\"01/01/2024\"\r\n") > 0);
    else if (kind != QLatin1String("absent"))
        QVERIFY(QFile::copy(builtHelp, path));
    if (kind == QLatin1String("moved"))
        QVERIFY(QFile::copy(builtHelp.chopped(4) + ".qch", path.chopped(4) + ".qch"));
    file.close();
    const QByteArray contentBefore = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    file.close();
    QCOMPARE(Vellumark::helpFilePathFor(tree.filePath(QStringLiteral(VELLUMARK_BINDIR))), path);

    QWidget mainWindow;
    mainWindow.show();
    QtHelpService help(path, Vellumark::helpContentsId());
    showHelpTopics(&help, &mainWindow);
    HelpWindow* window = help.window();
    QVERIFY(window && window->isVisible() && mainWindow.isEnabled());
    for (QWidget* shown : QApplication::topLevelWidgets()) // no message box beside the window
        QVERIFY(!shown->isVisible() || shown == &mainWindow || shown == window);
    if (kind == QLatin1String("moved")) {
        QVERIFY2(window->problem().isEmpty(), qPrintable(window->problem()));
        return;
    }
    QVERIFY(!window->problem().isEmpty());
    QVERIFY2(window->pageText().contains(QDir::toNativeSeparators(path)), qPrintable(window->pageText()));
    QCOMPARE(QFileInfo::exists(path), kind != QLatin1String("absent")); // the engine makes no file of its own
    if (file.open(QIODevice::ReadOnly))
        QCOMPARE(file.readAll(), contentBefore);
    showHelpTopics(&help, &mainWindow);
    QCOMPARE(help.window(), window);
}

QTEST_MAIN(TestHelpService)
#include "tst_helpservice.moc"
