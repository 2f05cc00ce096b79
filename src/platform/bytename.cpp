#include "bytename.h"

namespace {

constexpr char16_t escapeBase = 0xDC00;
constexpr char16_t replacement = 0xFFFD;

bool isEscapedByte(char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }
bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool hasSurrogate(QStringView text)
{
    for (const QChar c : text)
        if (c.isSurrogate())
            return true;
    return false;
}

// The length of the valid UTF-8 sequence at bytes[at], or 0 when the byte there starts none.
int validSequence(const unsigned char* bytes, qsizetype at, qsizetype size, char32_t& code)
{
    const unsigned char lead = bytes[at];
    int length = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (size - at < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        const unsigned char next = bytes[at + i];
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < minimum || code > 0x10FFFF || surrogate ? 0 : length;
}

QString escapedFromBytes(QByteArrayView bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    QString text;
    text.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        if (data[at] < 0x80) {
            text.append(QChar(data[at++]));
            continue;
        }
        char32_t code = 0;
        const int length = validSequence(data, at, bytes.size(), code);
        if (length == 0) {
            text.append(QChar(char16_t(escapeBase + data[at++])));
            continue;
        }
        if (QChar::requiresSurrogates(code)) {
            text.append(QChar(QChar::highSurrogate(code)));
            text.append(QChar(QChar::lowSurrogate(code)));
        } else {
            text.append(QChar(char16_t(code)));
        }
        at += length;
    }
    return text;
}

QByteArray escapedToBytes(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 3);
    qsizetype runStart = 0;
    const auto flush = [&](qsizetype end) { bytes.append(text.mid(runStart, end - runStart).toUtf8()); };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1].unicode())) {
            ++i;
            continue;
        }
        if (isEscapedByte(c)) {
            flush(i);
            bytes.append(char(c - escapeBase));
            runStart = i + 1;
        }
    }
    flush(text.size());
    return bytes;
}

} // namespace

QString fromNativeBytes(QByteArrayView bytes)
{
    // QString::fromUtf8 drops a leading byte-order mark, which in a name is a character of its own.
    if (bytes.isValidUtf8() && !bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes);
    return escapedFromBytes(bytes);
}

QByteArray toNativeBytes(QStringView text)
{
    if (!hasSurrogate(text))
        return text.toUtf8();
    return escapedToBytes(text);
}

int utf8SequenceAt(QByteArrayView bytes, qsizetype at)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    if (data[at] < 0x80)
        return 1;
    char32_t code = 0;
    return validSequence(data, at, bytes.size(), code);
}

QString displayText(const QString& text)
{
    if (!hasSurrogate(text))
        return text;
    QString shown = text;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const char16_t c = shown[i].unicode();
        if (isHighSurrogate(c) && i + 1 < shown.size() && isLowSurrogate(shown[i + 1].unicode()))
            ++i;
        else if (isEscapedByte(c))
            shown[i] = QChar(replacement);
    }
    return shown;
}
