#include "helpwindow.h"

#include "apptitle.h"
#include "twips.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHelpContentModel>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpLink>
#include <QSplitter>
#include <QTextBrowser>
#include <QToolBar>

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
    m_browser->setOpenExternalLinks(true);

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
}

void HelpWindow::layoutPages()
{
    QHelpContentWidget* contents = m_engine->contentWidget();
    contents->setObjectName(QStringLiteral("treHelpContents"));
    connect(contents, &QHelpContentWidget::linkActivated, m_browser,
        [this](const QUrl& page) { m_browser->setSource(page); });
    const auto selectCurrentPage = [this, contents] {
        const QModelIndex index = contents->indexOf(m_browser->source());
        if (index.isValid())
            contents->setCurrentIndex(index);
    };
    connect(m_browser, &QTextBrowser::sourceChanged, contents, selectCurrentPage);
    // The engine builds the table of contents in the background; open its top level once it is there.
    connect(m_engine->contentModel(), &QHelpContentModel::contentsCreated, contents, [contents, selectCurrentPage] {
        contents->expandToDepth(0);
        selectCurrentPage();
    });

    auto* splitter = new QSplitter(this);
    splitter->addWidget(contents);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({ Twips::toPixels(3300), Twips::toPixels(8940) });
    setCentralWidget(splitter);
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

QUrl HelpWindow::currentPage() const { return m_browser->source(); }

QString HelpWindow::pageText() const { return m_browser->toPlainText(); }
