#pragma once

#include <QObject>
#include <QString>
#include <functional>

class DesktopService;
class ListingTable;
class QAction;
class QLineEdit;
class QMenu;
class QStatusBar;
class QTableView;
class QToolBar;

// What a user does with the rows of the listing: find a text in the names and paths, copy rows or paths, and
// hand a file or its folder to the desktop. Serves the Edit menu, the grid's context menu and the find bar.
class ListingActions final : public QObject {
    Q_OBJECT
public:
    struct Context {
        QTableView* grid = nullptr;
        const ListingTable* table = nullptr;
        DesktopService* desktop = nullptr;
        QStatusBar* statusBar = nullptr;
        QToolBar* findBar = nullptr; // filled with the find box; hidden until Find
        std::function<QString()> listedFolder; // the folder that file rows with no folder row above lie in
    };

    explicit ListingActions(Context context, QObject* parent = nullptr);

    void addToMenu(QMenu* edit);

    void find();
    void findNext() { findFrom(true); }
    void findPrevious() { findFrom(false); }
    void copyRows();
    void copyPaths();
    void openEntry();
    void openContainingFolder();

private:
    QAction* makeAction(
        const char* name, const QString& text, const QKeySequence& shortcut, void (ListingActions::*slot)());
    void buildFindBar();
    void findFrom(bool forward);
    void showContextMenu(const QPoint& position);
    void updateEnabled();
    [[nodiscard]] std::vector<int> selectedEntries() const;
    [[nodiscard]] int currentEntry() const;
    [[nodiscard]] int shownEntries() const;
    void openThroughDesktop(const QString& path);

    Context m_context;
    QLineEdit* m_findText = nullptr;
    QString m_lastText;
    std::vector<QAction*> m_rowActions; // enabled only while the grid's current row holds an entry
    std::vector<QAction*> m_actions;
};
