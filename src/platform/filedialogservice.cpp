#include "filedialogservice.h"

#include <QFileDialog>

QString QtFileDialogService::getOpenFileName(QWidget* parent, const QString& filter)
{
    QString path = QFileDialog::getOpenFileName(parent, QString(), m_lastPath, filter);
    if (!path.isEmpty())
        m_lastPath = path;
    return path;
}

QString QtFileDialogService::getSaveFileName(QWidget* parent, const QString& filter)
{
    QString path = QFileDialog::getSaveFileName(parent, QString(), m_lastPath, filter);
    if (!path.isEmpty())
        m_lastPath = path;
    return path;
}
