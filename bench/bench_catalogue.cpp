// `vellumark --html` (and --jsonl) of a whole tree, start-up included, side by side with find over that tree in
// the same run; the page's bytes an entry; then, where headless Chromium and its driver are installed, the page's
// first rows and a search timed in the browser (catalogue_page.py).
// Usage: bench_catalogue TREE [RUNS] [SEARCH]
#include "benchsupport.h"
#include "cataloguewriter.h"
#include "listingfilereader.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <limits>

namespace {

double runMs(int runs, const QStringList& arguments)
{
    return Bench::medianMs(runs, [&] {
        QProcess program;
        program.start(QStringLiteral(VELLUMARK_PROGRAM), arguments);
        program.waitForFinished(-1);
    });
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: bench_catalogue TREE [RUNS] [SEARCH]\n");
        return 2;
    }
    const QString tree = arguments.at(1);
    const int runs = arguments.value(2, QStringLiteral("3")).toInt();
    QTemporaryDir scratch;
    const QString page = scratch.filePath(QStringLiteral("catalogue.html"));
    const QString lines = scratch.filePath(QStringLiteral("listing.jsonl"));
    const QStringList whole = { QStringLiteral("-q"), QStringLiteral("--depth"), QStringLiteral("all"),
        QStringLiteral("--limit"), QStringLiteral("none") };

    // Whole trees, as the walk lists them with every level: find without a depth.
    const double findMs = Bench::medianMs(runs, [&] {
        QProcess find;
        find.setStandardOutputFile(QProcess::nullDevice());
        find.start(QStringLiteral("find"), { tree, QStringLiteral("-printf"), QStringLiteral("%p\\t%s\\t%B@\\n") });
        find.waitForFinished(-1);
    });
    const double htmlMs = runMs(runs, whole + QStringList { QStringLiteral("--html"), page, tree });
    const double jsonlMs = runMs(runs, whole + QStringList { QStringLiteral("--jsonl"), lines, tree });
    QFile jsonl(lines);
    qint64 entries = -1; // the header line is no entry
    if (jsonl.open(QIODevice::ReadOnly))
        while (!jsonl.readLine().isEmpty())
            ++entries;
    const qint64 pageBytes = QFileInfo(page).size();
    std::printf("find                 %8.1f ms\n", findMs);
    std::printf("vellumark --html     %8.1f ms  %.2fx find\n", htmlMs, htmlMs / findMs);
    std::printf("vellumark --jsonl    %8.1f ms  %.2fx find\n", jsonlMs, jsonlMs / findMs);
    std::printf("catalogue            %lld bytes, %lld entries, %.1f bytes an entry\n",
        static_cast<long long>(pageBytes), static_cast<long long>(entries),
        entries > 0 ? double(pageBytes) / double(entries) : 0.0);

    // The program's own share: the page read back into the listing, and the listing written as a page again.
    FileReadResult read;
    const double readMs
        = Bench::medianMs(runs, [&] { read = readListingFile(page, std::numeric_limits<qint64>::max()); });
    CatalogueFacts facts;
    facts.selectedPath = read.content.selectedPath;
    qint64 written = 0;
    const double writeMs = Bench::medianMs(runs, [&] {
        written = 0;
        (void)writeCatalogue(read.content.records, facts, [&](QByteArrayView piece) {
            written += piece.size();
            return true;
        });
    });
    std::printf("read back            %8.1f ms  %.2fx find, %lld entries\n", readMs, readMs / findMs,
        static_cast<long long>(read.content.records.size()));
    std::printf("page written         %8.1f ms  %.2fx find, %lld bytes\n", writeMs, writeMs / findMs,
        static_cast<long long>(written));
    std::fflush(stdout);

    if (!QFileInfo::exists(QStringLiteral("/usr/bin/chromedriver"))) {
        std::printf("no /usr/bin/chromedriver: the page is not timed in the browser\n");
        return 0;
    }
    QStringList browse { QStringLiteral(VELLUMARK_BENCH_DIR "/catalogue_page.py"), page };
    if (arguments.size() > 3)
        browse << arguments.at(3);
    QProcess browser;
    browser.setProcessChannelMode(QProcess::ForwardedChannels);
    browser.start(QStringLiteral("/usr/bin/python3"), browse);
    browser.waitForFinished(-1);
    return browser.exitCode();
}
