#include "listingfilereader.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <cstring>

namespace {

enum class FieldStatus { Field, NoMoreFields, EndsInField, Malformed };

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

// CR LF, a lone LF and a lone CR each end one line.
int countLineEnds(const char* from, const char* to)
{
    int count = 0;
    for (const char* p = from; p < to; ++p) {
        if (*p == '\n' || (*p == '\r' && (p + 1 == to || p[1] != '\n')))
            ++count;
    }
    return count;
}

// Folder rows repeat the same one-character size and level marker; sharing them saves an allocation each.
const QString& singleCharacter(char c)
{
    static const std::array<QString, 128> texts = [] {
        std::array<QString, 128> all;
        for (int i = 0; i < 128; ++i)
            all[static_cast<size_t>(i)] = QString(QChar(i));
        return all;
    }();
    return texts[static_cast<unsigned char>(c)];
}

class FieldScanner {
public:
    explicit FieldScanner(QByteArrayView bytes)
        : m_pos(bytes.data())
        , m_end(bytes.data() + bytes.size())
    {
        // An editor may have put a byte-order mark in front; it is no part of the path.
        const QByteArrayView utf8Bom("\xEF\xBB\xBF", 3);
        if (bytes.startsWith(utf8Bom) && QString(m_decoder.decode(utf8Bom)) == QChar(0xFEFF))
            m_pos += utf8Bom.size();
    }

    [[nodiscard]] FieldStatus next(QString& field)
    {
        if (m_atLineStart) {
            while (m_pos < m_end && isLineEnd(*m_pos))
                consumeLineEnd();
        }
        m_fieldLine = m_line;
        if (m_pos == m_end) {
            field.clear();
            const bool fieldAfterComma = m_afterComma;
            m_afterComma = false;
            return fieldAfterComma ? FieldStatus::Field : FieldStatus::NoMoreFields;
        }
        const FieldStatus status = *m_pos == '"' ? quotedField(field) : unquotedField(field);
        return status == FieldStatus::Field ? afterField() : status;
    }

    [[nodiscard]] int fieldLine() const { return m_fieldLine; }
    [[nodiscard]] int line() const { return m_line; }

private:
    FieldStatus quotedField(QString& field)
    {
        const char* const contentStart = ++m_pos;
        const char* segment = m_pos;
        m_unescaped.clear();
        bool escaped = false;
        for (;;) {
            const auto* quote = static_cast<const char*>(std::memchr(m_pos, '"', size_t(m_end - m_pos)));
            if (!quote) {
                m_pos = m_end;
                return FieldStatus::EndsInField;
            }
            if (quote + 1 < m_end && quote[1] == '"') {
                m_unescaped.append(segment, quote + 1 - segment);
                escaped = true;
                m_pos = segment = quote + 2;
                continue;
            }
            m_line += countLineEnds(contentStart, quote);
            if (escaped) {
                m_unescaped.append(segment, quote - segment);
                field = decode(m_unescaped);
            } else {
                field = decode(QByteArrayView(contentStart, quote - contentStart));
            }
            m_pos = quote + 1;
            return FieldStatus::Field;
        }
    }

    FieldStatus unquotedField(QString& field)
    {
        const char* const start = m_pos;
        for (; m_pos < m_end && *m_pos != ',' && !isLineEnd(*m_pos); ++m_pos) {
            if (*m_pos == '"')
                return FieldStatus::Malformed;
        }
        field = decode(QByteArrayView(start, m_pos - start));
        return FieldStatus::Field;
    }

    // A field ends at a comma, a line end or the end of the data; anything else after it is a fault.
    FieldStatus afterField()
    {
        m_afterComma = false;
        m_atLineStart = false;
        if (m_pos == m_end)
            return FieldStatus::Field;
        if (*m_pos == ',') {
            ++m_pos;
            m_afterComma = true;
            return FieldStatus::Field;
        }
        if (isLineEnd(*m_pos)) {
            consumeLineEnd();
            m_atLineStart = true;
            return FieldStatus::Field;
        }
        return FieldStatus::Malformed;
    }

