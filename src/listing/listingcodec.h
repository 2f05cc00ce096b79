#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

enum class EntryKind { File, Folder };

// How the report and the filter treat a row: a file row read from a file with an empty size cell is blank.
enum class RowKind { File, Folder, Blank };

// The cell texts of a listing row and the values they stand for. Everything that shows, writes or reads a
// cell goes through here, so a value and its text never disagree.
namespace ListingCodec {

// A folder's size cell: one blank.
[[nodiscard]] const QString& folderSizeText();
[[nodiscard]] bool isFolderSize(QByteArrayView sizeText);

// The level marker in a folder's date cell: " " for level 1 (a direct subfolder of the selected folder), then
// "1", "2", ... for the levels below it.
[[nodiscard]] QString levelMarker(int level);
// The level a marker stands for; none for any text levelMarker does not write.
[[nodiscard]] std::optional<int> levelFromMarker(QByteArrayView marker);

// A file's size in bytes as decimal text, and back; none for any text sizeText does not write.
[[nodiscard]] QString sizeText(qint64 size);
[[nodiscard]] std::optional<qint64> sizeFromText(QByteArrayView text);

} // namespace ListingCodec
