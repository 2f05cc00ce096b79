#pragma once

#include <QHash>
#include <QLocale>
#include <QString>
#include <QTimeZone>
#include <array>
#include <optional>

// Turns a UTC time into "short date, blank, time with seconds" in local time. Offsets from UTC are looked up
// once per hour of time and date texts once per day, so a walk does not consult the time zone per file.
class DateTextFormatter {
public:
    explicit DateTextFormatter(const QLocale& locale = QLocale());

    [[nodiscard]] QString format(qint64 utcSeconds);

private:
    [[nodiscard]] QString textAt(qint64 utcSeconds);
    [[nodiscard]] int offsetAt(qint64 utcSeconds);
    [[nodiscard]] const QString& dateText(qint64 localDay);
    [[nodiscard]] QString timeText(int secondsOfDay) const;

    QLocale m_locale;
    QTimeZone m_zone;
    QString m_dateFormat;
    QString m_timeFormat;
    bool m_plainTime = false; // HH:mm:ss, written without the locale machinery
    QHash<qint64, int> m_offsetByHour;
    QHash<qint64, QString> m_dateByDay;
    // Files made together share a creation second, so they share one text; a few seconds are kept at once
    // because a walk visits files in name order, not in the order they were made.
    struct RecentText {
        std::optional<qint64> utcSeconds;
        QString text;
    };
    std::array<RecentText, 64> m_recent;
};
