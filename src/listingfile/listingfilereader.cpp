#include "listingfilereader.h"

#include "bytename.h"
#include "cataloguereader.h"
#include "cataloguerecords.h"
#include "stagedfile.h"

#include <QCoreApplication>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// A window on the bytes of a stream. Bytes are pulled in chunks as the scan needs them, and the bytes before
// the field being scanned are dropped, so memory holds one field and a chunk whatever the stream's length.
class ByteWindow {
public:
    static constexpr qsizetype chunkSize = qsizetype { 64 } * 1024;

    explicit ByteWindow(const ListingFileReader::ByteSource& source)
        : m_source(source)
    {
        m_data.reserve(2 * chunkSize);
    }

    [[nodiscard]] qsizetype size() const { return m_data.size(); }
    [[nodiscard]] const char* data() const { return m_data.constData(); }
    // A NUL byte came: the stream ends just before it.
    [[nodiscard]] bool notText() const { return m_notText; }
    // Pulls the next chunk; false when it brought no byte.
    bool more()
    {
        if (m_ended)
            return false;
        const qsizetype old = m_data.size();
        m_data.resize(old + chunkSize);
        const qsizetype filled = m_source(m_data.data() + old, chunkSize);
        m_data.resize(old + std::max<qsizetype>(filled, 0));
        const auto* nul
            = filled > 0 ? static_cast<const char*>(std::memchr(m_data.constData() + old, 0, size_t(filled))) : nullptr;
        if (nul) {
            m_data.resize(nul - m_data.constData());
            m_notText = true;
        }
        m_ended = filled <= 0 || m_notText;
        return m_data.size() > old; // the bytes before a NUL byte are still read
    }
    // Whether at least count bytes follow from, pulling chunks as needed.
    bool has(qsizetype from, qsizetype count)
    {
        while (size() - from < count)
            if (!more())
                return false;
        return true;
    }
    // Drops the bytes before at, which is then 0; only once a chunk's worth is spent, to move little.
    void dropBefore(qsizetype& at)
    {
        if (at < chunkSize)
            return;
        m_data.remove(0, at);
        at = 0;
    }

private:
    const ListingFileReader::ByteSource& m_source;
    QByteArray m_data;
    bool m_ended = false;
    bool m_notText = false;
};

class FieldScanner {
public:
    // No name or path a walk lists comes near this; a longer field is no listing's, and would cost memory.
    static constexpr qsizetype maxFieldBytes = qsizetype { 1024 } * 1024;

    explicit FieldScanner(const ListingFileReader::ByteSource& source)
        : m_bytes(source)
    {
        // An editor may have put a byte-order mark in front; it is no part of the path.
        if (m_bytes.has(0, 3) && QByteArrayView(m_bytes.data(), 3) == QByteArrayView("\xEF\xBB\xBF", 3))
            m_pos = 3;
    }

    [[nodiscard]] FieldStatus next(QByteArray& field)
    {
        m_bytes.dropBefore(m_pos);
        if (m_atLineStart) {
            while (m_bytes.has(m_pos, 1) && isLineEnd(at(m_pos)))
                consumeLineEnd();
        }
        m_fieldLine = m_line;
        if (!m_bytes.has(m_pos, 1)) {
            field.clear();
            const bool fieldAfterComma = m_afterComma;
            m_afterComma = false;
            return fieldAfterComma ? FieldStatus::Field : FieldStatus::NoMoreFields;
        }
        const FieldStatus status = at(m_pos) == '"' ? quotedField(field) : unquotedField(field);
        return status == FieldStatus::Field ? afterField() : status;
    }

    [[nodiscard]] int fieldLine() const { return m_fieldLine; }
    [[nodiscard]] int line() const { return m_line; }
    // Whether the field just read was the last of its line.
    [[nodiscard]] bool endedLine() const { return !m_afterComma; }
    [[nodiscard]] bool notText() const { return m_bytes.notText(); }

private:
    [[nodiscard]] char at(qsizetype index) const { return m_bytes.data()[index]; }

