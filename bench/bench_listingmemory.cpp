// bench_listingmemory [TREE]: a million-entry listing filled in memory, shaped as the benchmark tree is (one
// folder row in sixteen, names with commas, quotes and non-ASCII letters, folders as full paths under TREE),
// and the heap it takes per entry, names included.
#include "listingtable.h"

#include <QByteArray>
#include <QDir>
#include <cstdio>
#include <malloc.h>

namespace {
constexpr int entries = 1000000;
constexpr int folderEvery = 16;
constexpr int levels = 8;
const char* const stems[]
    = { "report, final", "notes \"draft\"", "Größe über", "crème brûlée", "plain name", "été", "a,b,c", "ñandú" };
const char* const extensions[] = { "txt", "doc", "htm", "exe", "bmp", "mp3" };

size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd; // small blocks and those mapped on their own
}
}

int main(int argc, char* argv[])
{
    const QByteArray root = QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath()).absolutePath().toUtf8();
    const size_t before = heapInUse();
    ListingTable table;
    {
        std::vector<QByteArray> path { root };
        qint64 nameBytes = 0;
        for (int n = 0; n < entries; ++n) {
            const QByteArray stem = stems[n % std::size(stems)];
            if (n % folderEvery == folderEvery - 1) {
                // Down a level while there is room, else a sibling at a level that cycles through the tree.
                const size_t level
                    = path.size() <= levels ? path.size() : 1 + static_cast<size_t>(n / folderEvery) % levels;
                path.resize(level);
                path.push_back(
                    path.back() + '/' + stem + ' ' + QByteArray::number(level) + '-' + QByteArray::number(n));
                table.appendFolder(path.back(), static_cast<int>(level));
                nameBytes += path.back().size();
            } else {
                const QByteArray name
                    = stem + ' ' + QByteArray::number(n) + '.' + extensions[n % std::size(extensions)];
                table.appendFile(name, n % 97 * 1013, 1700000000 + n);
                nameBytes += name.size();
            }
        }
        std::printf("Names and paths: %.1f bytes an entry on average\n", double(nameBytes) / entries);
    }
    const size_t after = heapInUse();
    std::printf("Listing of %d entries: %.1f bytes an entry on the heap, names included (target <= 64); "
                "%.1f by its own count\n",
        table.listcount(), double(after - before) / entries, double(table.memoryUsed()) / entries);
    return 0;
}
