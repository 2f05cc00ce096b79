#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

// The program's quoted files, the listing file and the comparison's records alike: every field between double
// quotes, a double quote inside a field written twice, fields separated by commas, every line ended by CR LF.
// Fields are bytes; text is written as the bytes it names (bytename.h), so a name that is not UTF-8 keeps its
// own bytes.
class QuotedRecordWriter {
public:
    void reserve(qsizetype bytes);
    void addField(QByteArrayView bytes);
    void addField(QStringView text);
    // A field the program made itself, which holds no quote: a size's digits, a date.
    void addPlainField(QByteArrayView bytes);
    void endRecord();
    [[nodiscard]] QByteArray bytes() const { return m_bytes.first(m_used); }
    [[nodiscard]] QByteArrayView written() const { return QByteArrayView(m_bytes).first(m_used); }
    // Forgets what was written, keeping the room: a file written piece by piece reuses it.
    void clear() { m_used = 0; }

private:
    void makeRoom(qsizetype bytes);

    // Written through a cursor: tens of thousands of small appends are the whole cost of a save.
    QByteArray m_bytes; // sized ahead; the first m_used bytes hold the file so far
    qsizetype m_used = 0;
    bool m_recordStarted = false;
};
