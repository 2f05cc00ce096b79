#include "datetextformatter.h"

#include <QDateTime>
#include <QTest>
#include <ctime>

// The cached offsets must give what a full local-time conversion gives, also across daylight-saving changes.
class TestDateTextFormatter : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }

    void matchesLocalTime_data()
    {
        QTest::addColumn<qint64>("utc");
        QTest::newRow("epoch") << qint64(0);
        QTest::newRow("winter") << qint64(1700000000);
        QTest::newRow("before spring change") << qint64(1711846799);
        QTest::newRow("after spring change") << qint64(1711846800);
        QTest::newRow("summer midnight local") << qint64(1719784800);
        QTest::newRow("before epoch") << qint64(-86399);
    }
    void matchesLocalTime()
    {
        QFETCH(qint64, utc);
        DateTextFormatter formatter(QLocale::c());
        const QDateTime local = QDateTime::fromSecsSinceEpoch(utc, Qt::LocalTime);
        const QString expected = QLocale::c().toString(local.date(), QLocale::ShortFormat) + QLatin1Char(' ')
            + local.time().toString(QStringLiteral("HH:mm:ss"));
        // Warm the caches with neighbours, some a round number of seconds away so they may share a slot.
        for (const qint64 neighbour : { utc - 3600, utc - 1024, utc + 64 })
            (void)formatter.format(neighbour);
        QCOMPARE(formatter.format(utc), expected);
        QCOMPARE(formatter.format(utc), expected);
    }
};

QTEST_GUILESS_MAIN(TestDateTextFormatter)
#include "tst_datetextformatter.moc"
