#pragma once

#include <QByteArray>
#include <charconv>
#include <cmath>

// Numbers and hex codes as PDF files spell them, appended without the cost of general formatting.
namespace PdfSyntax {
inline void appendInteger(QByteArray& out, long long value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end - digits);
}

// Hundredths of a point are finer than any printer's dot.
inline void appendNumber(QByteArray& out, double value)
{
    long long hundredths = std::llround(value * 100);
    if (hundredths < 0) {
        out.append('-');
        hundredths = -hundredths;
    }
    appendInteger(out, hundredths / 100);
    if (const long long fraction = hundredths % 100; fraction != 0) {
        out.append('.');
        out.append(char('0' + fraction / 10));
        if (fraction % 10)
            out.append(char('0' + fraction % 10));
    }
}

inline void appendHex16(QByteArray& out, quint32 value)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    for (int shift = 12; shift >= 0; shift -= 4)
        out.append(hex[(value >> shift) & 0xF]);
}
}
