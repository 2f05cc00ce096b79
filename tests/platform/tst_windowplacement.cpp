#include "windowplacement.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

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
};

QTEST_MAIN(TestWindowPlacement)
#include "tst_windowplacement.moc"
