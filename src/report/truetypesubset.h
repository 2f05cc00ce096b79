#pragma once

#include <QByteArray>
#include <vector>

class QRawFont;

// Whether a font has fixed TrueType outlines and its licence lets a document carry it.
[[nodiscard]] bool canEmbedTrueType(const QRawFont& font);

// The font as a TrueType file that holds only the outlines of the glyphs marked in `used` (and of the glyphs
// those are built from). Glyph numbers stay as they are, so text drawn with them needs no renumbering.
// Empty when the font cannot be embedded.
[[nodiscard]] QByteArray trueTypeSubset(const QRawFont& font, const std::vector<bool>& used);
