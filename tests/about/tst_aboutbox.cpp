#include "aboutbox.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

class TestAboutBox : public QObject {
    Q_OBJECT
private slots:
    void textFits_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("points");
        QTest::newRow("DejaVu Sans 9") << "DejaVu Sans" << 9;
        QTest::newRow("Noto Sans 14") << "Noto Sans" << 14;
    }
    // Every line of every label shows in full, and nothing overlaps or runs out of the box.
    void textFits()
    {
        QFETCH(QString, family);
        QFETCH(int, points);
        const QFont before = QApplication::font();
        QApplication::setFont(QFont(family, points));
        QWidget mainWindow;
        AboutBox* box = showAbout(&mainWindow);
        QList<QRect> taken;
        for (const char* name : { "lblTitle", "lblVersion", "lblDescription", "cmdOK" }) {
            auto* widget = box->findChild<QWidget*>(QLatin1String(name));
            const auto* label = qobject_cast<QLabel*>(widget);
            const int needed
                = label && label->wordWrap() ? label->heightForWidth(widget->width()) : widget->sizeHint().height();
            QVERIFY2(widget->height() >= needed && widget->width() >= widget->minimumSizeHint().width(), name);
            QVERIFY2(box->rect().contains(widget->geometry()), name);
            for (const QRect& other : std::as_const(taken))
                QVERIFY2(!other.intersects(widget->geometry()), name);
            taken.append(widget->geometry());
        }
        box->close();
        QApplication::setFont(before);
    }

    void closing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("OK button") << QStringLiteral("ok");
        QTest::newRow("close box") << QStringLiteral("close box");
        QTest::newRow("Escape key") << QStringLiteral("escape");
        QTest::newRow("the main window goes") << QStringLiteral("main window");
    }
    void closing()
    {
        QFETCH(QString, how);
        auto mainWindow = std::make_unique<QWidget>();
        mainWindow->show();
        const QPointer<AboutBox> box = showAbout(mainWindow.get());
        QVERIFY(QTest::qWaitForWindowExposed(box));
        QCOMPARE(box->parentWidget(), nullptr);
        QVERIFY(!mainWindow->isEnabled());
        QCOMPARE(box->findChild<QLabel*>(QStringLiteral("lblVersion"))->text(),
            QStringLiteral("Version " VELLUMARK_VERSION));
        QVERIFY(!box->findChild<QLabel*>(QStringLiteral("picIcon"))->pixmap().isNull());
        if (how == QLatin1String("ok"))
            QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
        else if (how == QLatin1String("close box"))
            box->close();
        else if (how == QLatin1String("escape"))
            QTest::keyClick(box, Qt::Key_Escape);
        else
            mainWindow.reset();
        QTRY_VERIFY(box.isNull());
        QVERIFY(!mainWindow || mainWindow->isEnabled());
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
