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
    // Offers suggestedName (a bare file name goes into the folder of the last file chosen) and adds the filter's
    // extension to a name typed without one.
    [[nodiscard]] virtual QString getSaveFileName(QWidget* parent, const QString& filter, const QString& suggestedName)
    {
        (void)suggestedName;
        return getSaveFileName(parent, filter);
    }
    // The file last chosen in either dialog; empty before the first.
    [[nodiscard]] virtual QString lastChosenPath() const { return {}; }

    static QString textFilter() { return QStringLiteral("Text (*.txt)"); }
    // What Open and Compare read: listing files, and the catalogues the program wrote.
    static QString listingFilters() { return textFilter() + QStringLiteral(";;Catalogue (*.html)"); }
};

class QtFileDialogService final : public FileDialogService {
public:
    QString getOpenFileName(QWidget* parent, const QString& filter) override;
    QString getSaveFileName(QWidget* parent, const QString& filter) override;
    QString getSaveFileName(QWidget* parent, const QString& filter, const QString& suggestedName) override;
    QString lastChosenPath() const override { return m_lastPath; }

private:
    QString m_lastPath;
};
