#pragma once

#include <QListView>

class QFileSystemModel;

// The files of one folder.
class FileList final : public QListView {
    Q_OBJECT
public:
    explicit FileList(QWidget* parent = nullptr);

    void setPath(const QString& path);
    [[nodiscard]] QString path() const { return m_path; }

private:
    QFileSystemModel* m_model = nullptr;
    QString m_path;
};
