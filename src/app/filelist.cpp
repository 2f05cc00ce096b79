#include "filelist.h"

#include <QDir>
#include <QFileSystemModel>

FileList::FileList(QWidget* parent)
    : QListView(parent)
    , m_model(new QFileSystemModel(this))
{
    m_model->setFilter(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    setModel(m_model);
    setUniformItemSizes(true);
}

void FileList::setPath(const QString& path)
{
    m_path = path;
    setRootIndex(m_model->setRootPath(path));
}
