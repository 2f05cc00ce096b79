#include "filedialogservice.h"
#include "windowplacement.h"

#include <QApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTreeView>

// Design widths assume a small font; no caption may be cut off in the font in use.
class TestWindowPlacement : public QObject {
    Q_OBJECT
private slots:
    void captionsAreNotCutOff()
    {
        QWidget window;
        window.setFixedSize(200, 100);
        auto* button = new QPushButton(QStringLiteral("Reset To Defaults"), &window);
        button->setGeometry(150, 10, 20, 20);
        auto* frame = new QGroupBox(QStringLiteral("File Types to Include/Exclude"), &window);
        frame->setGeometry(0, 40, 30, 50);
        auto* wrapped = new QLabel(QStringLiteral("a long description that wraps over several lines"), &window);
        wrapped->setWordWrap(true);
        wrapped->setGeometry(0, 0, 40, 40);

        growToFitTexts(&window);
        QVERIFY(button->width() >= button->sizeHint().width());
        QVERIFY(frame->width() > frame->fontMetrics().horizontalAdvance(frame->title()));
        QCOMPARE(wrapped->width(), 40);
        QVERIFY(window.width() >= button->geometry().right());
    }

    // The file dialogs open wide enough for their detail columns, and within the screen.
    void fileDialogsShowTheirColumns()
    {
        QtFileDialogService dialogs;
        for (const bool save : { false, true }) {
            QSize size;
            int typeWidth = 0;
            QTimer::singleShot(0, this, [&] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                size = dialog->size();
                const QTreeView* view = dialog->findChild<QTreeView*>("treeView");
                typeWidth
                    = view->header()->sectionSize(2) - view->fontMetrics().horizontalAdvance("plain text document");
                dialog->reject();
            });
            const QString chosen = save ? dialogs.getSaveFileName(nullptr, FileDialogService::textFilter())
                                        : dialogs.getOpenFileName(nullptr, FileDialogService::textFilter());
            QVERIFY(chosen.isEmpty());
            QVERIFY(typeWidth > 0);
            QVERIFY(size.width() > 600 || size.width() >= QApplication::primaryScreen()->availableSize().width() * 0.8);
            QVERIFY(size.width() <= QApplication::primaryScreen()->availableSize().width());
        }
    }
};

QTEST_MAIN(TestWindowPlacement)
#include "tst_windowplacement.moc"
