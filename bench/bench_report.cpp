// The report of the 32000-entry benchmark tree written as a PDF file, the plain way (drawText per cell) and the
// program's way (rows shaped once, glyph runs), and opened in the print preview, side by side with find over the
// same tree. Usage: bench_report TREE [PDF]
#include "fakelistingsession.h"
#include "fakeprinterservice.h"
#include "filesystemservice.h"
#include "folderwalk.h"
#include "printerservice.h"
#include "printpreviewwindow.h"
#include "reportlayout.h"
#include "reportoptions.h"
#include "reportrender.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
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

// What the report costs without shaping once: every cell laid out and drawn by QPainter::drawText.
class PlainTextSurface final : public ReportSurface {
public:
    explicit PlainTextSurface(QPdfWriter& writer)
        : m_writer(writer)
        , m_painter(&writer)
        , m_pixelsPerTwip(writer.resolution() / 1440.0)
    {
        SetFont(10);
    }
    double CurrentX() const override { return m_x; }
    double CurrentY() const override { return m_y; }
    void setCurrentX(double x) override { m_x = x; }
    void setCurrentY(double y) override { m_y = y; }
    void PrintText(const QString& text) override
    {
        const QPointF at(m_x * m_pixelsPerTwip, m_y * m_pixelsPerTwip + m_painter.fontMetrics().ascent());
        m_painter.drawText(at, text);
        m_x += m_painter.fontMetrics().horizontalAdvance(text) / m_pixelsPerTwip;
    }
    void PrintLine(const QString& text = {}) override
    {
        PrintText(text);
        m_x = 0;
        m_y += m_painter.fontMetrics().lineSpacing() / m_pixelsPerTwip;
    }
    void SetFont(int points) override
    {
        QFont font;
        font.setPointSize(points);
        m_painter.setFont(font);
    }
    void NewPage() override
    {
        static_cast<void>(m_writer.newPage());
        m_x = m_y = 0;
    }
    void EndDoc() override { m_painter.end(); }

private:
    QPdfWriter& m_writer;
    QPainter m_painter;
    double m_pixelsPerTwip;
    double m_x = 0;
    double m_y = 0;
};

double plainPdfMs(const ListingTable& table, const ReportOptions& options, const QString& tree, const QString& path)
{
    QElapsedTimer timer;
    timer.start();
    QPdfWriter writer(path);
    writer.setResolution(1200);
    writer.setPageLayout(PrinterService::fallbackPageLayout());
    PlainTextSurface surface(writer);
    ReportLayout layout(
        surface, ReportGeometry::printer(), options, [&] { return tree; }, runDateText(QDateTime::currentDateTime()));
    static_cast<void>(drawReport(layout, table, {}));
    return timer.nsecsElapsed() / 1e6;
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

    const double plainMs = plainPdfMs(session.table, options, tree, dir.filePath(QStringLiteral("plain.pdf")));
    std::printf("%-40s %9.1f ms\n", "report to PDF, drawText per cell", plainMs);

    const double loaded = residentMb();
    resetPeak();
    QElapsedTimer timer;
    timer.start();
    const PdfWriteOutcome written = writeReportPdf(
        printer.spoolPath, PrinterService::fallbackPageLayout(), session.table, options, [&] { return tree; },
        QDateTime::currentDateTime());
    const double printMs = timer.nsecsElapsed() / 1e6;
    const double printPeak = peakMb() - loaded;
    if (!written.ok)
        std::fprintf(stderr, "the PDF was not written: %s\n", qPrintable(written.reason));
    std::printf("PDF: %d pages, %lld bytes\n", written.pages, static_cast<long long>(QFile(printer.spoolPath).size()));

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
    ok &= verdict("report to PDF, glyph runs shaped once", printMs, 6 * find, "ms");
    ok &= verdict("report to PDF, peak memory above listing", printPeak, 30, "MB");
    ok &= verdict("preview open, page 1 shown", previewMs, 4 * find, "ms");
    ok &= verdict("preview, peak memory above listing", previewPeak, 60, "MB");
    ok &= verdict("preview, one Page Down shown", pagingMs, 50, "ms");
    return ok ? 0 : 1;
}
