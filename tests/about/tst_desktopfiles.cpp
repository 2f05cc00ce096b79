#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

namespace {

const QString desktopFile = QStringLiteral(VELLUMARK_DATA_DIR "/vellumark.desktop");
const QString metainfoFile = QStringLiteral(VELLUMARK_DATA_DIR "/org.vellumark.Vellumark.metainfo.xml");
const QString program = QStringLiteral(VELLUMARK_PROGRAM);

}

// The validators check the files' form; what they cannot know is whether the files name what is built.
class TestDesktopFiles : public QObject {
    Q_OBJECT
private slots:
    void validate()
    {
        for (const QStringList& run : { QStringList { "desktop-file-validate", desktopFile },
                 QStringList { "appstreamcli", "validate", "--no-net", metainfoFile } }) {
            if (QStandardPaths::findExecutable(run.first()).isEmpty())
                QSKIP(qPrintable(run.first() + QStringLiteral(" is not installed")));
            QCOMPARE(QProcess::execute(run.first(), run.mid(1)), 0); // what it finds is in the test's output
        }
    }

    void filesNameTheProgramAndItsIcon()
    {
        const QSettings desktop(desktopFile, QSettings::IniFormat);
        QCOMPARE(desktop.value(QStringLiteral("Desktop Entry/Exec")).toString(), program);
        QFile metainfoInput(metainfoFile);
        QVERIFY(metainfoInput.open(QIODevice::ReadOnly));
        const QString metainfo = QString::fromUtf8(metainfoInput.readAll());
        // The newest release comes first.
        QVERIFY(metainfo.contains(QStringLiteral("<releases>\n    <release version=\"" VELLUMARK_VERSION "\"")));
        QVERIFY(metainfo.contains(QStringLiteral(">vellumark.desktop</launchable>")));
        QVERIFY(metainfo.contains(QStringLiteral("<binary>%1</binary>").arg(program)));

        const QString icon = desktop.value(QStringLiteral("Desktop Entry/Icon")).toString();
        for (const QString& sizeText : QStringLiteral(VELLUMARK_ICON_SIZES).split(QLatin1Char(','))) {
            const int size = sizeText.toInt();
            const QImage image(QStringLiteral(VELLUMARK_ICON_DIR "/%1x%1/apps/%2.png").arg(size).arg(icon));
            QCOMPARE(image.size(), QSize(size, size));
            QVERIFY(qAlpha(image.pixel(0, size - 1)) == 0 && qAlpha(image.pixel(size / 2, size / 2)) > 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestDesktopFiles)
#include "tst_desktopfiles.moc"
