#include "aboutbox.h"
#include "versiontext.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

QWidget* findAboutBox()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String("frmAbout"))
            return widget;
    return nullptr;
}

QString labelText(QWidget* box, const char* name) { return box->findChild<QLabel*>(QLatin1String(name))->text(); }

}

class TestAboutBox : public QObject {
    Q_OBJECT
private slots:
    void versionText_data();
    void versionText();
    void showsTheProgramsIdentity();
    void closingEnablesTheMainWindow_data();
    void closingEnablesTheMainWindow();
    void goesWithTheMainWindow();
};

void TestAboutBox::versionText_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("expected");
    QTest::newRow("this release, zeros kept") << 1 << 0 << 0 << QStringLiteral("Version 1.0.0");
    QTest::newRow("all zero") << 0 << 0 << 0 << QStringLiteral("Version 0.0.0");
    QTest::newRow("several digits") << 2 << 10 << 305 << QStringLiteral("Version 2.10.305");
}

void TestAboutBox::versionText()
{
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, revision);
    QFETCH(QString, expected);
    QCOMPARE(Vellumark::versionText(major, minor, revision), expected);
}

void TestAboutBox::showsTheProgramsIdentity()
{
    QWidget mainWindow;
    mainWindow.show();
    AboutBox* box = showAbout(&mainWindow);
    QVERIFY(box->isVisible());
    QVERIFY(box->isWindow());
    QCOMPARE(box->parentWidget(), nullptr);
    QVERIFY(box->isEnabled());
    QVERIFY(!mainWindow.isEnabled());

    QCOMPARE(box->windowTitle(), QStringLiteral("About Vellumark"));
    QCOMPARE(labelText(box, "lblTitle"), QStringLiteral("Vellumark"));
    QCOMPARE(labelText(box, "lblVersion"), QStringLiteral("Version " VELLUMARK_VERSION));
    QCOMPARE(labelText(box, "lblDescription"),
        QStringLiteral("Vellumark will print the contents of a specified folder including all subfolders."));
    const QPixmap icon = box->findChild<QLabel*>(QStringLiteral("picIcon"))->pixmap();
    QVERIFY(!icon.isNull());
    delete box;
    QVERIFY(mainWindow.isEnabled());
}

void TestAboutBox::closingEnablesTheMainWindow_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("OK button") << QStringLiteral("ok");
    QTest::newRow("close box") << QStringLiteral("close box");
    QTest::newRow("Escape key") << QStringLiteral("escape");
}

void TestAboutBox::closingEnablesTheMainWindow()
{
    QFETCH(QString, how);
    QWidget mainWindow;
    mainWindow.show();
    AboutBox* box = showAbout(&mainWindow);
    QVERIFY(QTest::qWaitForWindowExposed(box));
    QVERIFY(!mainWindow.isEnabled());

    if (how == QLatin1String("ok"))
        QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
    else if (how == QLatin1String("close box"))
        box->close();
    else
        QTest::keyClick(box, Qt::Key_Escape);

    QTRY_COMPARE(findAboutBox(), nullptr);
    QVERIFY(mainWindow.isEnabled());
}

void TestAboutBox::goesWithTheMainWindow()
{
    auto* mainWindow = new QWidget;
    mainWindow->show();
    showAbout(mainWindow);
    delete mainWindow;
    QTRY_COMPARE(findAboutBox(), nullptr);
}

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
