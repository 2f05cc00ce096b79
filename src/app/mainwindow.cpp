#include "mainwindow.h"

#include "aboutbox.h"
#include "apptitle.h"
#include "catalogueexport.h"
#include "comparisonwindow.h"
#include "createlistcommand.h"
#include "filedialogservice.h"
#include "filelist.h"
#include "folderlist.h"
#include "gridcolumnresizer.h"
#include "gridmodel.h"
#include "growinglayout.h"
#include "helptopics.h"
#include "listingactions.h"
#include "listingchoicesdialog.h"
#include "listingstatusbar.h"
#include "messageservice.h"
#include "printpreviewwindow.h"
#include "reportcommands.h"
#include "twips.h"
#include "volumeservice.h"
#include "windowplacement.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>

namespace {
constexpr int clientWidth = 7335;
constexpr int clientHeight = 6270;

const QString notReadyText = QStringLiteral("selected drive not ready\r\nplease insert disk or CD and retry");
}

MainWindow::MainWindow(const PlatformServices& services, QWidget* parent)
    : QMainWindow(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)
    , m_services(services)
{
    setObjectName(QStringLiteral("frmVellumark"));
    setWindowTitle(Vellumark::applicationTitle());
    createMenus();
    layoutControls();
    createToolbar();
    layoutGrids();
    m_statusBar = new ListingStatusBar(this);
    setStatusBar(m_statusBar);
    createListingActions();
    setAcceptDrops(true);
    startUp();
    showListingState();
}

MainWindow::~MainWindow() { unloadSecondaryWindows(); }

QAction* MainWindow::addCommand(
    QMenu* menu, const QString& name, const QString& text, const QKeySequence& shortcut, void (MainWindow::*command)())
{
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, command);
    return action;
}

void MainWindow::createMenus()
{
    createFileMenu();
    m_editMenu = menuBar()->addMenu(tr("&Edit"));
    m_editMenu->setObjectName(QStringLiteral("mnuedit"));
    createReportMenu();
    createHelpMenu();
}

void MainWindow::createFileMenu()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    addCommand(file, QStringLiteral("mnusave"), tr("&Save Current Listing"), QKeySequence(tr("Ctrl+S")),
        &MainWindow::savereport);
    addCommand(file, QStringLiteral("mnuopen"), tr("&Open Existing Listing"), QKeySequence(tr("Ctrl+O")),
        &MainWindow::openreport);
    addCompareCommand(file, *this, m_options);
    file->addSeparator();
    addCommand(
        file, QStringLiteral("mnuexportpdf"), tr("&Export PDF..."), QKeySequence(tr("Ctrl+E")), &MainWindow::exportPdf);
    addCommand(
        file, QStringLiteral("mnuexportcatalogue"), tr("Export C&atalogue..."), {}, &MainWindow::exportCatalogue);
    addCommand(file, QStringLiteral("mnuexportjsonl"), tr("Export &JSON Lines..."), {}, &MainWindow::exportJsonLines);
    file->addSeparator();
    addCommand(file, QStringLiteral("mnuExit"), tr("E&xit"), QKeySequence(tr("Ctrl+X")), &MainWindow::mnuExit_Click);
}

void MainWindow::createReportMenu()
{
    QMenu* report = menuBar()->addMenu(tr("&Report"));
    report->setObjectName(QStringLiteral("mnureport"));
    addCommand(report, QStringLiteral("mnucreatelist"), tr("&Create List"), QKeySequence(tr("Ctrl+C")),
        &MainWindow::createlisting);
    addCommand(report, QStringLiteral("mnuoptions"), tr("&Options"), {}, &MainWindow::showOptions);
    addCommand(
        report, QStringLiteral("mnulistchoices"), tr("&Depth and Limit..."), {}, &MainWindow::chooseListingChoices);
    addCommand(report, QStringLiteral("mnupreview"), tr("Print Pre&view"), {}, &MainWindow::showPrintPreview);
    addCommand(report, QStringLiteral("mnuprintreport"), tr("&Print Report"), QKeySequence(tr("Ctrl+P")),
        &MainWindow::printlisting);
    addCommand(report, QStringLiteral("mnuprintdialog"), tr("Pr&int..."), QKeySequence(tr("Ctrl+Shift+P")),
        &MainWindow::printWithDialog);
}

void MainWindow::createListingActions()
{
    auto* findBar = new QToolBar(tr("Find"), this);
    addToolBar(Qt::BottomToolBarArea, findBar);
    m_listingActions = new ListingActions(
        { m_Grid1, &m_listing, m_services.desktop, m_statusBar, findBar, [this] { return selectedPath(); } }, this);
    m_listingActions->addToMenu(m_editMenu);
}

