#include "aboutbox.h"
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
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QWindow>

namespace {

const QString builtHelp = QStringLiteral(VELLUMARK_BUILT_HELP);
const QString desktopFile = QStringLiteral(VELLUMARK_DATA_DIR "/vellumark.desktop");
const QString metainfoFile = QStringLiteral(VELLUMARK_DATA_DIR "/org.vellumark.Vellumark.metainfo.xml");
const QString program = QStringLiteral(VELLUMARK_PROGRAM);

// The window shows the page target names, with the anchor it names; from says where the link was found.
void checkShows(const HelpWindow& window, QTextBrowser* page, const QUrl& target, const QString& from)
{
    const QString where = from + QStringLiteral(" -> ") + target.toString();
    QVERIFY2(window.currentPage() == target,
        qPrintable(where + QStringLiteral(": shows ") + window.currentPage().toString()));
    QVERIFY2(page->toPlainText().size() >= 40, qPrintable(where + QStringLiteral(": empty page")));
    const QString html
        = page->loadResource(QTextDocument::HtmlResource, target.adjusted(QUrl::RemoveFragment)).toString();
    const QString anchor = target.fragment();
    QVERIFY2(anchor.isEmpty() || html.contains(QStringLiteral("id=\"%1\"").arg(anchor))
            || html.contains(QStringLiteral("name=\"%1\"").arg(anchor)),
        qPrintable(where + QStringLiteral(": no such anchor")));
}

// Every topic of the contents (chosen in turn), every keyword of the index (typed, then Return) and
// every link of every page (clicked) must open a page of the help, in this window, with the anchor it names.
void walkEveryTopicKeywordAndLink(HelpWindow& window)
{
    QObject noBrowser; // a link sent out of the window must not start one
    QDesktopServices::setUrlHandler(QStringLiteral("qthelp"), &noBrowser, "none");
    auto* page = window.findChild<QTextBrowser*>(QStringLiteral("txtHelpPage"));

    auto* topics = window.findChild<QHelpContentWidget*>(QStringLiteral("treHelpContents"));
    auto* contents = qobject_cast<QHelpContentModel*>(topics->model());
    QTRY_VERIFY(contents->rowCount() > 0); // built in the background
    topics->expandAll();
    QSet<QUrl> listed;
    for (QModelIndex at = contents->index(0, 0); at.isValid(); at = topics->indexBelow(at)) {
        topics->setCurrentIndex(at);
        const QUrl target = contents->contentItemAt(at)->url();
        checkShows(window, page, target, contents->contentItemAt(at)->title());
        listed.insert(target.adjusted(QUrl::RemoveFragment));
    }

    auto* index
        = qobject_cast<QHelpIndexModel*>(window.findChild<QHelpIndexWidget*>(QStringLiteral("lstHelpIndex"))->model());
    QTRY_VERIFY(index->rowCount() > 1);
    auto* lookFor = window.findChild<QLineEdit*>(QStringLiteral("txtHelpIndex"));
    for (const QString& keyword : index->stringList()) {
        lookFor->clear();
        QTest::keyClicks(lookFor, keyword);
        QTest::keyClick(lookFor, Qt::Key_Return);
        const QUrl target = index->helpEngine()->documentsForKeyword(keyword).value(0).url;
        checkShows(window, page, target, keyword);
    }

    int followed = 0;
    for (const QUrl& from : std::as_const(listed)) {
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
            checkShows(window, page, target, from.fileName());
            QVERIFY2(listed.contains(target.adjusted(QUrl::RemoveFragment)), qPrintable(target.toString()));
            ++followed;
        }
    }
    QDesktopServices::unsetUrlHandler(QStringLiteral("qthelp"));
    QVERIFY2(followed > 50, qPrintable(QString::number(followed)));
    // Every page of the help is in its contents; no link leads out of them.
    const QList<QUrl> pages
        = index->helpEngine()->files(QStringLiteral("org.vellumark.help"), QString(), QStringLiteral("html"));
    QCOMPARE(listed, QSet<QUrl>(pages.begin(), pages.end()));

    // Back and Forward retrace the last two pages.
    const QUrl last = window.currentPage();
    QTest::keyClick(&window, Qt::Key_Left, Qt::AltModifier);
    QVERIFY(window.currentPage() != last);
    QTest::keyClick(&window, Qt::Key_Right, Qt::AltModifier);
    QCOMPARE(window.currentPage(), last);
}

}

