#pragma once

#include <QTreeView>

class QFileSystemModel;

// The folder tree of one drive. A single click only highlights a folder; a double click or Enter makes it
// the current folder, which is what pathChanged reports.
class FolderList final : public QTreeView {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent = nullptr);

    // Shows the drive's tree with the given folder current and highlighted.
    void setDrive(const QString& rootPath, const QString& currentFolder);
    void setPath(const QString& path);
    [[nodiscard]] QString path() const { return m_path; }
    [[nodiscard]] QString highlightedPath() const;

signals:
    void pathChanged(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void highlight(const QString& path);

    QFileSystemModel* m_model = nullptr;
    QString m_path;
};
