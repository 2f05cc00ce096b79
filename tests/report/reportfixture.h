#pragma once

#include "listingtable.h"
#include "recordingsurface.h"
#include "reportlayout.h"
#include "reportoptions.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

inline ListingEntry fileRow(const QString& name)
{
    return { name, QStringLiteral("10"), QStringLiteral("1/2/2026 10:00:00") };
}
inline ListingEntry folderRow(const QString& path, const QString& marker)
{
    return { path, QStringLiteral(" "), marker };
}

inline void fill(ListingTable& table, const QList<ListingEntry>& rows)
{
    for (const ListingEntry& row : rows)
        table.updatetable(row.name, row.size, row.datecreated);
}

inline void fillFiles(ListingTable& table, int count)
{
    for (int i = 0; i < count; ++i)
        table.updatetable(QStringLiteral("f%1.txt").arg(i), QStringLiteral("1"), QStringLiteral("d"));
}

// One rendering on the recording surface, with the selected path and the options a test sets.
struct RecordedReport {
    explicit RecordedReport(const ReportGeometry& geometry, double lineHeight = 240, double charWidth = 100)
        : surface(lineHeight, charWidth)
        , layout(
              surface, geometry, options, [this] { return selection; }, QStringLiteral("1/2/2026 10:00:00"))
    {
        if (geometry.newPageBeforeFooter)
            surface.pageBeingDrawn = [this] { return layout.state().pageno; };
    }

    bool draw(const QList<ListingEntry>& rows)
    {
        fill(table, rows);
        return drawReport(layout, table, {});
    }

    // The texts drawn on one page, empty lines left out.
    [[nodiscard]] QStringList textsOn(int page) const
    {
        QStringList texts;
        for (const SurfaceOperation& op : surface.drawnOn(page))
            if (!op.text.isEmpty())
                texts.append(op.text);
        return texts;
    }

    ReportOptions options;
    QString selection = QStringLiteral("/sel");
    ListingTable table;
    RecordingSurface surface;
    ReportLayout layout;
};

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A tool's standard output, empty when it cannot run or fails.
inline QString runTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// -1 while the file is no complete PDF yet.
inline int pdfPages(const QString& path)
{
    const QRegularExpressionMatch match
        = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(runTool(QStringLiteral("pdfinfo"), { path }));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}
