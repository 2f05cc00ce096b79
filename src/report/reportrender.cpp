#include "reportrender.h"

#include "apptitle.h"
#include "printersurface.h"
#include "reportlayout.h"
#include "stagedfile.h"

#include <QCoreApplication>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrinter>

ReportRenderOutcome renderPages(
    QPagedPaintDevice& device, const DrawPages& drawPages, const std::function<bool(int pages)>& afterRow)
{
    PrinterSurface surface(device);
    const bool finished = drawPages(surface, [&] {
        if (surface.failed())
            return false;
        return !afterRow || afterRow(surface.pagesStarted());
    });
    ReportRenderOutcome outcome;
    outcome.failed = surface.failed();
    outcome.finished = finished && !outcome.failed;
    outcome.pages = surface.pagesStarted();
    return outcome;
}

namespace {
DrawPages reportPages(const ListingTable& table, const ReportOptions& options,
    const std::function<QString()>& selectedPath, const QDateTime& runDate)
{
    return [&table, &options, &selectedPath, runDate](ReportSurface& surface, const std::function<bool()>& afterRow) {
        ReportLayout layout(surface, ReportGeometry::printer(), options, selectedPath, runDateText(runDate));
        return drawReport(layout, table, afterRow);
    };
}

// The PDF engine ignores short writes, so the bytes are gathered here and handed to the staged file in chunks;
// the first failure keeps its reason.
class StagedPdfDevice final : public QIODevice {
public:
    explicit StagedPdfDevice(StagedFile& file)
        : m_file(file)
    {
    }

    bool openFile()
    {
        if (!m_file.isOpen() && !m_file.open())
            return false;
        return open(QIODevice::WriteOnly);
    }
    bool finish() { return !m_failed && flushPending(); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* /*data*/, qint64 /*maxSize*/) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        if (m_failed)
            return -1;
        m_pending.append(data, size);
        if (m_pending.size() >= chunk && !flushPending())
            return -1;
        return size;
    }

private:
    static constexpr qsizetype chunk = 1 << 16;

    bool flushPending()
    {
        m_failed = !m_file.write(m_pending.constData(), m_pending.size());
        m_pending.clear();
        return !m_failed;
    }

    StagedFile& m_file;
    QByteArray m_pending;
    bool m_failed = false;
};
}

ReportRenderOutcome renderReport(QPrinter& printer, const ListingTable& table, const ReportOptions& options,
    const std::function<QString()>& selectedPath, const QDateTime& runDate,
    const std::function<bool(int pages)>& afterRow)
{
    return renderPages(printer, reportPages(table, options, selectedPath, runDate), afterRow);
}

PdfWriteOutcome writePagesPdf(StagedFile& file, const QPageLayout& pageLayout, const DrawPages& drawPages,
    const std::function<bool(int pages)>& afterRow)
{
    constexpr int pdfResolution = 1200; // a high-resolution QPrinter's, so both draw the same pages
    StagedPdfDevice device(file);
    if (!device.openFile())
        return { false, file.reason(), 0 };
    ReportRenderOutcome drawn;
    {
        QPdfWriter writer(&device);
        writer.setResolution(pdfResolution);
        writer.setPageLayout(pageLayout);
        writer.setTitle(Vellumark::applicationTitle());
        writer.setCreator(Vellumark::applicationTitle());
        drawn = renderPages(writer, drawPages, afterRow);
    }
    if (!drawn.finished || !device.finish()) {
        file.discard();
        // A report stopped by afterRow has no system reason; a refused page or end of document without one
        // still needs words.
        QString reason = file.reason();
        if (reason.isEmpty() && drawn.failed)
            reason = QCoreApplication::translate("ReportCommands", "the file could not be written");
        return { false, reason, drawn.pages };
    }
    return { true, {}, drawn.pages };
}

namespace {
PdfWriteOutcome committed(StagedFile& file, PdfWriteOutcome written)
{
    if (written.ok && !file.commit())
        return { false, file.reason(), written.pages };
    return written;
}
}

PdfWriteOutcome writeReportPdf(StagedFile& file, const QPageLayout& pageLayout, const ListingTable& table,
    const ReportOptions& options, const std::function<QString()>& selectedPath, const QDateTime& runDate,
    const std::function<bool(int pages)>& afterRow)
{
    return writePagesPdf(file, pageLayout, reportPages(table, options, selectedPath, runDate), afterRow);
}

PdfWriteOutcome writeReportPdf(const QString& path, const QPageLayout& pageLayout, const ListingTable& table,
    const ReportOptions& options, const std::function<QString()>& selectedPath, const QDateTime& runDate,
    const std::function<bool(int pages)>& afterRow)
{
    StagedFile file(path);
    return committed(file, writeReportPdf(file, pageLayout, table, options, selectedPath, runDate, afterRow));
}

PdfWriteOutcome writePagesPdf(const QString& path, const QPageLayout& pageLayout, const DrawPages& drawPages,
    const std::function<bool(int pages)>& afterRow)
{
    StagedFile file(path);
    return committed(file, writePagesPdf(file, pageLayout, drawPages, afterRow));
}
