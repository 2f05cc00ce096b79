#include "datetextformatter.h"

#include <QDateTime>
#include <algorithm>
#include <array>
#include <limits>

namespace {
constexpr qint64 secondsPerDay = 86400;

qint64 floorDiv(qint64 a, qint64 b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

template <typename Char> std::optional<qint64> instantOfText(const Char* text, qsizetype size);

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

DateTextFormatter::DateTextFormatter(const QLocale& locale, const QTimeZone& zone)
    : m_locale(locale)
    , m_zone(zone)
    , m_dateFormat(locale.dateFormat(QLocale::ShortFormat))
    , m_timeFormat(withSeconds(locale.timeFormat(QLocale::ShortFormat)))
    , m_plainTime(m_timeFormat == QLatin1String("HH:mm:ss"))
{
}

DateTextFormatter DateTextFormatter::instants(const QTimeZone& zone)
{
    DateTextFormatter formatter(QLocale::c(), zone);
    formatter.m_instants = true;
    formatter.m_dateFormat = QStringLiteral("yyyy-MM-dd");
    return formatter;
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

namespace {
// The time of day, and for an instant its offset from UTC, after the date, a character at a time: digits and
// signs only, so one text serves as UTF-16 and as UTF-8.
template <typename Put> void putTime(const Put& put, int secondsOfDay, std::optional<int> offset)
{
    const auto twoDigits = [&put](int value) {
        put(static_cast<char>('0' + value / 10));
        put(static_cast<char>('0' + value % 10));
    };
    const int parts[] = { secondsOfDay / 3600, secondsOfDay / 60 % 60, secondsOfDay % 60 };
    for (int i = 0; i < 3; ++i) {
        if (i > 0)
            put(':');
        twoDigits(parts[i]);
    }
    if (offset) {
        const int minutes = (*offset < 0 ? -*offset : *offset) / 60;
        put(*offset < 0 ? '-' : '+');
        twoDigits(minutes / 60);
        put(':');
        twoDigits(minutes % 60);
    }
}
}

QString DateTextFormatter::textAt(qint64 utcSeconds)
{
    const qint64 local = utcSeconds + offsetAt(utcSeconds);
    const qint64 day = floorDiv(local, secondsPerDay);
    const int secondsOfDay = static_cast<int>(local - day * secondsPerDay);
    const QString& date = dateText(day);
    if (!m_plainTime && !m_instants)
        return date + QLatin1Char(' ') + timeText(secondsOfDay);
    // One allocation per file: the walk formats tens of thousands of these.
    QString text;
    text.reserve(date.size() + 15);
    text.append(date);
    text.append(QLatin1Char(' '));
    putTime([&text](char c) { text.append(QLatin1Char(c)); }, secondsOfDay,
        m_instants ? std::optional<int>(static_cast<int>(local - utcSeconds)) : std::nullopt);
    return text;
}

QByteArray DateTextFormatter::formatUtf8(qint64 utcSeconds)
{
    QByteArray text;
    formatUtf8(utcSeconds, text);
    return text;
}

void DateTextFormatter::formatUtf8(qint64 utcSeconds, QByteArray& text)
{
    if (!m_instants) {
        text = format(utcSeconds).toUtf8();
        return;
    }
    // A listing writes one per file: straight into the caller's buffer, which keeps its room from file to file,
    // with the date's bytes kept per day.
    const qint64 local = utcSeconds + offsetAt(utcSeconds);
    const qint64 day = floorDiv(local, secondsPerDay);
    if (day != m_lastByteDay || m_lastDayBytes.isNull()) {
        auto date = m_dateBytesByDay.find(day);
        if (date == m_dateBytesByDay.end())
            date = m_dateBytesByDay.insert(day, dateText(day).toUtf8());
        m_lastByteDay = day;
        m_lastDayBytes = *date;
    }
    constexpr qsizetype timeSize = 15; // " HH:mm:ss+hh:mm"
    text.resize(m_lastDayBytes.size() + timeSize);
    char* out = std::copy(m_lastDayBytes.cbegin(), m_lastDayBytes.cend(), text.data());
    *out++ = ' ';
    putTime([&out](char c) { *out++ = c; }, static_cast<int>(local - day * secondsPerDay),
        static_cast<int>(local - utcSeconds));
}

const QByteArray& RecentDateTexts::utf8(qint64 utcSeconds)
{
    if (!m_texts) {
        m_dates = std::make_unique<DateTextFormatter>(DateTextFormatter::instants());
        m_texts = std::make_unique<std::array<Text, 256>>();
    }
    Text& text = (*m_texts)[static_cast<size_t>(utcSeconds) % m_texts->size()];
    if (text.bytes.isNull() || text.utcSeconds != utcSeconds) {
        m_dates->formatUtf8(utcSeconds, text.bytes);
        text.utcSeconds = utcSeconds;
    }
    return text.bytes;
}

int DateTextFormatter::offsetAt(qint64 utcSeconds)
{
    if (m_lastSpan < m_spans.size() && m_spans[m_lastSpan].holds(utcSeconds))
        return m_spans[m_lastSpan].offset;
    const auto after = std::upper_bound(m_spans.begin(), m_spans.end(), utcSeconds,
        [](qint64 seconds, const OffsetSpan& span) { return seconds < span.from; });
    if (after != m_spans.begin() && std::prev(after)->holds(utcSeconds)) {
        m_lastSpan = static_cast<size_t>(std::prev(after) - m_spans.begin());
        return m_spans[m_lastSpan].offset;
    }
    const int offset = m_zone.offsetFromUtc(QDateTime::fromSecsSinceEpoch(utcSeconds, Qt::UTC));
    if (const std::optional<OffsetSpan> span = spanAt(utcSeconds, offset)) {
        m_lastSpan = static_cast<size_t>(m_spans.insert(after, *span) - m_spans.begin());
    }
    return offset;
}

// The span around utcSeconds in which the offset stays as it is there; none where the zone cannot say.
std::optional<DateTextFormatter::OffsetSpan> DateTextFormatter::spanAt(qint64 utcSeconds, int offset) const
{
    constexpr qint64 earliest = std::numeric_limits<qint64>::min();
    constexpr qint64 latest = std::numeric_limits<qint64>::max();
    if (!m_zone.hasTransitions()) {
        // Without transitions the offset changes only where the zone keeps a daylight-saving rule.
        if (m_zone.hasDaylightTime())
            return std::nullopt;
        return OffsetSpan { earliest, latest, offset };
    }
    const QDateTime at = QDateTime::fromSecsSinceEpoch(utcSeconds, Qt::UTC);
    const auto instant = [](const QTimeZone::OffsetData& transition, qint64 none) {
        return transition.atUtc.isValid() && transition.offsetFromUtc != std::numeric_limits<int>::min()
            ? transition.atUtc.toSecsSinceEpoch()
            : none;
    };
    // A transition at utcSeconds itself is the span's start.
    const QTimeZone::OffsetData previous = m_zone.previousTransition(at.addSecs(1));
    const QTimeZone::OffsetData next = m_zone.nextTransition(at);
    OffsetSpan span { instant(previous, earliest), instant(next, latest), offset };
    if (!span.holds(utcSeconds) || (span.from != earliest && previous.offsetFromUtc != offset))
        return std::nullopt;
    return span;
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

std::optional<qint64> DateTextFormatter::parseUtf8(QByteArrayView text)
{
    // A leading byte-order mark is not read as a character of the text.
    if (!m_instants || text.startsWith("\xEF\xBB\xBF"))
        return parse(QString::fromUtf8(text));
    const std::optional<qint64> instant = instantOfText(text.data(), text.size());
    if (!instant)
        return std::nullopt;
    formatUtf8(*instant, m_checkBytes);
    if (m_checkBytes != text)
        return std::nullopt;
    return instant;
}

std::optional<qint64> DateTextFormatter::parse(QStringView text)
{
    if (m_instants) {
        const std::optional<qint64> instant = instantOfDateText(text);
        if (!instant || format(*instant) != text)
            return std::nullopt;
        return instant;
    }
    // The time stands after the last blank when written plainly; a locale's time may hold blanks of its own.
    qsizetype split = text.lastIndexOf(QLatin1Char(' '));
    std::optional<int> seconds;
    if (m_plainTime) {
        if (split >= 0)
            seconds = secondsOfTimeText(text.sliced(split + 1));
    } else {
        for (split = text.indexOf(QLatin1Char(' ')); split >= 0 && !seconds;)
            if (!(seconds = secondsOfTimeText(text.sliced(split + 1))))
                split = text.indexOf(QLatin1Char(' '), split + 1);
    }
    if (!seconds)
        return std::nullopt;
    const std::optional<qint64> day = dayOfText(text.first(split));
    if (!day)
        return std::nullopt;
    const qint64 local = *day * secondsPerDay + *seconds;
    // The offset at the local time read as UTC is close; the offset at that first guess settles it.
    const qint64 utc = local - offsetAt(local - offsetAt(local));
    if (format(utc) != text)
        return std::nullopt;
    return utc;
}

std::optional<qint64> DateTextFormatter::dayOfText(QStringView date)
{
    const QString key = date.toString();
    auto found = m_dayByDate.find(key);
    if (found == m_dayByDate.end()) {
        const QDate parsed = m_locale.toDate(key, m_dateFormat);
        found = m_dayByDate.insert(
            key, parsed.isValid() ? std::optional<qint64>(QDate(1970, 1, 1).daysTo(parsed)) : std::optional<qint64>());
    }
    return *found;
}

std::optional<int> DateTextFormatter::secondsOfTimeText(QStringView time) const
{
    if (m_plainTime) {
        const auto digits = [&time](qsizetype at) {
            const QChar tens = time[at];
            const QChar ones = time[at + 1];
            return tens.isDigit() && ones.isDigit() && tens.unicode() < 128 && ones.unicode() < 128
                ? (tens.unicode() - '0') * 10 + (ones.unicode() - '0')
                : -1;
        };
        if (time.size() != 8 || time[2] != QLatin1Char(':') || time[5] != QLatin1Char(':'))
            return std::nullopt;
        const int hours = digits(0);
        const int minutes = digits(3);
        const int seconds = digits(6);
        if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59)
            return std::nullopt;
        return hours * 3600 + minutes * 60 + seconds;
    }
    const QTime parsed = m_locale.toTime(time.toString(), m_timeFormat);
    return parsed.isValid() ? std::optional<int>(parsed.msecsSinceStartOfDay() / 1000) : std::nullopt;
}

QString DateTextFormatter::timeText(int secondsOfDay) const
{
    return m_locale.toString(QTime(0, 0).addSecs(secondsOfDay), m_timeFormat);
}

namespace {
template <typename Char> std::optional<qint64> instantOfText(const Char* text, qsizetype size)
{
    // yyyy-MM-dd HH:mm:ss+hh:mm, with T for the blank and Z for a zero offset also read.
    static constexpr char pattern[] = "0000-00-00 00:00:00+00:00";
    const bool zulu = size == 20 && text[19] == Char('Z');
    if (size != 25 && !zulu)
        return std::nullopt;
    std::array<qint64, 8> numbers {}; // year, month, day, hour, minute, second, offset hours and minutes
    size_t number = 0;
    for (qsizetype i = 0; i < (zulu ? 19 : 25); ++i) {
        const char expected = pattern[i];
        const auto c = static_cast<char32_t>(text[i]);
        if (expected == '0') {
            if (c < U'0' || c > U'9')
                return std::nullopt;
            numbers[number] = numbers[number] * 10 + (c - U'0');
            if (pattern[i + 1] != '0')
                ++number;
        } else if (!(c == char32_t(expected) || (i == 10 && c == U'T') || (i == 19 && c == U'-'))) {
            return std::nullopt;
        }
    }
    const auto [year, month, day, hour, minute, second, offsetHours, offsetMinutes] = numbers;
    const QDate date(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day));
    if (!date.isValid() || hour > 23 || minute > 59 || second > 59 || offsetHours > 23 || offsetMinutes > 59)
        return std::nullopt;
    const qint64 offset = (!zulu && text[19] == Char('-') ? -1 : 1) * (offsetHours * 3600 + offsetMinutes * 60);
    return (date.toJulianDay() - QDate(1970, 1, 1).toJulianDay()) * secondsPerDay + hour * 3600 + minute * 60 + second
        - offset;
}
}

std::optional<qint64> instantOfDateText(QStringView text) { return instantOfText(text.utf16(), text.size()); }

DateTextComparison::DateTextComparison(const QLocale& locale, const QTimeZone& zone)
    : m_earlierForm(locale, zone)
{
}

bool DateTextComparison::same(const QString& first, const QString& second)
{
    if (first == second)
        return true;
    const std::optional<qint64> a = instantOfDateText(first);
    const std::optional<qint64> b = instantOfDateText(second);
    if (a && b)
        return *a == *b;
    if (!a && !b)
        return false;
    // Written in the earlier form the text of the other date would be this one.
    return m_earlierForm.format(a ? *a : *b) == (a ? second : first);
}