void MainWindow::createHelpMenu()
{
    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->setObjectName(QStringLiteral("mnuhelp"));
    addCommand(help, QStringLiteral("mnuhelptopics"), tr("Help &Topics"), QKeySequence::HelpContents,
        &MainWindow::showHelpTopics);
    addCommand(help, QStringLiteral("mnuabout"), tr("&About Vellumark"), {}, &MainWindow::showAbout);
}

void MainWindow::createToolbar()
{
    struct Button {
        const char* key;
        const char* tooltip;
    };
    static const Button buttons[] = {
        { "open", QT_TR_NOOP("Opens existing Directory Listing") },
        { "save", QT_TR_NOOP("Save the current listing to a file") },
        { "print", QT_TR_NOOP("Print the current listing") },
        { "create", QT_TR_NOOP("Create list from the selected Directory") },
        { "preview", QT_TR_NOOP("Print Preview") },
        { "exit", QT_TR_NOOP("Exit Vellumark") },
    };
    const QSize buttonSize = Twips::size(500, 375);
    m_toolbar->setIconSize(QSize(buttonSize.height() - 4, buttonSize.height() - 4));
    // The buttons sit along the top edge; the command buttons share the toolbar's lower part.
    m_toolbar->setContentsMargins(0, 0, 0, std::max(0, m_toolbar->height() - buttonSize.height() - 4));
    for (int i = 0; i < 6; ++i) {
        const QString key = QLatin1String(buttons[i].key);
        const QIcon icon
            = QIcon::fromTheme(QStringLiteral("vellumark-") + key, QIcon(QStringLiteral(":/toolbar/%1.svg").arg(key)));
        QAction* action = m_toolbar->addAction(icon, tr(buttons[i].tooltip));
        action->setObjectName(key);
        action->setToolTip(tr(buttons[i].tooltip));
        const int index = i + 1;
        connect(action, &QAction::triggered, this, [this, index] { Toolbar1_ButtonClick(index); });
        m_toolbar->widgetForAction(action)->setFixedSize(buttonSize);
    }
}

void MainWindow::Toolbar1_ButtonClick(int index)
{
    switch (index) {
    case 1:
        openreport();
        break;
    case 2:
        savereport();
        break;
    case 3:
        printlisting();
        break;
    case 4:
        createlisting();
        break;
    case 5:
        showPrintPreview();
        break;
    case 6:
        mnuExit_Click();
        break;
    default:
        break;
    }
}

void MainWindow::layoutControls()
{
    auto* client = new QWidget(this);
    client->resize(Twips::size(clientWidth, clientHeight));
    setCentralWidget(client);
    const auto place = [client](QWidget* widget, const char* name, QRect twips) {
        widget->setParent(client);
        widget->setObjectName(QLatin1String(name));
        widget->setGeometry(Twips::rect(twips.x(), twips.y(), twips.width(), twips.height()));
        return widget;
    };
    m_toolbar = new QToolBar;
    m_toolbar->setMovable(false);
    place(m_toolbar, "Toolbar1", { 0, 0, 7335, 870 });
    m_cmdcreatelist = new QPushButton(tr("Create List"));
    place(m_cmdcreatelist, "cmdcreatelist", { 240, 480, 1215, 255 });
    m_cmdprintrpt = new QPushButton(tr("Print Report"));
    place(m_cmdprintrpt, "cmdprintrpt", { 1560, 480, 1215, 255 });
    m_DirChosenDirectory = new FolderList;
    place(m_DirChosenDirectory, "DirChosenDirectory", { 120, 840, 4215, 1665 });
    m_FilSelectedFiles = new FileList;
    place(m_FilSelectedFiles, "FilSelectedFiles", { 4440, 840, 2655, 2040 });
    m_DrvChosenDrive = new QComboBox;
    place(m_DrvChosenDrive, "DrvChosenDrive", { 120, 2640, 4215, 315 });
    m_lblSelection = new QLabel(tr("Selected Path For Listing"));
    place(m_lblSelection, "lblSelection", { 120, 3120, 2535, 255 });
    m_txtSelection = new QLineEdit;
    place(m_txtSelection, "txtSelection", { 120, 3480, 6855, 390 });
    m_Label1 = new QLabel(tr("Preview Listing"));
    place(m_Label1, "Label1", { 120, 3960, 1215, 255 });
    m_Grid1 = new QTableView;
    place(m_Grid1, "Grid1", { 120, 4320, 6855, 1815 });
    m_Grid2 = new QTableView;
    place(m_Grid2, "Grid2", { 120, 4320, 6855, 1815 });

    // The tab order follows the window from top to bottom.
    setTabOrder(m_cmdcreatelist, m_cmdprintrpt);
    setTabOrder(m_cmdprintrpt, m_DirChosenDirectory);
    setTabOrder(m_DirChosenDirectory, m_FilSelectedFiles);
    setTabOrder(m_FilSelectedFiles, m_DrvChosenDrive);
    setTabOrder(m_DrvChosenDrive, m_txtSelection);
    setTabOrder(m_txtSelection, m_Grid1);

    connect(m_cmdcreatelist, &QPushButton::clicked, this, &MainWindow::createlisting);
    connect(m_cmdprintrpt, &QPushButton::clicked, this, &MainWindow::printlisting);
    connect(m_DirChosenDirectory, &FolderList::pathChanged, this, &MainWindow::DirChosenDirectory_Change);
    connect(m_DrvChosenDrive, &QComboBox::activated, this, &MainWindow::DrvChosenDrive_Change);
    growToFitTexts(client);
    client->setMaximumSize(
        QWIDGETSIZE_MAX, QWIDGETSIZE_MAX); // the texts' room is the design; the window grows from there
    growWithWindow(client);
}

