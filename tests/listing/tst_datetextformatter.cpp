#include "datetextformatter.h"

#include <QDateTime>
#include <QTest>

namespace {
QString expectedText(qint64 utc, const QTimeZone& zone)
{
    const QDateTime local = QDateTime::fromSecsSinceEpoch(utc, zone);
    return QLocale::c().toString(local.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + local.time().toString(QStringLiteral("HH:mm:ss"));
}
}

// The cached offsets must give what a full conversion in the zone gives, also at and around every transition,
// in zones whose offsets and transitions are not whole hours.
class TestDateTextFormatter : public QObject {
    Q_OBJECT
private slots:
    void knownInstants_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<qint64>("utc");
        QTest::addColumn<QString>("time");
        const auto at = [](const char* iso) { return QDateTime::fromString(iso, Qt::ISODate).toSecsSinceEpoch(); };
        QTest::newRow("Lord Howe, 15 minutes into summer time")
            << QByteArray("Australia/Lord_Howe") << at("2026-10-03T15:45:00Z") << "02:45:00";
        QTest::newRow("Kathmandu, from +5:30 to +5:45")
            << QByteArray("Asia/Kathmandu") << at("1985-12-31T18:30:00Z") << "00:15:00";
    }
    void knownInstants()
    {
        QFETCH(QByteArray, zone);
        QFETCH(qint64, utc);
        QFETCH(QString, time);
        DateTextFormatter formatter(QLocale::c(), QTimeZone(zone));
        // Warm the cache on the far side of the transition first.
        (void)formatter.format(utc - 1800);
        QCOMPARE(formatter.format(utc).section(QLatin1Char(' '), -1), time);
    }

    void everyTransition_data()
    {
        QTest::addColumn<QByteArray>("zone");
        for (const char* zone : { "Europe/Berlin", "Australia/Lord_Howe", "Pacific/Chatham", "Asia/Kathmandu",
                 "Australia/Eucla", "America/St_Johns", "UTC" })
            QTest::newRow(zone) << QByteArray(zone);
    }
    // Each transition from 1960 to 2040, a second and half an hour either side, in time order and then reversed.
    void everyTransition()
    {
        QFETCH(QByteArray, zone);
        const QTimeZone timeZone(zone);
        QVERIFY(timeZone.isValid());
        QList<qint64> instants { -86399, 0, 1700000000 };
        const auto transitions = timeZone.transitions(
            QDateTime(QDate(1960, 1, 1), QTime(0, 0), Qt::UTC), QDateTime(QDate(2040, 1, 1), QTime(0, 0), Qt::UTC));
        for (const QTimeZone::OffsetData& transition : transitions)
            for (const qint64 delta : { -1800, -1, 0, 1, 1800 })
                instants << transition.atUtc.toSecsSinceEpoch() + delta;
        DateTextFormatter formatter(QLocale::c(), timeZone);
        for (int pass = 0; pass < 2; ++pass) {
            for (const qint64 utc : instants)
                QCOMPARE(formatter.format(utc), expectedText(utc, timeZone));
            std::reverse(instants.begin(), instants.end());
        }
    }
};

QTEST_GUILESS_MAIN(TestDateTextFormatter)
#include "tst_datetextformatter.moc"
