#include "helpwindow.h"

#include "apptitle.h"
#include "twips.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHelpContentItem>
#include <QHelpContentModel>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

// Reads qthelp:// pages, their style sheets and pictures through the help engine.
class HelpBrowser final : public QTextBrowser {
public:
    HelpBrowser(QHelpEngine* engine, QWidget* parent)
        : QTextBrowser(parent)
        , m_engine(engine)
    {
    }

    QVariant loadResource(int type, const QUrl& name) override
    {
        if (m_engine && name.scheme() == QLatin1String("qthelp"))
            return m_engine->fileData(name);
        return QTextBrowser::loadResource(type, name);
    }

private:
    QHelpEngine* m_engine;
};

}

HelpWindow::HelpWindow(const QString& collectionFile, const QString& contentsId)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(tr("%1 Help").arg(Vellumark::applicationTitle()));
    resize(Twips::size(12240, 8640));

    m_problem = openCollection(collectionFile, contentsId);
    if (!m_problem.isEmpty()) {
        delete m_engine;
        m_engine = nullptr;
    }
    m_browser = new HelpBrowser(m_engine, this);
    m_browser->setObjectName(QStringLiteral("txtHelpPage"));
    // Qt opens every link whose scheme is not file or qrc outside; the help's own qthelp pages must stay here.
    m_browser->setOpenExternalLinks(false);
    m_browser->setOpenLinks(false);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &HelpWindow::openLink);

    createToolBar();
    if (m_engine)
        layoutPages();
    else
        showProblem(collectionFile);
}

// Looks at the file before handing it to the engine, which would otherwise create an empty collection in its place.
QString HelpWindow::openCollection(const QString& collectionFile, const QString& contentsId)
{
    const QFileInfo info(collectionFile);
    if (!info.exists())
        return tr("The file does not exist.");
    if (!info.isFile())
        return tr("It is not a file.");
    QFile probe(collectionFile);
    if (!probe.open(QIODevice::ReadOnly))
        return probe.errorString();
    probe.close();

    m_engine = new QHelpEngine(collectionFile, this);
    m_engine->setReadOnly(true);
    if (!m_engine->setupData())
        return m_engine->error().isEmpty() ? tr("It is not a help collection.") : m_engine->error();
    const QList<QHelpLink> contents = m_engine->documentsForIdentifier(contentsId);
    if (contents.isEmpty())
        return tr("It is not a help collection of this program, or its compiled help is missing.");
    m_contentsPage = contents.first().url;
    if (m_engine->fileData(m_contentsPage).isEmpty())
        return tr("Its contents page cannot be read.");
    return {};
}

void HelpWindow::createToolBar()
{
    QToolBar* bar = addToolBar(tr("Navigation"));
    bar->setObjectName(QStringLiteral("tlbHelp"));
    bar->setMovable(false);

    QAction* back = bar->addAction(QIcon::fromTheme(QStringLiteral("go-previous")), tr("Back"));
    back->setShortcut(QKeySequence::Back);
    back->setEnabled(false);
    connect(back, &QAction::triggered, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);

    QAction* forward = bar->addAction(QIcon::fromTheme(QStringLiteral("go-next")), tr("Forward"));
    forward->setShortcut(QKeySequence::Forward);
    forward->setEnabled(false);
    connect(forward, &QAction::triggered, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);

    QAction* contents = bar->addAction(QIcon::fromTheme(QStringLiteral("go-home")), tr("Contents"));
    contents->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Home));
    contents->setEnabled(m_engine != nullptr);
    connect(contents, &QAction::triggered, this, &HelpWindow::showContentsPage);

    auto* close = new QAction(tr("Close"), this);
    close->setShortcuts({ QKeySequence::Close, QKeySequence(Qt::Key_Escape) });
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);
}

void HelpWindow::layoutPages()
{
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("tabHelpNavigation"));
    tabs->addTab(createContentsTab(), tr("&Contents"));
    tabs->addTab(createIndexTab(), tr("&Index"));
    tabs->addTab(createSearchTab(), tr("&Search"));

    auto* splitter = new QSplitter(this);
    splitter->addWidget(tabs);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({ Twips::toPixels(3300), Twips::toPixels(8940) });
    setCentralWidget(splitter);
    // The arrow keys move through the topics from the start; set once the tree has its final parent.
    m_engine->contentWidget()->setFocus();
}

QWidget* HelpWindow::createContentsTab()
{
    QHelpContentWidget* contents = m_engine->contentWidget();
    contents->setObjectName(QStringLiteral("treHelpContents"));
    // Moving through the contents, by mouse or by the arrow keys, shows each topic as it is reached.
    connect(
        contents->selectionModel(), &QItemSelectionModel::currentChanged, contents, [this](const QModelIndex& index) {
            const QHelpContentItem* item = index.isValid() ? m_engine->contentModel()->contentItemAt(index) : nullptr;
            if (item && !item->url().isEmpty() && item->url() != m_browser->source())
                m_browser->setSource(item->url());
        });
    connect(contents, &QHelpContentWidget::linkActivated, m_browser, [this](const QUrl& page) { openLink(page); });
    // The page comes from the signal: while it is emitted, the browser's source() still names the page before.
    const auto selectCurrentPage = [contents](const QUrl& page) {
        const QModelIndex index = contents->indexOf(page);
        if (index.isValid() && index != contents->currentIndex())
            contents->setCurrentIndex(index);
    };
    connect(m_browser, &QTextBrowser::sourceChanged, contents, selectCurrentPage);
    // The engine builds the table of contents in the background; open it once it is there.
    connect(
        m_engine->contentModel(), &QHelpContentModel::contentsCreated, contents, [this, contents, selectCurrentPage] {
            contents->expandAll();
            selectCurrentPage(m_browser->source());
        });
    return contents;
}