// What the program tells about itself: the Help menu (Help Topics, About) and the desktop files.
class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void aboutBox_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("points");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("reach");
        QTest::newRow("DejaVu Sans 9, OK button") << "DejaVu Sans" << 9 << "ok"
                                                  << "five levels deep";
        QTest::newRow("Noto Sans 14, Escape key") << "Noto Sans" << 14 << "escape"
                                                  << "all levels deep";
        QTest::newRow("DejaVu Sans 9, the main window goes") << "DejaVu Sans" << 9 << "main window"
                                                             << "12 levels deep";
    }
    // Every line of every label shows in full, and nothing overlaps or runs out of the box. The main window stays
    // disabled until the box goes (the box is no child of it, or it could not be used).
    void aboutBox()
    {
        QFETCH(QString, family);
        QFETCH(int, points);
        QFETCH(QString, how);
        QFETCH(QString, reach);
        const QFont before = QApplication::font();
        QApplication::setFont(QFont(family, points));
        auto mainWindow = std::make_unique<QWidget>();
        mainWindow->show();
        const QPointer<AboutBox> box = showAbout(mainWindow.get(), reach);
        QVERIFY(QTest::qWaitForWindowExposed(box));
        QCOMPARE(box->findChild<QLabel*>(QStringLiteral("lblDescription"))->text(),
            QStringLiteral("Vellumark will print the contents of a specified folder including its subfolders, %1.")
                .arg(reach));
        QVERIFY(!mainWindow->isEnabled());
        QCOMPARE(box->findChild<QLabel*>(QStringLiteral("lblVersion"))->text(),
            QStringLiteral("Version " VELLUMARK_VERSION));
        QVERIFY(!box->findChild<QLabel*>(QStringLiteral("picIcon"))->pixmap().isNull());
        QList<QRect> taken;
        for (const char* name : { "lblTitle", "lblVersion", "lblDescription", "cmdOK" }) {
            auto* widget = box->findChild<QWidget*>(QLatin1String(name));
            const auto* label = qobject_cast<QLabel*>(widget);
            const int needed
                = label && label->wordWrap() ? label->heightForWidth(widget->width()) : widget->sizeHint().height();
            QVERIFY2(widget->height() >= needed && widget->width() >= widget->minimumSizeHint().width(), name);
            QVERIFY2(box->rect().contains(widget->geometry()), name);
            for (const QRect& other : std::as_const(taken))
                QVERIFY2(!other.intersects(widget->geometry()), name);
            taken.append(widget->geometry());
        }
        if (how == QLatin1String("ok"))
            QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
        else if (how == QLatin1String("escape"))
            QTest::keyClick(box, Qt::Key_Escape);
        else
            mainWindow.reset();
        QTRY_VERIFY(box.isNull());
        QVERIFY(!mainWindow || mainWindow->isEnabled());
        QApplication::setFont(before);
    }

    // The program finds its help from the folder it runs in: in the build tree, or in an installed tree wherever that
    // was moved. Help Topics shows it in one window of the main window's; what cannot be read is explained there.
    void helpTopics_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("run from the build tree") << QStringLiteral("built");
        QTest::newRow("installed tree, moved") << QStringLiteral("moved");
        QTest::newRow("absent") << QStringLiteral("absent");
        QTest::newRow("not a help collection") << QStringLiteral("garbage");
        QTest::newRow("collection without its compiled help") << QStringLiteral("collection only");
    }

    void helpTopics()
    {
        QFETCH(QString, kind);
        const bool readable = kind == QLatin1String("built") || kind == QLatin1String("moved");
        QTemporaryDir tree;
        QString programDir = QStringLiteral(VELLUMARK_PROGRAM_DIR);
        QString path = builtHelp;
        if (kind != QLatin1String("built")) {
            programDir = tree.filePath(QStringLiteral(VELLUMARK_BINDIR));
            path = tree.filePath(QStringLiteral(VELLUMARK_HELP_DIR "/") + QFileInfo(builtHelp).fileName());
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        }
        if (kind != QLatin1String("built") && kind != QLatin1String("absent"))
            QVERIFY(QFile::copy(kind == QLatin1String("garbage") ? desktopFile : builtHelp, path));
        if (kind == QLatin1String("moved"))
            QVERIFY(QFile::copy(builtHelp.chopped(4) + ".qch", path.chopped(4) + ".qch"));
        QCOMPARE(Vellumark::helpFilePathFor(programDir), path);

        auto mainWindow = std::make_unique<QWidget>();
        mainWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(mainWindow.get()));
        QtHelpService help(path, Vellumark::helpContentsId());
        showHelpTopics(&help, mainWindow.get());
        HelpWindow* window = help.window();
        QVERIFY(window && window->isVisible() && mainWindow->isEnabled());
        QCOMPARE(window->windowHandle()->transientParent(), mainWindow->windowHandle());
        QVERIFY(!window->testAttribute(Qt::WA_QuitOnClose));
        QCOMPARE(window->problem().isEmpty(), readable);
        if (readable) {
            const QUrl contents = window->currentPage();
            QVERIFY(window->pageText().contains(QStringLiteral("Vellumark Help")));
            mainWindow->setEnabled(false); // by a window acting as modal; help stays usable
            walkEveryTopicKeywordAndLink(*window);
            // The index and the search find what a user comes looking for.
            auto* index = window->findChild<QHelpIndexWidget*>(QStringLiteral("lstHelpIndex"));
            for (const char* word : { "pdf", "cancel", "compare", "command line" }) {
                index->filterIndices(QLatin1String(word));
                QVERIFY2(index->model()->rowCount() > 0, word);
            }
            auto* search = window->findChild<QLineEdit*>(QStringLiteral("txtHelpSearch"));
            search->setText(QStringLiteral("CANCEL esc"));
            QTest::keyClick(search, Qt::Key_Return);
            QList<QString> found;
            for (const auto& [title, page] : window->pagesHolding(search->text()))
                found.append(page.fileName());
            QVERIFY(found.contains(QStringLiteral("createlist.html")) && !found.contains(QStringLiteral("index.html")));
            QCOMPARE(window->currentPage().fileName(), found.first());
            // The user has read on and closes the window; Help Topics brings it back at the contents page.
            window->close();
            showHelpTopics(&help, mainWindow.get());
            QVERIFY(window->isVisible());
            QCOMPARE(window->currentPage(), contents);
        } else {
            QVERIFY2(window->pageText().contains(QDir::toNativeSeparators(path)), qPrintable(window->pageText()));
            QCOMPARE(QFileInfo::exists(path), kind != QLatin1String("absent")); // the engine makes no file of its own
            showHelpTopics(&help, mainWindow.get());
        }
        for (QWidget* shown : QApplication::topLevelWidgets()) // no second window, no message box beside it
            QVERIFY(!shown->isVisible() || shown == mainWindow.get() || shown == window);
        mainWindow.reset();
        QTRY_COMPARE(help.window(), nullptr);
    }

    // The validators check the desktop files' form; what they cannot know is whether the files name what is built.
    void validate()
    {
        for (const QStringList& run : { QStringList { "desktop-file-validate", desktopFile },
                 QStringList { "appstreamcli", "validate", "--no-net", metainfoFile } }) {
            if (QStandardPaths::findExecutable(run.first()).isEmpty())
                QSKIP(qPrintable(run.first() + QStringLiteral(" is not installed")));
            QCOMPARE(QProcess::execute(run.first(), run.mid(1)), 0); // what it finds is in the test's output
        }
    }

    void filesNameTheProgramAndItsIcon()
    {
        const QSettings desktop(desktopFile, QSettings::IniFormat);
        QCOMPARE(desktop.value(QStringLiteral("Desktop Entry/Exec")).toString(), program);
        QFile metainfoInput(metainfoFile);
        QVERIFY(metainfoInput.open(QIODevice::ReadOnly));
        const QString metainfo = QString::fromUtf8(metainfoInput.readAll());
        // The newest release comes first.
        QVERIFY(metainfo.contains(QStringLiteral("<releases>\n    <release version=\"" VELLUMARK_VERSION "\"")));
        QVERIFY(metainfo.contains(QStringLiteral(">vellumark.desktop</launchable>")));
        QVERIFY(metainfo.contains(QStringLiteral("<binary>%1</binary>").arg(program)));

        const QString icon = desktop.value(QStringLiteral("Desktop Entry/Icon")).toString();
        for (const QString& sizeText : QStringLiteral(VELLUMARK_ICON_SIZES).split(QLatin1Char(','))) {
            const int size = sizeText.toInt();
            const QImage image(QStringLiteral(VELLUMARK_ICON_DIR "/%1x%1/apps/%2.png").arg(size).arg(icon));
            QCOMPARE(image.size(), QSize(size, size));
            QVERIFY(qAlpha(image.pixel(0, size - 1)) == 0 && qAlpha(image.pixel(size / 2, size / 2)) > 0);
        }
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
