#include "listingactions.h"

#include "bytename.h"
#include "desktopservice.h"
#include "listingsearch.h"
#include "listingtable.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>

namespace {
constexpr int messageMs = 5000;
}

ListingActions::ListingActions(Context context, QObject* parent)
    : QObject(parent)
    , m_context(std::move(context))
{
    QTableView* grid = m_context.grid;
    m_actions = {
        makeAction("mnufind", tr("&Find..."), QKeySequence::Find, &ListingActions::find),
        makeAction("mnufindnext", tr("Find &Next"), QKeySequence(Qt::Key_F3), &ListingActions::findNext),
        makeAction("mnufindprevious", tr("Find Pre&vious"), QKeySequence(Qt::SHIFT | Qt::Key_F3),
            &ListingActions::findPrevious),
    };
    // Ctrl+C is Create List's; copying takes Ctrl+Shift+C.
    m_rowActions = {
        makeAction(
            "mnucopyrows", tr("&Copy Rows"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), &ListingActions::copyRows),
        makeAction("mnucopypath", tr("Copy &Path"), {}, &ListingActions::copyPaths),
        makeAction("mnuopenentry", tr("Op&en"), {}, &ListingActions::openEntry),
        makeAction("mnuopenfolder", tr("Open Containing &Folder"), {}, &ListingActions::openContainingFolder),
    };
    buildFindBar();
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this, &ListingActions::showContextMenu);
    connect(grid->selectionModel(), &QItemSelectionModel::currentChanged, this, &ListingActions::updateEnabled);
    connect(grid->model(), &QAbstractItemModel::modelReset, this, &ListingActions::updateEnabled);
    connect(grid->model(), &QAbstractItemModel::rowsInserted, this, &ListingActions::updateEnabled);
    connect(grid, &QTableView::activated, this, &ListingActions::openEntry);
    updateEnabled();
}

QAction* ListingActions::makeAction(
    const char* name, const QString& text, const QKeySequence& shortcut, void (ListingActions::*slot)())
{
    auto* action = new QAction(text, this);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, slot);
    return action;
}

void ListingActions::addToMenu(QMenu* edit)
{
    for (QAction* action : m_actions)
        edit->addAction(action);
    edit->addSeparator();
    for (QAction* action : m_rowActions)
        edit->addAction(action);
}

void ListingActions::buildFindBar()
{
    QToolBar* bar = m_context.findBar;
    bar->setObjectName(QStringLiteral("findBar"));
    bar->setMovable(false);
    bar->addWidget(new QLabel(tr("Find:") + QLatin1Char(' ')));
    m_findText = new QLineEdit;
    m_findText->setObjectName(QStringLiteral("txtFind"));
    m_findText->setClearButtonEnabled(true);
    bar->addWidget(m_findText);
    bar->addAction(m_actions[1]);
    bar->addAction(m_actions[2]);
    bar->hide();
    connect(m_findText, &QLineEdit::returnPressed, this,
        [this] { findFrom(!(QApplication::keyboardModifiers() & Qt::ShiftModifier)); });
    auto* close = new QAction(tr("Close"), bar);
    close->setShortcut(Qt::Key_Escape);
    close->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(close, &QAction::triggered, this, [this] {
        m_context.findBar->hide();
        m_context.grid->setFocus();
    });
    bar->addAction(close);
}

void ListingActions::find()
{
    m_context.findBar->show();
    m_findText->setFocus();
    m_findText->selectAll();
}

int ListingActions::shownEntries() const
{
    return std::max(0, m_context.grid->model()->rowCount() - ListingTable::spareRows);
}

int ListingActions::currentEntry() const
{
    const int row = m_context.grid->currentIndex().row() + 1;
    return row >= 1 && row <= shownEntries() ? row : 0;
}

void ListingActions::findFrom(bool forward)
{
    const QString text = m_findText->text();
    if (text.isEmpty()) {
        find();
        return;
    }
    // A new text is looked for from the row the user is on; the same text again from the next row.
    const int current = currentEntry();
    const int step = text == m_lastText ? (forward ? 1 : -1) : 0;
    m_lastText = text;
    const int from = current == 0 ? (forward ? 1 : shownEntries()) : current + step;
    const int found = ListingSearch::find(*m_context.table, text, from, forward, shownEntries());
    if (found == 0) {
        m_context.statusBar->showMessage(tr("\"%1\" is not in the listing").arg(text), messageMs);
        QApplication::beep();
        return;
    }
    m_context.statusBar->clearMessage();
    const QModelIndex index = m_context.grid->model()->index(found - 1, 1);
    m_context.grid->setCurrentIndex(index);
    m_context.grid->scrollTo(index);
}

std::vector<int> ListingActions::selectedEntries() const
{
    std::vector<int> entries;
    const int shown = shownEntries();
    for (const QModelIndex& index : m_context.grid->selectionModel()->selectedRows(0))
        entries.push_back(index.row() + 1);
    if (entries.empty()) {
        // A cell selection marks rows too: take every row it touches.
        for (const QModelIndex& index : m_context.grid->selectionModel()->selectedIndexes())
            entries.push_back(index.row() + 1);
    }
    if (entries.empty() && currentEntry() > 0)
        entries.push_back(currentEntry());
    std::sort(entries.begin(), entries.end());
    entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
    std::erase_if(entries, [shown](int entry) { return entry < 1 || entry > shown; });
    return entries;
}

void ListingActions::copyRows()
{
    QStringList lines;
    for (int entry : selectedEntries())
        lines << ListingSearch::rowText(*m_context.table, entry);
    if (!lines.isEmpty())
        QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

void ListingActions::copyPaths()
{
    QStringList lines;
    for (int entry : selectedEntries())
        lines << displayText(ListingSearch::fullPath(*m_context.table, entry, m_context.listedFolder()));
    if (!lines.isEmpty())
        QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
}

void ListingActions::openEntry()
{
    if (const int entry = currentEntry())
        openThroughDesktop(ListingSearch::fullPath(*m_context.table, entry, m_context.listedFolder()));
}

void ListingActions::openContainingFolder()
{
    if (const int entry = currentEntry())
        openThroughDesktop(ListingSearch::containingFolder(*m_context.table, entry, m_context.listedFolder()));
}

void ListingActions::openThroughDesktop(const QString& path)
{
    if (!m_context.desktop || !m_context.desktop->openPath(path))
        m_context.statusBar->showMessage(tr("No program opens %1").arg(displayText(path)), messageMs);
}

void ListingActions::showContextMenu(const QPoint& position)
{
    const QModelIndex index = m_context.grid->indexAt(position);
    if (index.isValid() && !m_context.grid->selectionModel()->isSelected(index))
        m_context.grid->setCurrentIndex(index);
    QMenu menu;
    for (QAction* action : m_rowActions)
        menu.addAction(action);
    menu.addSeparator();
    menu.addAction(m_actions[0]);
    menu.exec(m_context.grid->viewport()->mapToGlobal(position));
}

void ListingActions::updateEnabled()
{
    const bool onEntry = currentEntry() > 0;
    for (QAction* action : m_rowActions)
        action->setEnabled(onEntry);
}
