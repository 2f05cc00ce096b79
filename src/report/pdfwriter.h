#pragma once

#include <QByteArray>
#include <QList>
#include <QRawFont>
#include <QSaveFile>
#include <QSizeF>
#include <map>
#include <memory>
#include <vector>

class QPainterPath;
class QPointF;

// A PDF file of text pages, written one page at a time. Fonts go in as TrueType subsets with a map back to the
// characters, so the text can be searched and copied; glyphs of fonts that cannot go in are drawn as outlines.
// Positions are in points from the page's bottom-left corner, as PDF has them.
class PdfWriter {
public:
    explicit PdfWriter(const QString& path);
    ~PdfWriter();
    PdfWriter(const PdfWriter&) = delete;
    PdfWriter& operator=(const PdfWriter&) = delete;

    [[nodiscard]] bool open(const QString& title, const QString& creator);
    // The number by which text in the font is drawn; -1 when the font cannot be embedded.
    [[nodiscard]] int fontFor(const QRawFont& font);
    void beginPage(const QSizeF& paper);
    // Glyphs laid out by the font's own advances from the baseline's start. `text` holds one character per
    // glyph when it is known; it is what a reader of the file gets back when copying the text.
    void showGlyphs(int font, double points, const QPointF& baseline, const QList<quint32>& glyphs, QStringView text);
    void mapGlyph(int font, quint32 glyph, QStringView text);
    void fillPath(const QPainterPath& path);
    void endPage();
    // Writes what the pages refer to and puts the file in place. False when anything failed.
    [[nodiscard]] bool finish();
    [[nodiscard]] bool failed() const { return m_failed; }

private:
    struct Font {
        QRawFont face;
        QByteArray key;
        int object = 0;
        std::vector<bool> used;
        std::map<quint32, QString> characters;
    };

    int reserveObject();
    void beginObject(int object);
    void writeObject(int object, const QByteArray& body);
    void writeStream(int object, const QByteArray& data, const QByteArray& extraEntries = {});
    void writeFont(const Font& font);
    void put(const QByteArray& bytes);
    void flush();
    void enterText();
    void leaveText();

    QSaveFile m_file;
    QByteArray m_out; // written to the file in large pieces
    qint64 m_flushed = 0;
    std::vector<qint64> m_offsets; // of each object, by number less one
    std::vector<int> m_pageObjects;
    std::vector<std::unique_ptr<Font>> m_fonts;
    int m_lastFont = -1;
    QRawFont m_lastFace;
    QByteArray m_page;
    QSizeF m_paper;
    bool m_inText = false;
    int m_pageFont = -1;
    double m_pagePoints = 0;
    bool m_failed = false;
};
