// The report of the 32000-entry benchmark tree, printed into a PDF file and opened in the print preview,
// side by side with find over the same tree. Usage: bench_report TREE [PDF]
#include "fakelistingsession.h"
#include "fakeprinterservice.h"
#include "filesystemservice.h"
#include "folderwalk.h"
#include "printpreviewwindow.h"
#include "reportcommands.h"
#include "reportoptions.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>

namespace {
// Resident and peak resident memory in MB, from the kernel's view of this process.
double statusMb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toDouble() / 1024;
    return -1;
}
double residentMb() { return statusMb("VmRSS:"); }
double peakMb() { return statusMb("VmHWM:"); }
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

double findMs(const QString& tree)
{
    std::vector<double> runs;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        QProcess::execute(QStringLiteral("sh"),
            { QStringLiteral("-c"), QStringLiteral("find \"$0\" -maxdepth 6 -printf '%p\\t%s\\t%B@\\n' >/dev/null"),
                tree });
        runs.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(runs.begin(), runs.end());
    return runs[1];
}

QWidget* previewWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String("frmprintpreview") && widget->isVisible())
            return widget;
    return nullptr;
}

bool verdict(const char* what, double value, double limit, const char* unit)
{
    const bool ok = value <= limit;
    std::printf("%-40s %9.1f %-3s (limit %.1f) %s\n", what, value, unit, limit, ok ? "ok" : "OVER");
    return ok;
}
}

int main(int argc, char** argv)
{
    qputenv(
        "QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s TREE [PDF]\n", argv[0]);
        return 2;
    }
    const QString tree = QString::fromLocal8Bit(argv[1]);

    FakeListingSession session;
    FakePrinterService printer;
    QTemporaryDir dir;
    printer.spoolPath = argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.filePath(QStringLiteral("report.pdf"));
    session.services_.printer = &printer;
    session.selection = tree;
    ReportOptions options;
    PosixFileSystemService fileSystem;
    FolderWalk walk(fileSystem, session.table, {});
    static_cast<void>(walk.ShowFileList(tree));

    const double find = findMs(tree);
    std::printf("entries in the listing: %d\n", session.table.listcount());
    std::printf("%-40s %9.1f ms\n", "find", find);

    const double loaded = residentMb();
    resetPeak();
    QElapsedTimer timer;
    timer.start();
    ReportCommands(session, options).printlisting();
    const double printMs = timer.nsecsElapsed() / 1e6;
    const double printPeak = peakMb() - loaded;
    std::printf("PDF: %lld bytes\n", static_cast<long long>(QFile(printer.spoolPath).size()));

    const double beforePreview = residentMb();
    resetPeak();
    timer.restart();
    showPrintPreview(session, options);
    QWidget* window = previewWindow();
    if (!window) {
        std::fprintf(stderr, "the preview did not open\n");
        return 1;
    }
    window->repaint();
    const double previewMs = timer.nsecsElapsed() / 1e6;
    const double previewPeak = peakMb() - beforePreview;
    std::printf("preview: %s\n", qPrintable(window->findChild<QLabel*>(QStringLiteral("Label1"))->text()));

    auto* pageDown = window->findChild<QAbstractButton*>(QStringLiteral("picpagedown"));
    constexpr int pagings = 20;
    timer.restart();
    for (int i = 0; i < pagings; ++i) {
        QTest::mouseClick(pageDown, Qt::LeftButton);
        window->repaint();
    }
    const double pagingMs = timer.nsecsElapsed() / 1e6 / pagings;
    window->close();

    bool ok = true;
    ok &= verdict("report to PDF", printMs, 6 * find, "ms");
    ok &= verdict("report to PDF, peak memory above listing", printPeak, 30, "MB");
    ok &= verdict("preview open, page 1 shown", previewMs, 4 * find, "ms");
    ok &= verdict("preview, peak memory above listing", previewPeak, 60, "MB");
    ok &= verdict("preview, one Page Down shown", pagingMs, 50, "ms");
    return ok ? 0 : 1;
}