    void consumeLineEnd()
    {
        if (*m_pos == '\r' && m_pos + 1 < m_end && m_pos[1] == '\n')
            ++m_pos;
        ++m_pos;
        ++m_line;
    }

    QString decode(QByteArrayView bytes)
    {
        if (bytes.isEmpty())
            return {};
        if (bytes.size() == 1 && static_cast<unsigned char>(bytes.front()) < 128)
            return singleCharacter(bytes.front());
        return m_decoder.decode(bytes);
    }

    const char* m_pos;
    const char* m_end;
    int m_line = 1;
    int m_fieldLine = 1;
    bool m_atLineStart = true;
    bool m_afterComma = false;
    // Stateless, so that a field cut inside a character cannot spill into the next; every field keeps a
    // leading byte-order mark as a character.
    QStringDecoder m_decoder { QStringConverter::System,
        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom };
    QByteArray m_unescaped;
};

// Turns a scanner status met at some field into the fault it means, given the line its record starts on.
ReadFault faultFor(FieldStatus status, const FieldScanner& scanner, int recordLine)
{
    switch (status) {
    case FieldStatus::Field:
        return {};
    case FieldStatus::NoMoreFields:
        return { ReadFault::Kind::EndsInRecord, recordLine, {} };
    case FieldStatus::EndsInField:
        return { ReadFault::Kind::EndsInRecord, scanner.fieldLine(), {} };
    case FieldStatus::Malformed:
        return { ReadFault::Kind::MalformedField, scanner.line(), {} };
    }
    return {};
}

} // namespace

ListingFileContent ListingFileReader::parse(QByteArrayView bytes, int recordLimit)
{
    ListingFileContent content;
    FieldScanner scanner(bytes);
    const FieldStatus first = scanner.next(content.selectedPath);
    if (first == FieldStatus::NoMoreFields) {
        content.fault = { ReadFault::Kind::NoListing, 1, {} };
        return content;
    }
    if (first != FieldStatus::Field) {
        content.selectedPath.clear();
        content.fault = faultFor(first, scanner, 1);
        return content;
    }
    content.hasSelectedPath = true;
    // A row line takes at least 12 bytes; reserving from that bound avoids regrowing for large files.
    content.records.reserve(static_cast<size_t>(std::min<qsizetype>(bytes.size() / 12, recordLimit)));

    ListingEntry entry;
    for (;;) {
        const FieldStatus nameStatus = scanner.next(entry.name);
        if (nameStatus == FieldStatus::NoMoreFields)
            break;
        const int recordLine = scanner.fieldLine();
        FieldStatus status = nameStatus;
        if (status == FieldStatus::Field)
            status = scanner.next(entry.size);
        if (status == FieldStatus::Field)
            status = scanner.next(entry.datecreated);
        if (status != FieldStatus::Field) {
            content.fault = faultFor(status, scanner, recordLine);
            break;
        }
        if (entry.name.isEmpty() && entry.size.isEmpty() && entry.datecreated.isEmpty())
            continue;
        if (static_cast<int>(content.records.size()) >= recordLimit) {
            content.limitReached = true;
            break;
        }
        content.records.push_back(std::move(entry));
        entry = {};
    }
    return content;
}

FileReadResult readListingFile(const QString& path)
{
    FileReadResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    result.opened = true;

    // One read of the whole file; a read that fails partway keeps the bytes that came before.
    const QByteArray bytes = file.readAll();
    const QString readError = file.error() == QFileDevice::NoError ? QString() : file.errorString();
    result.content = ListingFileReader::parse(bytes);
    if (!readError.isEmpty() && !result.content.limitReached) {
        const int line = static_cast<int>(bytes.count('\n')) + 1;
        result.content.fault = { ReadFault::Kind::ReadError, line, readError };
    }
    return result;
}
