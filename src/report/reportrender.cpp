#include "reportrender.h"

#include "apptitle.h"
#include "comparisonreport.h"
#include "printersurface.h"
#include "reportlayout.h"
#include "writeall.h"

#include <QCoreApplication>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

namespace {
// Draws one document's pages on a surface, running the check after every row; returns whether it finished.
using DrawPages = std::function<bool(ReportSurface& surface, const std::function<bool()>& afterRow)>;

ReportRenderOutcome render(
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

DrawPages reportPages(const ListingTable& table, const ReportOptions& options,
    const std::function<QString()>& selectedPath, const QDateTime& runDate)
{
    return [&table, &options, &selectedPath, runDate](ReportSurface& surface, const std::function<bool()>& afterRow) {
        ReportLayout layout(surface, ReportGeometry::printer(), options, selectedPath, runDateText(runDate));
        return drawReport(layout, table, afterRow);
    };
}

DrawPages comparisonPages(const ComparisonReportContent& content)
{
    return [&content](ReportSurface& surface, const std::function<bool()>& afterRow) {
        ComparisonReport report(surface, ComparisonGeometry::printer(), content);
        return report.draw(afterRow);
    };
}

// The PDF engine ignores short writes, and a buffered QSaveFile loses one made while flushing, so the bytes
// are gathered here and handed to an unbuffered save file with writeAll; the first failure keeps its reason.
class SavedPdfDevice final : public QIODevice {
public:
    explicit SavedPdfDevice(const QString& path)
        : m_file(path)
    {
    }

    bool openFile()
    {
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return fail();
        return open(QIODevice::WriteOnly);
    }
    bool commit()
    {
        if (!m_reason.isEmpty() || !flushPending())
            return false;
        return m_file.commit() || fail();
    }
    void discard() { m_file.cancelWriting(); }
    [[nodiscard]] const QString& reason() const { return m_reason; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* /*data*/, qint64 /*maxSize*/) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        if (!m_reason.isEmpty())
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
        if (!writeAll(m_file, m_pending.constData(), m_pending.size()))
            return fail();
        m_pending.clear();
        return true;
    }
    bool fail()
    {
        if (m_reason.isEmpty())
            m_reason = m_file.errorString();
        return false;
    }

    QSaveFile m_file;
    QByteArray m_pending;
    QString m_reason;
};
}

ReportRenderOutcome renderReport(QPrinter& printer, const ListingTable& table, const ReportOptions& options,
    const std::function<QString()>& selectedPath, const QDateTime& runDate,
    const std::function<bool(int pages)>& afterRow)
{
    return render(printer, reportPages(table, options, selectedPath, runDate), afterRow);
}

namespace {
PdfWriteOutcome writePdf(const QString& path, const QPageLayout& pageLayout, const DrawPages& drawPages,
    const std::function<bool(int pages)>& afterRow)
{
    constexpr int pdfResolution = 1200; // a high-resolution QPrinter's, so both draw the same pages
    SavedPdfDevice file(path);
    if (!file.openFile())
        return { false, file.reason(), 0 };
    ReportRenderOutcome drawn;
    {
        QPdfWriter writer(&file);
        writer.setResolution(pdfResolution);
        writer.setPageLayout(pageLayout);
        writer.setTitle(Vellumark::applicationTitle());
        writer.setCreator(Vellumark::applicationTitle());
        drawn = render(writer, drawPages, afterRow);
    }
    if (!drawn.finished || !file.commit()) {
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
}

PdfWriteOutcome writeReportPdf(const QString& path, const QPageLayout& pageLayout, const ListingTable& table,
    const ReportOptions& options, const std::function<QString()>& selectedPath, const QDateTime& runDate,
    const std::function<bool(int pages)>& afterRow)
{
    return writePdf(path, pageLayout, reportPages(table, options, selectedPath, runDate), afterRow);
}

ReportRenderOutcome renderComparison(
    QPrinter& printer, const ComparisonReportContent& content, const std::function<bool(int pages)>& afterRow)
{
    return render(printer, comparisonPages(content), afterRow);
}

PdfWriteOutcome writeComparisonPdf(const QString& path, const QPageLayout& pageLayout,
    const ComparisonReportContent& content, const std::function<bool(int pages)>& afterRow)
{
    return writePdf(path, pageLayout, comparisonPages(content), afterRow);
}
