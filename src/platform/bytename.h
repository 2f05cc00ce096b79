#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <QtEndian>
#include <algorithm>
#include <bit>

// Names on disk are bytes, not always valid UTF-8. A byte that is not part of a valid UTF-8 sequence is carried
// in a QString as the lone surrogate U+DC80 to U+DCFF (U+DC00 + byte), so that every name converts back to its
// exact bytes. Such text is turned into bytes only where it meets a file, and shown with U+FFFD in its place.

// Bytes to text: valid UTF-8 as it is (a leading byte-order mark kept), other bytes escaped.
[[nodiscard]] QString fromNativeBytes(QByteArrayView bytes);
// Text to bytes: the exact inverse of fromNativeBytes; other unpaired surrogates become "?".
[[nodiscard]] QByteArray toNativeBytes(QStringView text);
// The length of the valid UTF-8 sequence that starts at bytes[at]: 1 for an ASCII byte, 0 for a byte that
// starts none (the bytes fromNativeBytes escapes).
[[nodiscard]] int utf8SequenceAt(QByteArrayView bytes, qsizetype at);
// How many bytes two byte strings share from their start: names in a folder, and paths, often share many, so
// they are passed over eight at a time. Inline: sorting a folder's names calls it for every pair compared.
[[nodiscard]] inline qsizetype sharedStart(QByteArrayView a, QByteArrayView b)
{
    const auto* left = reinterpret_cast<const unsigned char*>(a.data());
    const auto* right = reinterpret_cast<const unsigned char*>(b.data());
    const qsizetype size = std::min(a.size(), b.size());
    qsizetype at = 0;
    for (; at + 8 <= size; at += 8) {
        const auto different = qFromLittleEndian<quint64>(left + at) ^ qFromLittleEndian<quint64>(right + at);
        if (different != 0)
            return at + std::countr_zero(different) / 8;
    }
    while (at < size && left[at] == right[at])
        ++at;
    return at;
}
// The text for a person to read: every escaped byte shown as U+FFFD.
[[nodiscard]] QString displayText(const QString& text);
