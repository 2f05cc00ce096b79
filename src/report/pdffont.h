#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <map>

class QRawFont;

// The dictionaries and streams that describe a TrueType face to a PDF reader, drawn by glyph number
// (Identity-H). Each returns the object's body, without the object's number.
namespace PdfFont {
// A subset's name: a tag of six capitals, a plus and the face's name in letters, digits and hyphens.
[[nodiscard]] QByteArray subsetName(const QRawFont& face, int number);
[[nodiscard]] QByteArray descriptor(const QRawFont& face, const QByteArray& name, int fontFileObject);
// Widths of the glyphs (in ascending order) at 1000 units to the em, unhinted as the text was laid out.
[[nodiscard]] QByteArray cidFont(
    const QRawFont& face, const QByteArray& name, int descriptorObject, const QList<quint32>& glyphs);
[[nodiscard]] QByteArray type0Font(const QByteArray& name, int cidFontObject, int toUnicodeObject);
// The map from glyphs back to the characters they stand for, so the text can be searched and copied.
[[nodiscard]] QByteArray toUnicode(const std::map<quint32, QString>& characters);
}
