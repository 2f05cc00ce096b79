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

    // A listing's dates name their instant in any zone and locale: four-digit year, the offset from UTC.
    void instantForm_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<qint64>("utc");
        QTest::addColumn<QString>("text");
        QTest::newRow("winter in Berlin")
            << QByteArray("Europe/Berlin") << qint64(1706753045) << "2024-02-01 03:04:05+01:00";
        QTest::newRow("summer in Berlin")
            << QByteArray("Europe/Berlin") << qint64(1719792000) << "2024-07-01 02:00:00+02:00";
        QTest::newRow("half an hour west")
            << QByteArray("America/St_Johns") << qint64(1706753045) << "2024-01-31 22:34:05-03:30";
        QTest::newRow("quarter hour east") << QByteArray("Asia/Kathmandu") << qint64(0) << "1970-01-01 05:30:00+05:30";
        QTest::newRow("1901, not 2001") << QByteArray("UTC") << qint64(-2147483648) << "1901-12-13 20:45:52+00:00";
    }
    void instantForm()
    {
        QFETCH(QByteArray, zone);
        QFETCH(qint64, utc);
        QFETCH(QString, text);
        QCOMPARE(DateTextFormatter::instants(QTimeZone(zone)).format(utc), text);
        QCOMPARE(instantOfDateText(text), std::optional<qint64>(utc));
    }

    void sameInstant_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("same");
        QTest::newRow("one instant, two zones") << "2024-02-01 03:04:05+01:00"
                                                << "2024-02-01 02:04:05Z" << true;
        QTest::newRow("a second apart") << "2024-02-01 03:04:05+01:00"
                                        << "2024-02-01 03:04:06+01:00" << false;
        // Under de_DE in Berlin the program once wrote the short date and the time with seconds.
        QTest::newRow("the earlier form") << "01.02.24 03:04:05"
                                          << "2024-02-01 03:04:05+01:00" << true;
        QTest::newRow("the earlier form, another instant") << "01.02.24 04:04:05"
                                                           << "2024-02-01 03:04:05+01:00" << false;
        QTest::newRow("texts neither form reads") << "yesterday"
                                                  << "Yesterday" << false;
        QTest::newRow("the same unread text") << "yesterday"
                                              << "yesterday" << true;
        QTest::newRow("not a day of the calendar") << "2024-02-30 03:04:05+01:00"
                                                   << "2024-03-01 03:04:05+01:00" << false;
    }
    void sameInstant()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, same);
        DateTextComparison dates(QLocale(QLocale::German, QLocale::Germany), QTimeZone("Europe/Berlin"));
        QCOMPARE(dates.same(first, second), same);
        QCOMPARE(dates.same(second, first), same);
    }
};

QTEST_GUILESS_MAIN(TestDateTextFormatter)
#include "tst_datetextformatter.moc"