    FieldStatus quotedField(QByteArray& field)
    {
        const qsizetype contentStart = ++m_pos;
        qsizetype segment = m_pos;
        m_unescaped.clear();
        bool escaped = false;
        for (;;) {
            const char* const base = m_bytes.data();
            const auto* found
                = static_cast<const char*>(std::memchr(base + m_pos, '"', size_t(m_bytes.size() - m_pos)));
            if (!found) {
                m_pos = m_bytes.size();
                if (m_pos - contentStart > maxFieldBytes)
                    return FieldStatus::Malformed;
                if (m_bytes.more())
                    continue;
                return FieldStatus::EndsInField;
            }
            const qsizetype quote = found - base;
            if (m_bytes.has(quote + 1, 1) && at(quote + 1) == '"') {
                m_unescaped.append(m_bytes.data() + segment, quote + 1 - segment);
                escaped = true;
                m_pos = segment = quote + 2;
                continue;
            }
            const char* const content = m_bytes.data() + contentStart;
            m_line += countLineEnds(content, m_bytes.data() + quote);
            if (escaped) {
                m_unescaped.append(m_bytes.data() + segment, quote - segment);
                keep(field, m_unescaped);
            } else {
                keep(field, QByteArrayView(content, quote - contentStart));
            }
            m_pos = quote + 1;
            return FieldStatus::Field;
        }
    }

    FieldStatus unquotedField(QByteArray& field)
    {
        const qsizetype start = m_pos;
        for (;;) {
            for (; m_pos < m_bytes.size() && at(m_pos) != ',' && !isLineEnd(at(m_pos)); ++m_pos) {
                if (at(m_pos) == '"')
                    return FieldStatus::Malformed;
            }
            if (m_pos - start > maxFieldBytes)
                return FieldStatus::Malformed;
            if (m_pos < m_bytes.size() || !m_bytes.more())
                break;
        }
        keep(field, QByteArrayView(m_bytes.data() + start, m_pos - start));
        return FieldStatus::Field;
    }

    // A field ends at a comma, a line end or the end of the data; anything else after it is a fault.
    FieldStatus afterField()
    {
        m_afterComma = false;
        m_atLineStart = false;
        if (!m_bytes.has(m_pos, 1))
            return FieldStatus::Field;
        if (at(m_pos) == ',') {
            ++m_pos;
            m_afterComma = true;
            return FieldStatus::Field;
        }
        if (isLineEnd(at(m_pos))) {
            consumeLineEnd();
            m_atLineStart = true;
            return FieldStatus::Field;
        }
        return FieldStatus::Malformed;
    }

    void consumeLineEnd()
    {
        if (at(m_pos) == '\r' && m_bytes.has(m_pos + 1, 1) && at(m_pos + 1) == '\n')
            ++m_pos;
        ++m_pos;
        ++m_line;
    }

    // Into the field's own buffer, which keeps its room from record to record.
    static void keep(QByteArray& field, QByteArrayView bytes)
    {
        field.resize(bytes.size());
        if (!bytes.isEmpty())
            std::memcpy(field.data(), bytes.data(), size_t(bytes.size()));
    }

