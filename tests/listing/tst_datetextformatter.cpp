#include "datetextformatter.h"

#include <QDateTime>
#include <QTest>

// The cached offsets must give what a full conversion in the zone gives, also at and around every transition,
// in zones whose offsets and transitions are not whole hours.
class TestDateTextFormatter : public QObject {
    Q_OBJECT
private slots:
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
            for (const qint64 utc : instants) {
                const QDateTime local = QDateTime::fromSecsSinceEpoch(utc, timeZone);
                QCOMPARE(formatter.format(utc),
                    QLocale::c().toString(local.date(), QLocale::ShortFormat) + ' '
                        + local.time().toString("HH:mm:ss"));
            }
            std::reverse(instants.begin(), instants.end());
        }
    }
};

QTEST_GUILESS_MAIN(TestDateTextFormatter)
#include "tst_datetextformatter.moc"