// The design's size is where the window starts and the least it takes; the room it gains goes to the folder
// tree, the file list and the listing, the listing taking two parts of the height for the tree's one.
void MainWindow::growWithWindow(QWidget* client)
{
    auto* layout = new GrowingLayout(client);
    const double treeShare = 4215.0 / (4215.0 + 2655.0);
    const double upper = 1.0 / 3.0;
    layout->add(m_toolbar, { 0, 0, 1, 0 });
    layout->add(m_DirChosenDirectory, { 0, 0, treeShare, upper });
    layout->add(m_FilSelectedFiles, { treeShare, 0, 1 - treeShare, upper });
    layout->add(m_DrvChosenDrive, { 0, upper, treeShare, 0 });
    layout->add(m_lblSelection, { 0, upper, 0, 0 });
    layout->add(m_txtSelection, { 0, upper, 1, 0 });
    layout->add(m_Label1, { 0, upper, 0, 0 });
    layout->add(m_Grid1, { 0, upper, 1, 1 - upper });
    layout->add(m_Grid2, { 0, upper, 1, 1 - upper });
    layout->fixDesign();
}

void MainWindow::layoutGrids()
{
    m_grid1Model = new GridModel(m_listing, GridId::Grid1, this);
    m_grid2Model = new GridModel(m_listing, GridId::Grid2, this);
    for (QTableView* grid : { m_Grid1, m_Grid2 }) {
        grid->horizontalHeader()->hide(); // the title row is one twip high: never seen
        grid->verticalHeader()->hide();
        grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 4);
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->setWordWrap(false);
        grid->horizontalHeader()->setMinimumSectionSize(1);
    }
    m_Grid1->setModel(m_grid1Model);
    m_Grid2->setModel(m_grid2Model);
    const int widths[] = { 1, 3500, 1000, 1875 };
    for (int column = 0; column < 4; ++column)
        m_Grid1->setColumnWidth(column, std::max(1, Twips::toPixels(widths[column])));
    // The keyboard starts at row 1, column 1, but a cell that holds nothing is not shown as chosen.
    m_Grid1->selectionModel()->setCurrentIndex(m_grid1Model->index(0, 1), QItemSelectionModel::NoUpdate);
    m_Grid1->setTabKeyNavigation(true); // one tab stop; Tab then walks the cells
    m_columns = new GridColumnResizer(m_Grid1);
    m_columns->fixDesign();
    m_Grid2->setVisible(false);
}

void MainWindow::startUp()
{
    const QString workingFolder = QDir::toNativeSeparators(QDir::currentPath());
    const Volume drive = m_services.volumes->volumeOf(workingFolder);
    const QList<Volume> volumes = m_services.volumes->volumes();
    for (const Volume& volume : volumes) {
        const QString text = volume.name.isEmpty() || volume.name == volume.rootPath
            ? volume.rootPath
            : QStringLiteral("%1  [%2]").arg(volume.rootPath, volume.name);
        m_DrvChosenDrive->addItem(text, volume.rootPath);
    }
    m_DrvChosenDrive->setCurrentIndex(std::max(0, m_DrvChosenDrive->findData(drive.rootPath)));
    m_shownDrive = drive.rootPath;
    m_currentFolderByDrive.insert(drive.rootPath, workingFolder);

    setSelectedPath(drive.rootPath);
    m_DirChosenDirectory->setDrive(drive.rootPath, workingFolder);
    // The box names the folder the tree highlights, the one Create List would list.
    setSelectedPath(m_DirChosenDirectory->highlightedPath());
    m_FilSelectedFiles->setPath(m_DirChosenDirectory->path());
    resize(minimumSizeHint().expandedTo(sizeHint()));
    centreOnScreen(this);
}

