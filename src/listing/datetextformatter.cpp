#include "datetextformatter.h"

#include <QDateTime>

namespace {
constexpr qint64 secondsPerDay = 86400;
constexpr qint64 secondsPerHour = 3600;

qint64 floorDiv(qint64 a, qint64 b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

QString withSeconds(QString format)
{
    if (format.contains(QLatin1Char('s')))
        return format;
    const qsizetype minutes = format.lastIndexOf(QLatin1String("mm"));
    if (minutes >= 0)
        format.insert(minutes + 2, QLatin1String(":ss"));
    return format;
}
}

DateTextFormatter::DateTextFormatter(const QLocale& locale)
    : m_locale(locale)
    , m_zone(QTimeZone::systemTimeZone())
    , m_dateFormat(locale.dateFormat(QLocale::ShortFormat))
    , m_timeFormat(withSeconds(locale.timeFormat(QLocale::ShortFormat)))
    , m_plainTime(m_timeFormat == QLatin1String("HH:mm:ss"))
{
}

QString DateTextFormatter::format(qint64 utcSeconds)
{
    RecentText& recent = m_recent[static_cast<size_t>(utcSeconds) % m_recent.size()];
    if (recent.utcSeconds != utcSeconds) {
        recent.text = textAt(utcSeconds);
        recent.utcSeconds = utcSeconds;
    }
    return recent.text;
}

QString DateTextFormatter::textAt(qint64 utcSeconds)
{
    const qint64 local = utcSeconds + offsetAt(utcSeconds);
    const qint64 day = floorDiv(local, secondsPerDay);
    const int secondsOfDay = static_cast<int>(local - day * secondsPerDay);
    const QString& date = dateText(day);
    if (!m_plainTime)
        return date + QLatin1Char(' ') + timeText(secondsOfDay);
    // One allocation per file: the walk formats tens of thousands of these.
    QString text;
    text.reserve(date.size() + 9);
    text.append(date);
    text.append(QLatin1Char(' '));
    const int parts[] = { secondsOfDay / 3600, secondsOfDay / 60 % 60, secondsOfDay % 60 };
    for (int i = 0; i < 3; ++i) {
        if (i > 0)
            text.append(QLatin1Char(':'));
        text.append(QLatin1Char(static_cast<char>('0' + parts[i] / 10)));
        text.append(QLatin1Char(static_cast<char>('0' + parts[i] % 10)));
    }
    return text;
}

int DateTextFormatter::offsetAt(qint64 utcSeconds)
{
    const qint64 hour = floorDiv(utcSeconds, secondsPerHour);
    auto found = m_offsetByHour.constFind(hour);
    if (found != m_offsetByHour.constEnd())
        return *found;
    const QDateTime at = QDateTime::fromSecsSinceEpoch(utcSeconds, Qt::UTC);
    const int offset = m_zone.offsetFromUtc(at);
    m_offsetByHour.insert(hour, offset);
    return offset;
}

const QString& DateTextFormatter::dateText(qint64 localDay)
{
    auto found = m_dateByDay.find(localDay);
    if (found == m_dateByDay.end()) {
        const QDate date = QDate(1970, 1, 1).addDays(localDay);
        found = m_dateByDay.insert(localDay, m_locale.toString(date, m_dateFormat));
    }
    return *found;
}

QString DateTextFormatter::timeText(int secondsOfDay) const
{
    return m_locale.toString(QTime(0, 0).addSecs(secondsOfDay), m_timeFormat);
}
