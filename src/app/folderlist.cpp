#include "folderlist.h"

#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>

FolderList::FolderList(QWidget* parent)
    : QTreeView(parent)
    , m_model(new QFileSystemModel(this))
{
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
    m_model->setRootPath(QDir::rootPath());
    setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        hideColumn(column);
    header()->hide();
    setUniformRowHeights(true);
    // The model reads folders in the background; once the current folder's branch is in, bring it into view.
    connect(m_model, &QFileSystemModel::directoryLoaded, this, [this] {
        if (currentIndex().isValid())
            scrollTo(currentIndex());
    });
    connect(
        this, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) { setPath(m_model->filePath(index)); });
}

void FolderList::setDrive(const QString& rootPath, const QString& currentFolder)
{
    setRootIndex(m_model->index(rootPath));
    setPath(currentFolder);
}

void FolderList::setPath(const QString& path)
{
    const QString native = QDir::toNativeSeparators(QDir::cleanPath(path));
    highlight(native);
    if (native == m_path)
        return;
    m_path = native;
    emit pathChanged(m_path);
}

QString FolderList::highlightedPath() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? QDir::toNativeSeparators(m_model->filePath(current)) : m_path;
}

void FolderList::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentIndex().isValid()) {
        setPath(m_model->filePath(currentIndex()));
        return;
    }
    QTreeView::keyPressEvent(event);
}

void FolderList::highlight(const QString& path)
{
    const QModelIndex index = m_model->index(path);
    if (!index.isValid())
        return;
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        expand(parent);
    setCurrentIndex(index);
    scrollTo(index);
}
