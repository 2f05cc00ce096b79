#include "cataloguereader.h"

#include "cataloguerecords.h"

#include <cstring>

namespace {

// The lines of a stream, each without its line end.
class LineStream {
public:
    static constexpr qsizetype chunkSize = qsizetype { 64 } * 1024;
    // Far above any record: a path of a thousand parts, each escaped whole.
    static constexpr qsizetype maxLineBytes = qsizetype { 16 } * 1024 * 1024;

    enum class Status { Line, End, TooLong };

    explicit LineStream(const CatalogueByteSource& source)
        : m_source(source)
    {
    }

    [[nodiscard]] Status next(QByteArrayView& line)
    {
        if (m_start >= chunkSize) {
            m_data.remove(0, m_start);
            m_searched -= m_start;
            m_start = 0;
        }
        for (;;) {
            const auto* found = static_cast<const char*>(
                std::memchr(m_data.constData() + m_searched, '\n', size_t(m_data.size() - m_searched)));
            if (found) {
                const qsizetype end = found - m_data.constData();
                take(line, end, end + 1);
                return Status::Line;
            }
            m_searched = m_data.size();
            if (m_data.size() - m_start > maxLineBytes)
                return Status::TooLong;
            // Every line the writer writes ends with a line feed: one without it was cut short.
            if (!more())
                return Status::End;
        }
    }
    // The stream ended at a NUL byte.
    [[nodiscard]] bool notText() const { return m_notText; }
    [[nodiscard]] int lineNumber() const { return m_line; }

private:
    void take(QByteArrayView& line, qsizetype end, qsizetype next)
    {
        qsizetype lineEnd = end;
        if (lineEnd > m_start && m_data.at(lineEnd - 1) == '\r')
            --lineEnd;
        line = QByteArrayView(m_data.constData() + m_start, lineEnd - m_start);
        m_start = m_searched = next;
        ++m_line;
    }

    bool more()
    {
        if (m_ended)
            return false;
        const qsizetype old = m_data.size();
        m_data.resize(old + chunkSize);
        const qsizetype filled = std::max<qsizetype>(m_source(m_data.data() + old, chunkSize), 0);
        m_data.resize(old + filled);
        if (const auto* nul = static_cast<const char*>(std::memchr(m_data.constData() + old, 0, size_t(filled)))) {
            m_data.resize(nul - m_data.constData());
            m_notText = true;
        }
        m_ended = filled == 0 || m_notText;
        return m_data.size() > old;
    }

    const CatalogueByteSource& m_source;
    QByteArray m_data;
    qsizetype m_start = 0;
    qsizetype m_searched = 0;
    int m_line = 0;
    bool m_ended = false;
    bool m_notText = false;
};

using Fault = CatalogueContent::Fault;

// Where a stream that ended, or a line too long to be a record, leaves the reading.
Fault faultAtEnd(LineStream::Status status, const LineStream& lines, Fault otherwise)
{
    if (status == LineStream::Status::TooLong)
        return Fault::MalformedRecord;
    return lines.notText() ? Fault::NotText : otherwise;
}

void readRecords(LineStream& lines, CatalogueContent& content, qint64 recordLimit)
{
    CatalogueRecordDecoder decoder;
    QByteArrayView line;
    LineStream::Status status = lines.next(line);
    if (status == LineStream::Status::Line && !decoder.readSelectedPath(line, content.selectedPath)) {
        content.fault = Fault::MalformedRecord;
        return;
    }
    content.hasSelectedPath = status == LineStream::Status::Line;
    ListingTable beyondLimit;
    while (status == LineStream::Status::Line) {
        status = lines.next(line);
        if (status != LineStream::Status::Line)
            break;
        if (line == CatalogueRecords::recordsEnd)
            return;
        const bool full = content.records.size() >= recordLimit;
        const CatalogueRecordDecoder::Line read = decoder.readEntry(line, full ? beyondLimit : content.records);
        if (read == CatalogueRecordDecoder::Line::Malformed) {
            content.fault = Fault::MalformedRecord;
            return;
        }
        if (full && read == CatalogueRecordDecoder::Line::Entry) {
            content.limitReached = true;
            return;
        }
    }
    content.fault = faultAtEnd(status, lines, Fault::EndsInRecords);
}

} // namespace

CatalogueContent readCatalogue(const CatalogueByteSource& source, qint64 recordLimit)
{
    CatalogueContent content;
    LineStream lines(source);
    QByteArrayView line;
    LineStream::Status status = LineStream::Status::Line;
    while ((status = lines.next(line)) == LineStream::Status::Line && line != CatalogueRecords::recordsStart) { }
    if (status == LineStream::Status::Line)
        readRecords(lines, content, recordLimit);
    else
        content.fault = faultAtEnd(status, lines, Fault::NoRecords);
    content.line = lines.lineNumber() + (content.fault == Fault::EndsInRecords ? 1 : 0);
    if (content.fault == Fault::NotText) {
        CatalogueContent none;
        none.fault = Fault::NotText;
        none.line = 1;
        return none;
    }
    return content;
}
