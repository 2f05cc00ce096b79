// Opening a 200 MB listing file: the reader stops at the listing limit, so its peak memory stays far below the
// file's size. bench_openlarge [MB], default 200; the file is made in a temporary folder and removed.
#include "listingfilereader.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

namespace {
long peakResidentKb()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}
}

int main(int argc, char* argv[])
{
    // bench/run.sh passes its tree, which this one does not need: only a number sets the size.
    const long long asked = argc > 1 ? std::atoll(argv[1]) : 0;
    const qint64 megabytes = asked > 0 ? asked : 200;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.txt"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        QByteArray block = "\"/top\"\r\n";
        while (block.size() < (1 << 20))
            block += "\"a file name of a usual length.txt\",\"123456\",\"07/12/2026 08:30:00\"\r\n";
        for (qint64 written = 0; written < megabytes << 20; written += block.size())
            file.write(block);
    }
    const long before = peakResidentKb();
    const FileReadResult read = readListingFile(path);
    const long after = peakResidentKb();
    std::printf("Opened %lld MB: %d records, limit reached %d; peak resident memory +%ld kB (target <= 153600 kB)\n",
        static_cast<long long>(QFile(path).size() >> 20), read.content.records.listcount(), read.content.limitReached,
        after - before);
    return 0;
}
