#include "quotedrecordwriter.h"

#include "bytename.h"

#include <algorithm>
#include <cstring>

void QuotedRecordWriter::reserve(qsizetype bytes) { makeRoom(bytes); }

void QuotedRecordWriter::addField(QByteArrayView bytes)
{
    // Room for every byte doubled, the quotes, a comma and a line end.
    makeRoom(2 * bytes.size() + 5);
    char* out = m_bytes.data() + m_used;
    if (m_recordStarted)
        *out++ = ',';
    *out++ = '"';
    const char* from = bytes.data();
    const char* const end = from + bytes.size();
    while (from < end) {
        const auto* quote = static_cast<const char*>(std::memchr(from, '"', static_cast<size_t>(end - from)));
        const char* const stop = quote ? quote + 1 : end;
        std::memcpy(out, from, static_cast<size_t>(stop - from));
        out += stop - from;
        if (quote)
            *out++ = '"';
        from = stop;
    }
    *out++ = '"';
    m_used = out - m_bytes.data();
    m_recordStarted = true;
}

void QuotedRecordWriter::addPlainField(QByteArrayView bytes)
{
    makeRoom(bytes.size() + 5);
    char* out = m_bytes.data() + m_used;
    if (m_recordStarted)
        *out++ = ',';
    *out++ = '"';
    std::memcpy(out, bytes.data(), static_cast<size_t>(bytes.size()));
    out += bytes.size();
    *out++ = '"';
    m_used = out - m_bytes.data();
    m_recordStarted = true;
}

void QuotedRecordWriter::addField(QStringView text) { addField(toNativeBytes(text)); }

void QuotedRecordWriter::endRecord()
{
    makeRoom(2);
    m_bytes[m_used++] = '\r';
    m_bytes[m_used++] = '\n';
    m_recordStarted = false;
}

void QuotedRecordWriter::makeRoom(qsizetype bytes)
{
    if (m_used + bytes <= m_bytes.size())
        return;
    m_bytes.resize(std::max(m_used + bytes, 2 * m_bytes.size()));
}
