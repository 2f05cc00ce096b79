#pragma once

#include <QByteArrayView>
#include <QtGlobal>
#include <memory>
#include <vector>

// Append-only storage for many short byte strings (names, paths) in large blocks: no allocation per string, and
// a string never moves once stored, so views of it stay valid until clear().
class ByteStore {
public:
    using Ref = quint64;

    [[nodiscard]] Ref add(QByteArrayView bytes);
    [[nodiscard]] QByteArrayView at(Ref ref) const;
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
};