void MainWindow::DrvChosenDrive_Change(int index)
{
    const QString root = m_DrvChosenDrive->itemData(index).toString();
    for (;;) {
        const QString reason = m_services.volumes->notReadyReason(root);
        if (reason.isEmpty())
            break;
        const auto answer = m_services.messages->show(this,
            { QMessageBox::NoIcon, {}, notReadyText, QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore });
        if (answer == QMessageBox::Retry)
            continue;
        if (answer == QMessageBox::Ignore)
            (void)m_services.fileDialogs->getOpenFileName(this, FileDialogService::textFilter());
        return;
    }
    if (!m_shownDrive.isEmpty())
        m_currentFolderByDrive.insert(m_shownDrive, m_DirChosenDirectory->path());
    m_shownDrive = root;
    m_DirChosenDirectory->setDrive(root, m_currentFolderByDrive.value(root, root));
    setSelectedPath(m_DirChosenDirectory->highlightedPath());
    m_FilSelectedFiles->setPath(m_DirChosenDirectory->path());
}

void MainWindow::DirChosenDirectory_Change(const QString& path)
{
    m_txtSelection->clear();
    setSelectedPath(path);
    m_FilSelectedFiles->setPath(path);
}

void MainWindow::listingChanged()
{
    m_grid1Model->sync();
    m_grid2Model->sync();
    showListingState();
}

void MainWindow::showListingState()
{
    const ListingCounts& counts = m_tally.update(m_listing);
    m_statusBar->showListing(counts, m_origin, m_options.filteractive());
    const int sizeWidth = m_Grid1->fontMetrics().horizontalAdvance(counts.widestSize + QStringLiteral("00"));
    m_columns->setMinimumWidth(3, m_Grid1->fontMetrics().horizontalAdvance(counts.widestDate + QStringLiteral("00")));
    m_columns->setMinimumWidth(2, sizeWidth);
    const QString title = Vellumark::applicationTitle();
    setWindowTitle(
        m_listingFile.isEmpty() ? title : QFileInfo(m_listingFile).fileName() + QStringLiteral(" - ") + title);
}

void MainWindow::setListingChoices(const ListingChoices& choices)
{
    m_choices = choices;
    // Past the default limit the listing may outgrow the grids' split: the grid on screen then shows it all.
    m_grid1Model->setWholeListing(choices.limit != ListingChoices::defaultLimit);
    m_statusBar->showChoices(choices);
    showListingState();
}

void MainWindow::chooseListingChoices()
{
    if (commandRunning())
        return;
    if (const std::optional<ListingChoices> chosen = ListingChoicesDialog::ask(m_choices, this))
        setListingChoices(*chosen);
}

void MainWindow::listingFileChanged(const QString& path, bool opened, bool cutAtLimit)
{
    m_listingFile = path;
    if (opened) {
        m_origin = ListingOrigin::from(ListingOrigin::Source::Opened, path);
        m_origin.when = QFileInfo(path).lastModified();
        m_origin.choices = m_choices;
        m_origin.limitReached = cutAtLimit;
    }
    showListingState();
}

ListingGaps MainWindow::listingGaps() const
{
    ListingGaps gaps;
    for (const UnreadableFolder& folder : m_origin.unreadable)
        gaps.unreadFolders.push_back(folder.path);
    // A file that holds as many entries as the limit may have been stopped by it when it was made.
    gaps.stoppedEarly = m_origin.limitReached || m_origin.cancelled
        || (m_origin.source == ListingOrigin::Source::Opened && m_listing.listcount() >= m_origin.choices.limit);
    if (m_origin.source == ListingOrigin::Source::Walked)
        gaps.depth = m_origin.choices.depth;
    else if (m_origin.source == ListingOrigin::Source::Opened)
        gaps.depth = listingFileDepth(m_listing);
    return gaps;
}

namespace {
// The one local file or folder being dragged, or empty.
QString droppedPath(const QMimeData* data)
{
    const QList<QUrl> urls = data ? data->urls() : QList<QUrl>();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return {};
    return QDir::toNativeSeparators(urls.first().toLocalFile());
}
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedPath(event->mimeData()).isEmpty() && !commandRunning())
        event->acceptProposedAction();
}

