#include "filedialogservice.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QRegularExpression>
#include <QScreen>
#include <QTreeView>

namespace {
// The detail view's columns as wide as their longest usual texts, the name taking the rest.
void widenColumns(QFileDialog& dialog)
{
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!view)
        return;
    QHeaderView* header = view->header();
    const QFontMetrics metrics(view->font());
    const int padding = metrics.averageCharWidth() * 4;
    const QDateTime widestDate(QDate(2000, 12, 28), QTime(20, 58, 58));
    const QString texts[] = { QStringLiteral("1,023.9 MiB"), QStringLiteral("plain text document"),
        QLocale().toString(widestDate, QLocale::ShortFormat) };
    for (int column = 1; column <= 3 && column < header->count(); ++column)
        header->resizeSection(column, metrics.horizontalAdvance(texts[column - 1]) + padding);
}

// Opens at a size that shows the names, sizes, types and dates whole, within the screen.
bool run(QFileDialog& dialog)
{
    widenColumns(dialog);
    const QFontMetrics metrics(dialog.font());
    QSize wanted(metrics.averageCharWidth() * 120, metrics.lineSpacing() * 30);
    if (const QScreen* screen = dialog.screen())
        wanted = wanted.boundedTo(screen->availableGeometry().size() * 9 / 10);
    dialog.resize(wanted.expandedTo(dialog.minimumSizeHint()));
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
}
}

QString QtFileDialogService::getOpenFileName(QWidget* parent, const QString& filter)
{
    QFileDialog dialog(parent, QString(), m_lastPath, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!run(dialog))
        return {};
    m_lastPath = dialog.selectedFiles().constFirst();
    return m_lastPath;
}

QString QtFileDialogService::getSaveFileName(QWidget* parent, const QString& filter)
{
    QFileDialog dialog(parent, QString(), m_lastPath, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (!run(dialog))
        return {};
    m_lastPath = dialog.selectedFiles().constFirst();
    return m_lastPath;
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
    if (!run(dialog))
        return {};
    m_lastPath = dialog.selectedFiles().constFirst();
    return m_lastPath;
}
