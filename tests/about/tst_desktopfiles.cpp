#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QXmlStreamReader>

namespace {

const QString dataDir = QStringLiteral(VELLUMARK_DATA_DIR);
const QString desktopFile = dataDir + QStringLiteral("/vellumark.desktop");
const QString metainfoFile = dataDir + QStringLiteral("/org.vellumark.Vellumark.metainfo.xml");

// The texts of every element with this name, in document order.
QStringList elementTexts(const QString& file, const QString& element, const QString& attribute = {})
{
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly))
        return {};
    QStringList texts;
    QXmlStreamReader xml(&input);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == element)
            texts.append(attribute.isEmpty() ? xml.readElementText() : xml.attributes().value(attribute).toString());
    }
    return texts;
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
    const QStringList releases = elementTexts(metainfoFile, QStringLiteral("release"), QStringLiteral("version"));
    QVERIFY(!releases.isEmpty());
    QCOMPARE(releases.first(), QStringLiteral(VELLUMARK_VERSION));
    QCOMPARE(
        elementTexts(metainfoFile, QStringLiteral("launchable")), QStringList { QStringLiteral("vellumark.desktop") });

    QSettings desktop(desktopFile, QSettings::IniFormat);
    desktop.beginGroup(QStringLiteral("Desktop Entry"));
    QCOMPARE(desktop.value(QStringLiteral("Exec")).toString(), QStringLiteral("vellumark"));
    QCOMPARE(elementTexts(metainfoFile, QStringLiteral("binary")), QStringList { QStringLiteral("vellumark") });
    QCOMPARE(desktop.value(QStringLiteral("Icon")).toString(), QStringLiteral("vellumark"));
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
