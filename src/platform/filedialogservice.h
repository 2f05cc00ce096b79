#pragma once

#include <QString>

class QWidget;

// The Open and Save file dialogs. An empty result means the user cancelled. One instance serves the whole
// program, so a name chosen in one dialog is offered by the next.
class FileDialogService {
public:
    virtual ~FileDialogService() = default;
    [[nodiscard]] virtual QString getOpenFileName(QWidget* parent, const QString& filter) = 0;
    [[nodiscard]] virtual QString getSaveFileName(QWidget* parent, const QString& filter) = 0;

    static QString textFilter() { return QStringLiteral("Text (*.txt)"); }
};

class QtFileDialogService final : public FileDialogService {
public:
    QString getOpenFileName(QWidget* parent, const QString& filter) override;
    QString getSaveFileName(QWidget* parent, const QString& filter) override;

private:
    QString m_lastPath;
};
