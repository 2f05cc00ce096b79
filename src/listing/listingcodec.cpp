#include "listingcodec.h"

#include <array>
#include <charconv>

namespace {
// Canonical decimal: digits only, no leading zero but for 0 itself, within range.
std::optional<qint64> canonicalNumber(QByteArrayView text)
{
    if (text.isEmpty() || (text.size() > 1 && text.front() == '0'))
        return std::nullopt;
    qint64 value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || value < 0 || text.front() == '-' || text.front() == '+')
        return std::nullopt;
    return value;
}
}

namespace ListingCodec {

const QString& folderSizeText()
{
    static const QString blank = QStringLiteral(" ");
    return blank;
}

bool isFolderSize(QByteArrayView sizeText) { return sizeText.size() == 1 && sizeText.front() == ' '; }

QString levelMarker(int level)
{
    // Shared texts: every folder row of a listing shows one.
    static const std::array<QString, 6> markers { QStringLiteral(" "), QStringLiteral("1"), QStringLiteral("2"),
        QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5") };
    if (level <= 1)
        return markers[0];
    if (static_cast<size_t>(level - 1) < markers.size())
        return markers[static_cast<size_t>(level - 1)];
    return QString::number(level - 1);
}

std::optional<int> levelFromMarker(QByteArrayView marker)
{
    if (marker.size() == 1 && marker.front() == ' ')
        return 1;
    const std::optional<qint64> below = canonicalNumber(marker);
    if (!below || *below < 1 || *below >= (qint64 { 1 } << 27))
        return std::nullopt;
    return static_cast<int>(*below) + 1;
}

QString sizeText(qint64 size) { return QString::number(size); }

std::optional<qint64> sizeFromText(QByteArrayView text) { return canonicalNumber(text); }

} // namespace ListingCodec