    ByteWindow m_bytes;
    qsizetype m_pos = 0;
    int m_line = 1;
    int m_fieldLine = 1;
    bool m_atLineStart = true;
    bool m_afterComma = false;
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

ListingFileContent ListingFileReader::parse(QByteArrayView bytes, qint64 recordLimit)
{
    qsizetype offered = 0;
    const ByteSource source = [&](char* buffer, qsizetype capacity) {
        const qsizetype count = std::min(capacity, bytes.size() - offered);
        if (count > 0) // an empty view may have no data pointer at all
            std::memcpy(buffer, bytes.data() + offered, size_t(count));
        offered += count;
        return count;
    };
    return parse(source, recordLimit);
}

namespace {

// Reads the fields left on the line after `read` of them, for the count a malformed line is named by.
ReadFault wrongCount(FieldScanner& scanner, int line, int read)
{
    int fields = read;
    QByteArray ignored;
    while (!scanner.endedLine() && scanner.next(ignored) == FieldStatus::Field)
        ++fields;
    return { ReadFault::Kind::WrongFieldCount, line, {}, fields };
}

// The three fields of one record: name, size, creation date.
using RecordFields = std::array<QByteArray, 3>;

// Reads one record's three fields from one line; the name has been read.
ReadFault readRecord(FieldScanner& scanner, RecordFields& fields, int recordLine)
{
    for (int i = 0; i < 3; ++i) {
        if (i > 0 && scanner.endedLine())
            return { ReadFault::Kind::WrongFieldCount, recordLine, {}, i };
        if (const FieldStatus status = i == 0 ? FieldStatus::Field : scanner.next(fields[static_cast<size_t>(i)]);
            status != FieldStatus::Field)
            return faultFor(status, scanner, recordLine);
    }
    return scanner.endedLine() ? ReadFault {} : wrongCount(scanner, recordLine, 3);
}

ListingFileContent parseFields(FieldScanner& scanner, qint64 recordLimit)
{
    ListingFileContent content;
    RecordFields fields;
    QByteArray& name = fields[0];
    const FieldStatus first = scanner.next(name);
    if (first == FieldStatus::NoMoreFields) {
        content.fault = { ReadFault::Kind::NoListing, 1, {} };
        return content;
    }
    if (first != FieldStatus::Field || !scanner.endedLine()) {
        content.fault = first != FieldStatus::Field ? faultFor(first, scanner, 1) : wrongCount(scanner, 1, 1);
        return content;
    }
    content.selectedPath = fromNativeBytes(name);
    content.hasSelectedPath = true;

    for (;;) {
        const FieldStatus nameStatus = scanner.next(name);
        if (nameStatus == FieldStatus::NoMoreFields)
            break;
        const int recordLine = scanner.fieldLine();
        content.fault = nameStatus == FieldStatus::Field ? readRecord(scanner, fields, recordLine)
                                                         : faultFor(nameStatus, scanner, recordLine);
        if (content.fault.kind != ReadFault::Kind::None)
            break;
        if (name.isEmpty() && fields[1].isEmpty() && fields[2].isEmpty())
            continue;
        if (content.records.size() >= recordLimit) {
            content.limitReached = true;
            break;
        }
        content.records.appendRecord(name, fields[1], fields[2]);
    }
    return content;
}

} // namespace

namespace {

ListingFileContent fromCatalogue(CatalogueContent&& catalogue)
{
    ListingFileContent content;
    content.selectedPath = fromNativeBytes(catalogue.selectedPath);
    content.hasSelectedPath = catalogue.hasSelectedPath;
    content.records = std::move(catalogue.records);
    content.limitReached = catalogue.limitReached;
    using Fault = CatalogueContent::Fault;
    switch (catalogue.fault) {
    case Fault::None:
        break;
    case Fault::NoRecords:
        content.fault = { ReadFault::Kind::NoListing, 1, {} };
        break;
    case Fault::EndsInRecords:
        content.fault = { ReadFault::Kind::EndsInRecord, catalogue.line, {} };
        break;
    case Fault::MalformedRecord:
        content.fault = { ReadFault::Kind::MalformedField, catalogue.line, {} };
        break;
    case Fault::NotText:
        content.fault = { ReadFault::Kind::NotText, 1, {} };
        break;
    }
    return content;
}

} // namespace

ListingFileContent ListingFileReader::parse(const ByteSource& source, qint64 recordLimit)
{
    // A catalogue page the program wrote says so in its first bytes; its records are read in place of fields.
    QByteArray head(CatalogueRecords::signature.size(), Qt::Uninitialized);
    qsizetype headSize = 0;
    for (qsizetype filled = 1; headSize < head.size() && filled > 0; headSize += filled)
        filled = std::max<qsizetype>(source(head.data() + headSize, head.size() - headSize), 0);
    head.resize(headSize);
    qsizetype replayed = 0;
    const ByteSource replay = [&](char* buffer, qsizetype capacity) -> qsizetype {
        if (replayed == head.size())
            return source(buffer, capacity);
        const qsizetype count = std::min(capacity, head.size() - replayed);
        std::memcpy(buffer, head.constData() + replayed, size_t(count));
        replayed += count;
        return count;
    };
    if (head == CatalogueRecords::signature)
        return fromCatalogue(readCatalogue(replay, recordLimit));

    FieldScanner scanner(replay);
    ListingFileContent content = parseFields(scanner, recordLimit);
    // A file whose reading reached a NUL byte is no listing, whatever came before it. A fault or the limit met
    // before that byte is reported as such, so the outcome does not depend on how the stream was chunked.
    const ReadFault::Kind stop = content.fault.kind;
    const bool reachedEnd = !content.limitReached
        && (stop == ReadFault::Kind::None || stop == ReadFault::Kind::EndsInRecord
            || stop == ReadFault::Kind::NoListing);
    if (scanner.notText() && reachedEnd) {
        ListingFileContent none;
        none.fault = { ReadFault::Kind::NotText, 1, {} };
        return none;
    }
    return content;
}

QString faultText(const ReadFault& fault)
{
    const auto tr = [](const char* text) { return QCoreApplication::translate("ListingFileReader", text); };
    switch (fault.kind) {
    case ReadFault::Kind::None:
        return {};
    case ReadFault::Kind::NoListing:
        return tr("it holds no listing");
    case ReadFault::Kind::EndsInRecord:
        return tr("the file ends inside a record");
    case ReadFault::Kind::MalformedField:
        return tr("a field is malformed");
    case ReadFault::Kind::WrongFieldCount: {
        const int expected = fault.line == 1 ? 1 : 3;
        if (fault.fields == 1)
            return tr("it holds 1 field, not %1").arg(expected);
        return tr("it holds %1 fields, not %2").arg(fault.fields).arg(expected);
    }
    case ReadFault::Kind::NotText:
        return tr("it is not text, so not a listing file");
    case ReadFault::Kind::ReadError:
        return fault.reason;
    }
    return {};
}

FileReadResult readListingFile(const QString& path, qint64 recordLimit, const ReadProgress& progress)
{
    FileReadResult result;
    const QByteArray native = toNativeBytes(path);
    struct stat status { };
    // Only a regular file is opened: opening a pipe or a device could wait for a writer or have effects.
    if (::stat(native.constData(), &status) != 0) {
        result.error = qt_error_string(errno);
        return result;
    }
    const int fd
        = S_ISREG(status.st_mode) ? ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY) : -1;
    if (fd < 0 && S_ISREG(status.st_mode)) {
        result.error = qt_error_string(errno);
        return result;
    }
    if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        result.error = notARegularFileReason(status.st_mode);
        return result;
    }
    result.opened = true;

    // A read that fails partway keeps the records that came before.
    QString readError;
    qint64 lineEnds = 0;
    qint64 bytesRead = 0;
    const ListingFileReader::ByteSource source = [&](char* buffer, qsizetype capacity) -> qsizetype {
        if (progress && !progress(bytesRead, status.st_size)) {
            result.cancelled = true;
            return 0;
        }
        ssize_t filled = 0;
        do
            filled = ::read(fd, buffer, size_t(capacity));
        while (filled < 0 && errno == EINTR);
        if (filled < 0) {
            readError = qt_error_string(errno);
            return 0;
        }
        lineEnds += std::count(buffer, buffer + filled, '\n');
        bytesRead += filled;
        return filled;
    };
    result.content = ListingFileReader::parse(source, recordLimit);
    ::close(fd);
    if (!readError.isEmpty() && !result.content.limitReached)
        result.content.fault = { ReadFault::Kind::ReadError, static_cast<int>(lineEnds) + 1, readError };
    return result;
}
