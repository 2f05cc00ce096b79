#pragma once

#include <QByteArrayView>
#include <QtGlobal>
#include <memory>
#include <vector>

// Append-only storage for many short byte strings (names, paths) in large blocks: no allocation per string, and
// a string never moves once stored, so views of it stay valid until clear().
//
// A string is found again by four bytes: a reference counted from a mark taken before it was added. Whatever the
// store's size, the strings added after one mark stay reachable from it while they start fewer than
// marksReach blocks later; a holder takes a new mark for every few thousand strings.
class ByteStore {
public:
    using Mark = quint32;
    using Ref = quint32;
    static constexpr int offsetBits = 20;
    static constexpr qsizetype marksReach = qsizetype { 1 } << (32 - offsetBits);
    static constexpr qsizetype defaultLargestBlock = qsizetype { 1 } << offsetBits;

    // A smaller largest block lets tests reach the references' edges with few strings.
    explicit ByteStore(qsizetype largestBlock = defaultLargestBlock);

    [[nodiscard]] Mark mark() const;
    [[nodiscard]] Ref add(QByteArrayView bytes, Mark from);
    [[nodiscard]] QByteArrayView at(Mark from, Ref ref) const;
    void clear();
    // Bytes held by the blocks, used or not.
    [[nodiscard]] qint64 allocatedBytes() const { return m_allocated; }

private:
    struct Block {
        std::unique_ptr<char[]> data;
        qsizetype capacity = 0;
        qsizetype used = 0;
    };
    void startBlock(qsizetype needed);

    std::vector<Block> m_blocks;
    qint64 m_allocated = 0;
    qsizetype m_largestBlock = defaultLargestBlock;
};
