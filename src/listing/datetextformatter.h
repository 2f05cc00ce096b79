#pragma once

#include <QHash>
#include <QLocale>
#include <QString>
#include <QTimeZone>
#include <array>
#include <memory>
#include <optional>
#include <vector>

// Turns a UTC time into a text in a zone's time, and such a text back into the time it was made from: "short
// date, blank, time with seconds" in a locale's form, or, for the dates a listing holds, "2024-02-01
// 03:04:05+01:00": a four-digit year and the offset from UTC, so the text names one instant wherever and whenever
// it is read. An offset from UTC is looked up once for the whole span between two of the zone's transitions and
// date texts once per day, so a walk does not consult the time zone per file.
class DateTextFormatter {
public:
    explicit DateTextFormatter(const QLocale& locale = QLocale(), const QTimeZone& zone = QTimeZone::systemTimeZone());
    // The form a listing's creation dates take.
    [[nodiscard]] static DateTextFormatter instants(const QTimeZone& zone = QTimeZone::systemTimeZone());

    [[nodiscard]] QString format(qint64 utcSeconds);
    // The same text as UTF-8.
    [[nodiscard]] QByteArray formatUtf8(qint64 utcSeconds);
    // The same into text, whose room is reused: a save formats millions.
    void formatUtf8(qint64 utcSeconds, QByteArray& text);
    // The UTC time whose text this is: none unless format() gives back exactly this text.
    [[nodiscard]] std::optional<qint64> parse(QStringView text);
    // The same for a text in UTF-8.
    [[nodiscard]] std::optional<qint64> parseUtf8(QByteArrayView text);

private:
    [[nodiscard]] QString textAt(qint64 utcSeconds);
    [[nodiscard]] int offsetAt(qint64 utcSeconds);
    struct OffsetSpan {
        qint64 from = 0; // UTC seconds, inclusive
        qint64 until = 0; // exclusive
        int offset = 0;
        [[nodiscard]] bool holds(qint64 utcSeconds) const { return utcSeconds >= from && utcSeconds < until; }
    };
    [[nodiscard]] std::optional<OffsetSpan> spanAt(qint64 utcSeconds, int offset) const;
    [[nodiscard]] const QString& dateText(qint64 localDay);
    [[nodiscard]] QString timeText(int secondsOfDay) const;
    [[nodiscard]] std::optional<qint64> dayOfText(QStringView date);
    [[nodiscard]] std::optional<int> secondsOfTimeText(QStringView time) const;

    QLocale m_locale;
    QTimeZone m_zone;
    QString m_dateFormat;
    QString m_timeFormat;
    bool m_plainTime = false; // HH:mm:ss, written without the locale machinery
    bool m_instants = false; // the ISO form with the offset
    std::vector<OffsetSpan> m_spans; // in time order, none overlapping
    size_t m_lastSpan = 0;
    QHash<qint64, QString> m_dateByDay;
    QHash<qint64, QByteArray> m_dateBytesByDay;
    qint64 m_lastByteDay = 0;
    QByteArray m_lastDayBytes; // of m_lastByteDay, once one is made
    QByteArray m_checkBytes; // a parsed text written back, to compare with the text read
    QHash<QString, std::optional<qint64>> m_dayByDate;
    // Files made together share a creation second, so they share one text; a few seconds are kept at once
    // because a walk visits files in name order, not in the order they were made.
    struct RecentText {
        std::optional<qint64> utcSeconds;
        QString text;
    };
    std::array<RecentText, 64> m_recent;
};

// The listing's texts of the creation seconds met last, a few hundred of them, each made once: files made
// together share a second, and a walk meets them in name order, not in the order they were made.
class RecentDateTexts {
public:
    [[nodiscard]] const QByteArray& utf8(qint64 utcSeconds);

private:
    struct Text {
        qint64 utcSeconds = 0;
        QByteArray bytes; // null until made
    };
    std::unique_ptr<DateTextFormatter> m_dates; // made at the first date, as are the texts
    std::unique_ptr<std::array<Text, 256>> m_texts;
};

// The instant a date text of the instant form names, in UTC seconds; nothing for any other text.
[[nodiscard]] std::optional<qint64> instantOfDateText(QStringView text);

// Whether two creation-date texts name the same instant. Texts of the instant form are compared as instants;
// one of the locale form (as the program wrote it before, in this locale and the local zone) is compared with
// the other date written in that form; two texts that neither form reads are compared as texts.
class DateTextComparison {
public:
    DateTextComparison(const QLocale& locale = QLocale(), const QTimeZone& zone = QTimeZone::systemTimeZone());
    [[nodiscard]] bool same(const QString& first, const QString& second);

private:
    DateTextFormatter m_earlierForm;
};
