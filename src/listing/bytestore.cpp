#include "bytestore.h"

#include <algorithm>
#include <cstring>

namespace {
// Blocks grow from small, for the many short listings, to a size whose unused tail is negligible.
constexpr qsizetype firstBlock = qsizetype { 16 } * 1024;
constexpr int maxLengthBytes = 10;
constexpr qsizetype offsetLimit = qsizetype { 1 } << ByteStore::offsetBits;

// The length goes in front of the bytes, seven bits a byte: one byte for any name shorter than 128.
qsizetype putLength(char* out, quint64 length)
{
    qsizetype n = 0;
    do {
        const auto low = static_cast<unsigned char>(length & 0x7F);
        length >>= 7;
        out[n++] = static_cast<char>(length ? low | 0x80 : low);
    } while (length);
    return n;
}
}

ByteStore::ByteStore(qsizetype largestBlock)
    : m_largestBlock(std::clamp<qsizetype>(largestBlock, 1, offsetLimit))
{
}

ByteStore::Mark ByteStore::mark() const { return m_blocks.empty() ? 0 : static_cast<Mark>(m_blocks.size() - 1); }

ByteStore::Ref ByteStore::add(QByteArrayView bytes, Mark from)
{
    const qsizetype needed = bytes.size() + maxLengthBytes;
    // A string longer than a block gets one of its own: it starts at offset 0, which any reference can name.
    if (m_blocks.empty() || m_blocks.back().capacity - m_blocks.back().used < needed
        || m_blocks.back().used >= offsetLimit)
        startBlock(needed);
    const qsizetype blockNumber = static_cast<qsizetype>(m_blocks.size()) - 1;
    if (blockNumber < from || blockNumber - from >= marksReach)
        qFatal("ByteStore: a string was added out of its mark's reach");
    Block& block = m_blocks.back();
    const qsizetype offset = block.used;
    char* out = block.data.get() + offset;
    const qsizetype head = putLength(out, static_cast<quint64>(bytes.size()));
    if (!bytes.isEmpty())
        std::memcpy(out + head, bytes.data(), static_cast<size_t>(bytes.size()));
    block.used += head + bytes.size();
    return (static_cast<Ref>(blockNumber - from) << offsetBits) | static_cast<Ref>(offset);
}

QByteArrayView ByteStore::at(Mark from, Ref ref) const
{
    const Block& block = m_blocks[static_cast<size_t>(from) + (ref >> offsetBits)];
    const char* in = block.data.get() + (ref & static_cast<Ref>(offsetLimit - 1));
    quint64 length = 0;
    int shift = 0;
    for (;;) {
        const auto byte = static_cast<unsigned char>(*in++);
        length |= static_cast<quint64>(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            break;
        shift += 7;
    }
    return { in, static_cast<qsizetype>(length) };
}

void ByteStore::clear()
{
    m_blocks.clear();
    m_allocated = 0;
}

void ByteStore::startBlock(qsizetype needed)
{
    const qsizetype grown = m_blocks.empty() ? std::min(firstBlock, m_largestBlock)
                                             : std::min(m_largestBlock, 2 * m_blocks.back().capacity);
    const qsizetype capacity = std::max(grown, needed);
    m_blocks.push_back({ std::make_unique_for_overwrite<char[]>(static_cast<size_t>(capacity)), capacity, 0 });
    m_allocated += capacity;
}
