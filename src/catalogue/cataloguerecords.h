#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

class ListingTable;

// The listing as a catalogue page carries it: one line of text per entry, read by the page's script to show it
// and by the program to take the listing back exactly as it was. Every cell a listing file would hold is kept:
// typed values where the listing has them, the texts otherwise.
//
//   P<path>                       the selected folder
//   f<name>\t<size>\t<created>    a file; size in bytes or =<text>; created the seconds since the previous
//                                 file's creation time, =<text>, or empty for none
//   d<level>\t<shared>\t<rest>    a folder at a level
//   D<shared>\t<rest>\t<marker>   a folder whose level cell holds some other text
//
// A folder's path shares its first <shared> '/'-separated parts with the previous folder's (the selected folder's
// for the first) and goes on with <rest>. Names and texts are escaped so that the page holds them as text and its
// markup cannot be closed from inside: backslash, tab, line ends, other control bytes and '<' as \\, \t, \n, \r
// and \xHH, and every byte that is not part of valid UTF-8 as \xHH, which keeps the name's bytes.
namespace CatalogueRecords {

// The first line of every catalogue page, by which the program knows one it wrote.
inline constexpr QByteArrayView signature = "<!DOCTYPE html><!-- Vellumark catalogue 1 -->";
// The lines that open and close the records inside the page.
inline constexpr QByteArrayView recordsStart = R"(<script type="text/x-vellumark-listing" id="listing-records">)";
inline constexpr QByteArrayView recordsEnd = "</script>";

void appendEscaped(QByteArray& out, QByteArrayView bytes);
// The bytes an escaped text stands for; false for a text appendEscaped does not write.
[[nodiscard]] bool unescape(QByteArrayView text, QByteArray& bytes);

} // namespace CatalogueRecords

// Writes the record lines of one listing, in order.
class CatalogueRecordEncoder {
public:
    explicit CatalogueRecordEncoder(QByteArrayView selectedPath);

    // Line P; the first line.
    void appendSelectedPath(QByteArray& out) const;
    void appendEntry(QByteArray& out, const ListingTable& table, qsizetype i);

private:
    void appendFolder(QByteArray& out, const ListingTable& table, qsizetype i);

    QByteArray m_previousFolder; // escaped
    qint64 m_previousTime = 0;
    QByteArray m_escaped;
};

// Reads the record lines back into a listing.
class CatalogueRecordDecoder {
public:
    enum class Line { Entry, Empty, Malformed };

    // The first line; false when it is not a line P.
    [[nodiscard]] bool readSelectedPath(QByteArrayView line, QByteArray& path);
    // Appends the entry a line stands for; a record of three empty cells takes no place, as in a listing file.
    [[nodiscard]] Line readEntry(QByteArrayView line, ListingTable& table);

private:
    [[nodiscard]] Line readFile(QByteArrayView line, ListingTable& table);
    [[nodiscard]] Line readFolder(QByteArrayView line, bool marked, ListingTable& table);
    [[nodiscard]] bool folderPath(QByteArrayView shared, QByteArrayView rest);

    QByteArray m_previousFolder; // escaped
    qint64 m_previousTime = 0;
    QByteArray m_name;
    QByteArray m_size;
    QByteArray m_date;
};
