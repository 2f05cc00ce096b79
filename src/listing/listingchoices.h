#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <limits>
#include <optional>

// How deep a walk goes and how many entries a listing takes. The defaults are those of the two grids the
// listing was first drawn for; the user may lift either.
struct ListingChoices {
    static constexpr int defaultDepth = 5;
    static constexpr qint64 defaultLimit = 32000;
    static constexpr int allLevels = std::numeric_limits<int>::max();
    static constexpr qint64 noLimit = std::numeric_limits<qint64>::max();

    int depth = defaultDepth; // levels of subfolders listed, from 1
    qint64 limit = defaultLimit; // entries at most, from 1

    [[nodiscard]] bool isDefault() const { return *this == ListingChoices {}; }
    [[nodiscard]] bool listsLevel(int level) const { return level <= depth; }
    [[nodiscard]] bool holdsMore(qint64 entries) const { return entries < limit; }
    bool operator==(const ListingChoices&) const = default;
};

namespace ListingChoiceText {
// "5" or "all"; "32000" or "none": the command line's words.
[[nodiscard]] QString depth(int depth);
[[nodiscard]] QString limit(qint64 limit);
// A whole number from 1, or the word for no bound; none for anything else.
[[nodiscard]] std::optional<int> parseDepth(QStringView text);
[[nodiscard]] std::optional<qint64> parseLimit(QStringView text);

// The message of a listing stopped at its limit, in the program's words for 32000 entries.
[[nodiscard]] QString limitMessage(qint64 limit);
// "five levels deep", "6 levels deep", "all levels deep": how far the walk goes, for the About box.
[[nodiscard]] QString depthPhrase(int depth);
}
