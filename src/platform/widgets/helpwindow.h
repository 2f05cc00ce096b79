#pragma once

#include <QMainWindow>
#include <QString>
#include <QUrl>

class QHelpEngine;
class QTextBrowser;

// Shows the pages of a compiled help collection: the table of contents and the index on the left, the page on
// the right. A help file that is missing or cannot be read is explained in the window itself.
class HelpWindow final : public QMainWindow {
    Q_OBJECT
public:
    HelpWindow(const QString& collectionFile, const QString& contentsId);

    void showContentsPage();
    // A page of the help opens here; a link that leaves the help goes to the desktop's browser.
    void openLink(const QUrl& link);

    // Why the help cannot be shown; empty when it can.
    [[nodiscard]] QString problem() const { return m_problem; }
    [[nodiscard]] QUrl currentPage() const;
    [[nodiscard]] QString pageText() const;
    // The help's pages that hold every word of the text, in any case: their titles and addresses, by title.
    [[nodiscard]] QList<QPair<QString, QUrl>> pagesHolding(const QString& text) const;

private:
    [[nodiscard]] QString openCollection(const QString& collectionFile, const QString& contentsId);
    void createToolBar();
    void layoutPages();
    [[nodiscard]] QWidget* createContentsTab();
    [[nodiscard]] QWidget* createIndexTab();
    [[nodiscard]] QWidget* createSearchTab();
    void showProblem(const QString& collectionFile);

    QHelpEngine* m_engine = nullptr;
    QTextBrowser* m_browser = nullptr;
    QUrl m_contentsPage;
    QString m_problem;
};