QWidget* HelpWindow::createIndexTab()
{
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    auto* lookFor = new QLineEdit(tab);
    lookFor->setObjectName(QStringLiteral("txtHelpIndex"));
    auto* label = new QLabel(tr("&Look for:"), tab);
    label->setBuddy(lookFor);
    QHelpIndexWidget* index = m_engine->indexWidget();
    index->setObjectName(QStringLiteral("lstHelpIndex"));
    layout->addWidget(label);
    layout->addWidget(lookFor);
    layout->addWidget(index);
    connect(lookFor, &QLineEdit::textChanged, index, [index](const QString& text) { index->filterIndices(text); });
    connect(lookFor, &QLineEdit::returnPressed, index, &QHelpIndexWidget::activateCurrentItem);
    connect(index, &QHelpIndexWidget::documentActivated, this,
        [this](const QHelpLink& document, const QString&) { openLink(document.url); });
    connect(
        index, &QHelpIndexWidget::documentsActivated, this, [this](const QList<QHelpLink>& documents, const QString&) {
            if (!documents.isEmpty())
                openLink(documents.first().url);
        });
    return tab;
}

// Searches the pages as they are stored in the help, so that the help may lie in a folder no one can write to,
// where an index of words could not be kept.
QWidget* HelpWindow::createSearchTab()
{
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    auto* lookFor = new QLineEdit(tab);
    lookFor->setObjectName(QStringLiteral("txtHelpSearch"));
    auto* label = new QLabel(tr("S&earch for:"), tab);
    label->setBuddy(lookFor);
    auto* found = new QListWidget(tab);
    found->setObjectName(QStringLiteral("lstHelpSearch"));
    layout->addWidget(label);
    layout->addWidget(lookFor);
    layout->addWidget(found);
    connect(lookFor, &QLineEdit::returnPressed, found, [this, lookFor, found] {
        found->clear();
        for (const auto& [title, page] : pagesHolding(lookFor->text())) {
            auto* item = new QListWidgetItem(title, found);
            item->setData(Qt::UserRole, page);
        }
        if (found->count() == 0) {
            new QListWidgetItem(tr("No page holds these words."), found);
            return;
        }
        found->setCurrentRow(0);
        openLink(found->item(0)->data(Qt::UserRole).toUrl());
    });
    connect(found, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        if (const QUrl page = item->data(Qt::UserRole).toUrl(); page.isValid())
            openLink(page);
    });
    return tab;
}

QList<QPair<QString, QUrl>> HelpWindow::pagesHolding(const QString& text) const
{
    QList<QPair<QString, QUrl>> pages;
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (!m_engine || words.isEmpty())
        return pages;
    static const QRegularExpression titleTag(QStringLiteral("<title>(.*)</title>"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::InvertedGreedinessOption);
    const QStringList documentations = m_engine->registeredDocumentations();
    for (const QString& documentation : documentations) {
        const QList<QUrl> files = m_engine->files(documentation, QString(), QStringLiteral("html"));
        for (const QUrl& file : files) {
            const QString html = QString::fromUtf8(m_engine->fileData(file));
            const QString plain = QTextDocumentFragment::fromHtml(html).toPlainText();
            const bool holdsAll = std::all_of(words.begin(), words.end(),
                [&plain](const QString& word) { return plain.contains(word, Qt::CaseInsensitive); });
            if (holdsAll)
                pages.append({ titleTag.match(html).captured(1).trimmed(), file });
        }
    }
    std::sort(pages.begin(), pages.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return pages;
}

void HelpWindow::showProblem(const QString& collectionFile)
{
    setCentralWidget(m_browser);
    m_browser->setHtml(tr("<h2>%1 Help</h2>"
                          "<p>The help cannot be shown, because the help file could not be opened:</p>"
                          "<p><b>%2</b></p>"
                          "<p>%3</p>")
                           .arg(Vellumark::applicationTitle(), QDir::toNativeSeparators(collectionFile).toHtmlEscaped(),
                               m_problem.toHtmlEscaped()));
}

void HelpWindow::showContentsPage()
{
    if (m_engine)
        m_browser->setSource(m_contentsPage);
}

void HelpWindow::openLink(const QUrl& link)
{
    const QString scheme = link.scheme();
    if (scheme == QLatin1String("qthelp") || scheme == QLatin1String("file") || scheme == QLatin1String("qrc"))
        m_browser->setSource(link);
    else
        QDesktopServices::openUrl(link);
}

QUrl HelpWindow::currentPage() const { return m_browser->source(); }

QString HelpWindow::pageText() const { return m_browser->toPlainText(); }
