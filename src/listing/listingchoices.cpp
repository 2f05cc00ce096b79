#include "listingchoices.h"

#include <QCoreApplication>

namespace {
template <typename Number> std::optional<Number> wholeNumber(QStringView text, QStringView unbounded, Number none)
{
    if (text.compare(unbounded, Qt::CaseInsensitive) == 0)
        return none;
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    // Digits only: no sign, no blanks, and within the type.
    if (!ok || value < 1 || value >= none || text.front() < u'0' || text.front() > u'9' || text.back() < u'0'
        || text.back() > u'9')
        return std::nullopt;
    return static_cast<Number>(value);
}

QString tr(const char* text) { return QCoreApplication::translate("ListingChoices", text); }
}

namespace ListingChoiceText {

QString depth(int depth) { return depth == ListingChoices::allLevels ? QStringLiteral("all") : QString::number(depth); }

QString limit(qint64 limit)
{
    return limit == ListingChoices::noLimit ? QStringLiteral("none") : QString::number(limit);
}

std::optional<int> parseDepth(QStringView text) { return wholeNumber<int>(text, u"all", ListingChoices::allLevels); }

std::optional<qint64> parseLimit(QStringView text)
{
    return wholeNumber<qint64>(text, u"none", ListingChoices::noLimit);
}

QString limitMessage(qint64 limit)
{
    return tr("Maximum List size of %1 reached").arg(limit) + QStringLiteral("\r\n")
        + tr("List stopped at %1 records").arg(limit);
}

QString depthPhrase(int depth)
{
    if (depth == ListingChoices::defaultDepth)
        return tr("five levels deep");
    if (depth == ListingChoices::allLevels)
        return tr("all levels deep");
    return depth == 1 ? tr("one level deep") : tr("%1 levels deep").arg(depth);
}

}
