#include "reportrender.h"

#include "pdfsurface.h"
#include "printersurface.h"
#include "reportlayout.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryFile>
#include <memory>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

ReportRenderOutcome renderReport(QPrinter& printer, const ListingTable& table, const ReportOptions& options,
    const std::function<QString()>& selectedPath, const QDateTime& runDate,
    const std::function<bool(int pages)>& afterRow)
{
    std::unique_ptr<PrintedPageSurface> document;
    if (PdfSurface::canWrite(printer))
        document = std::make_unique<PdfSurface>(printer);
    else
        document = std::make_unique<PrinterSurface>(printer);
    PrintedPageSurface& surface = *document;
    ReportLayout layout(surface, ReportGeometry::printer(), options, selectedPath, runDateText(runDate));
    const bool finished = drawReport(layout, table, [&] {
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

// The writer keeps the system's reason to itself; writing more to the cut file asks the system again.
QString reasonForFailedWrite(const QString& temporaryPath)
{
    QFile probe(temporaryPath);
    if (!probe.open(QIODevice::Append | QIODevice::Unbuffered))
        return probe.errorString();
    const QByteArray block(64 * 1024, '\0');
    for (int i = 0; i < 16; ++i)
        if (probe.write(block) != block.size())
            return probe.errorString();
    return QCoreApplication::translate("ReportRender", "the file could not be written");
}

// A new file gets the permissions any program would give it, not the temporary file's private ones.
void takePermissions(const QString& temporaryPath, const QString& path)
{
    if (QFileInfo::exists(path)) {
        QFile::setPermissions(temporaryPath, QFile::permissions(path));
        return;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(temporaryPath).constData(), 0666 & ~mask);
}

} // namespace

QString writeFileReplacing(const QString& path, const std::function<bool(const QString& temporaryPath)>& write)
{
    const QFileInfo target(path);
    QTemporaryFile temporary(
        target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".XXXXXX"));
    if (!temporary.open())
        return temporary.errorString();
    temporary.close();
    if (!write(temporary.fileName()))
        return reasonForFailedWrite(temporary.fileName());
    takePermissions(temporary.fileName(), path);
    if (std::rename(QFile::encodeName(temporary.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
        return qt_error_string(errno);
    temporary.setAutoRemove(false);
    return {};
}