// A folder is chosen as if picked in the tree; a file is opened as a listing, after the unsaved-listing question.
void MainWindow::dropEvent(QDropEvent* event)
{
    const QString path = droppedPath(event->mimeData());
    if (path.isEmpty() || commandRunning())
        return;
    event->acceptProposedAction();
    activateWindow();
    if (QFileInfo(path).isDir()) {
        chooseFolder(path);
        return;
    }
    const bool wasSaved = m_listsaved;
    const QString fileBefore = m_listingFile;
    const int generation = m_listing.generation();
    if (!m_listsaved && !checkforsave())
        return;
    m_listingFiles.openreport(path);
    // Not opened after all (no listing in that file): the listing on screen is as unsaved as it was.
    if (m_listing.generation() == generation && m_listingFile == fileBefore)
        m_listsaved = wasSaved;
}

void MainWindow::chooseFolder(const QString& folder)
{
    const QString root = m_services.volumes->volumeOf(folder).rootPath;
    const int drive = m_DrvChosenDrive->findData(root);
    if (drive >= 0 && root != m_shownDrive) {
        m_currentFolderByDrive.insert(root, folder);
        m_DrvChosenDrive->setCurrentIndex(drive);
        DrvChosenDrive_Change(drive);
        return;
    }
    m_DirChosenDirectory->setPath(folder);
}

void MainWindow::changeEvent(QEvent* event)
{
    // The report filter may have changed while the options window had the focus.
    if (event->type() == QEvent::ActivationChange || event->type() == QEvent::EnabledChange)
        showListingState();
    QMainWindow::changeEvent(event);
}

QString MainWindow::selectedPath() const { return m_txtSelection->text(); }

void MainWindow::setSelectedPath(const QString& path) { m_txtSelection->setText(path); }

void MainWindow::closeEvent(QCloseEvent* event)
{
    // A walk, a read or a print turns the event loop; closing in the middle would pull the window from under it.
    if (m_commandRunning) {
        event->ignore();
        return;
    }
    if (!m_listsaved) {
        m_closing = true;
        if (!checkforsave()) {
            m_closing = false;
            event->ignore();
            return;
        }
    }
    event->accept();
    endProgram();
}

void MainWindow::endProgram()
{
    if (m_ended)
        return;
    m_ended = true;
    unloadSecondaryWindows();
    hide();
    emit programEnded();
}

// Commands that the listing, listing file, report, options and about subsystems serve.

void MainWindow::createlisting()
{
    if (commandRunning())
        return;
    m_listingFile.clear();
    m_origin = {};
    CreateListCommand(*this).createlisting(
        m_DirChosenDirectory->highlightedPath(),
        [this](const QString& folder) {
            m_DirChosenDirectory->setPath(folder);
            DirChosenDirectory_Change(m_DirChosenDirectory->path());
            m_origin = ListingOrigin::from(ListingOrigin::Source::Walked, m_DirChosenDirectory->path());
            return m_DirChosenDirectory->path();
        },
        [this](const WalkOutcome& outcome) {
            m_origin.choices = m_choices;
            m_origin.limitReached = outcome.limitReached;
            m_origin.depthReached = outcome.depthReached;
            m_origin.cancelled = outcome.cancelled;
            m_origin.unreadable = outcome.unreadable;
        });
    showListingState();
}

void MainWindow::savereport() { m_listingFiles.savereport(); }

void MainWindow::openreport() { m_listingFiles.openreport(); }

bool MainWindow::checkforsave() { return m_listingFiles.checkforsave(); }

void MainWindow::printlisting() { ReportCommands(*this, m_options).printlisting(); }

void MainWindow::printWithDialog() { ReportCommands(*this, m_options).printWithDialog(); }

void MainWindow::exportPdf() { ReportCommands(*this, m_options).exportPdf(); }

void MainWindow::exportCatalogue() { CatalogueExport(*this, m_options).exportCatalogue(); }

void MainWindow::exportJsonLines() { CatalogueExport(*this, m_options).exportJsonLines(); }

void MainWindow::showPrintPreview() { ::showPrintPreview(*this, m_options); }

void MainWindow::showOptions() { m_reportOptionsWindow.show(this, m_options); }

void MainWindow::showHelpTopics() { ::showHelpTopics(m_services.help, this); }

void MainWindow::showAbout() { ::showAbout(this, ListingChoiceText::depthPhrase(m_choices.depth)); }

void MainWindow::unloadSecondaryWindows() { m_reportOptionsWindow.unload(); }
