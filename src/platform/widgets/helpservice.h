#pragma once

#include <QPointer>
#include <QString>

class HelpWindow;
class QWidget;

// The help engine: Help Topics asks it once for the contents page and looks at no result.
class HelpService {
public:
    virtual ~HelpService() = default;
    // Shows the help at its contents page in a help window that belongs to owner; asked again, it shows the same
    // window again. Whatever goes wrong is shown in that window, never reported to the caller.
    virtual void showContents(QWidget* owner) = 0;
};

// Qt Help: the compiled help collection, shown in a HelpWindow of its own.
class QtHelpService final : public HelpService {
public:
    // contentsId is the keyword identifier of the contents page inside the collection.
    QtHelpService(QString collectionFile, QString contentsId);
    ~QtHelpService() override;
    QtHelpService(const QtHelpService&) = delete;
    QtHelpService& operator=(const QtHelpService&) = delete;

    void showContents(QWidget* owner) override;

    // The help window, once it has been shown; null before and after its owner has gone.
    [[nodiscard]] HelpWindow* window() const;

private:
    QString m_collectionFile;
    QString m_contentsId;
    QPointer<HelpWindow> m_window;
};
