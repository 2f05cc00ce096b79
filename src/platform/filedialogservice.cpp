#include "filedialogservice.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

QString QtFileDialogService::getOpenFileName(QWidget* parent, const QString& filter)
{
    const QString path = QFileDialog::getOpenFileName(parent, QString(), m_lastPath, filter);
    if (!path.isEmpty())
        m_lastPath = path;
    return path;
}

QString QtFileDialogService::getSaveFileName(QWidget* parent, const QString& filter)
{
    const QString path = QFileDialog::getSaveFileName(parent, QString(), m_lastPath, filter);
    if (!path.isEmpty())
        m_lastPath = path;
    return path;
}

QString QtFileDialogService::getSaveFileName(QWidget* parent, const QString& filter, const QString& suggestedName)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(filter);
    // "PDF (*.pdf)" gives pdf: the dialog adds it, and asks about replacing the file of the full name.
    static const QRegularExpression extension(QStringLiteral("\\*\\.(\\w+)"));
    dialog.setDefaultSuffix(extension.match(filter).captured(1));
    const QFileInfo suggestion(suggestedName);
    const bool bare = !suggestedName.contains(u'/');
    if (bare && !m_lastPath.isEmpty())
        dialog.setDirectory(QFileInfo(m_lastPath).absolutePath());
    dialog.selectFile(bare ? suggestedName : suggestion.absoluteFilePath());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    m_lastPath = dialog.selectedFiles().constFirst();
    return m_lastPath;
}
