#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace {

const QString dataDir = QStringLiteral(VELLUMARK_DATA_DIR);
const QString desktopFile = dataDir + QStringLiteral("/vellumark.desktop");
const QString metainfoFile = dataDir + QStringLiteral("/org.vellumark.Vellumark.metainfo.xml");

QString contentOf(const QString& file)
{
    QFile input(file);
    return input.open(QIODevice::ReadOnly) ? QString::fromUtf8(input.readAll()) : QString();
}

}

class TestDesktopFiles : public QObject {
    Q_OBJECT
private slots:
    void validates_data();
    void validates();
    void metainfoNamesThisReleaseAndTheLauncher();
    void iconIsRenderedInEveryThemeSize_data();
    void iconIsRenderedInEveryThemeSize();
};

void TestDesktopFiles::validates_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("desktop entry") << QStringLiteral("desktop-file-validate") << QStringList { desktopFile };
    QTest::newRow("AppStream metainfo") << QStringLiteral(
        "appstreamcli") << QStringList { QStringLiteral("validate"), QStringLiteral("--no-net"), metainfoFile };
}

void TestDesktopFiles::validates()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    const QString executable = QStandardPaths::findExecutable(program);
    if (executable.isEmpty())
        QSKIP(qPrintable(program + QStringLiteral(" is not installed")));
    QProcess validator;
    validator.setProcessChannelMode(QProcess::MergedChannels);
    validator.start(executable, arguments);
    QVERIFY(validator.waitForFinished(60000));
    const QByteArray output = validator.readAll();
    QVERIFY2(validator.exitStatus() == QProcess::NormalExit && validator.exitCode() == 0, output.constData());
}

void TestDesktopFiles::metainfoNamesThisReleaseAndTheLauncher()
{
    const QString metainfo = contentOf(metainfoFile);
    QVERIFY(metainfo.contains(QStringLiteral("<releases>\n    <release version=\"" VELLUMARK_VERSION "\"")));
    QVERIFY(metainfo.contains(QStringLiteral(">vellumark.desktop</launchable>")));
    QVERIFY(metainfo.contains(QStringLiteral("<binary>vellumark</binary>")));
    const QString desktop = contentOf(desktopFile);
    QVERIFY(desktop.contains(QStringLiteral("\nExec=vellumark\n")));
    QVERIFY(desktop.contains(QStringLiteral("\nIcon=vellumark\n")));
}

void TestDesktopFiles::iconIsRenderedInEveryThemeSize_data()
{
    QTest::addColumn<int>("size");
    for (const int size : { 16, 22, 24, 32, 48, 64, 128, 256 })
        QTest::addRow("%dx%d", size, size) << size;
}

void TestDesktopFiles::iconIsRenderedInEveryThemeSize()
{
    QFETCH(int, size);
    const QImage icon(QStringLiteral(VELLUMARK_ICON_DIR "/%1x%1/apps/vellumark.png").arg(size));
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.size(), QSize(size, size));
    QVERIFY(icon.hasAlphaChannel());
    QCOMPARE(qAlpha(icon.pixel(0, size - 1)), 0);
    QVERIFY(qAlpha(icon.pixel(size / 2, size / 2)) > 0);
}

QTEST_GUILESS_MAIN(TestDesktopFiles)
#include "tst_desktopfiles.moc"
