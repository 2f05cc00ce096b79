#include "batchrun.h"

#include "bytename.h"
#include "cataloguewriter.h"
#include "commandline.h"
#include "folderwalk.h"
#include "jsonlineswriter.h"
#include "listingfilebytes.h"
#include "listingfilereader.h"
#include "listingfilewriter.h"
#include "listingtable.h"
#include "readaheadfilesystem.h"
#include "reportoptions.h"
#include "stagedfile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <optional>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString native(const QString& path) { return QDir::toNativeSeparators(path); }

// The system's reason why a path is not what is needed, checked before anything opens it: opening a pipe
// would wait for a writer.
QString notA(const QString& path, bool folder)
{
    struct stat status { };
    if (::stat(toNativeBytes(path).constData(), &status) != 0)
        return qt_error_string(errno);
    if (folder && !S_ISDIR(status.st_mode))
        return qt_error_string(ENOTDIR);
    if (!folder && S_ISDIR(status.st_mode))
        return qt_error_string(EISDIR);
    if (!folder && !S_ISREG(status.st_mode))
        return QStringLiteral("not a regular file");
    return {};
}

bool walkFolder(const CommandLine& commandLine, FileSystemService* givenFileSystem, BatchSource& source)
{
    const QString folder = QDir::cleanPath(
        QFileInfo(commandLine.folder.isEmpty() ? QStringLiteral(".") : commandLine.folder).absoluteFilePath());
    source.selectedPath = native(folder);
    if (const QString reason = notA(folder, true); !reason.isEmpty()) {
        say(QStringLiteral("cannot list %1: %2").arg(native(folder), reason));
        return false;
    }
    std::optional<ReadAheadFileSystem> ownFileSystem;
    FileSystemService& fileSystem = givenFileSystem ? *givenFileSystem : ownFileSystem.emplace();
    BatchProgress progress(commandLine.quiet);
    FolderWalk walk(fileSystem, source.table,
        { [&] { progress.show(QStringLiteral("entries listed:"), source.table.listcount(), 500); }, {}, {}, {} },
        commandLine.choices);
    const WalkOutcome outcome = walk.ShowFileList(source.selectedPath);
    progress.finish();
    if (source.table.listcount() == 0) {
        const QString reason
            = outcome.unreadable.empty() ? QStringLiteral("the folder is empty") : outcome.unreadable.front().reason;
        say(QStringLiteral("cannot list %1: %2").arg(source.selectedPath, reason));
        return false;
    }
    for (const UnreadableFolder& unreadable : outcome.unreadable)
        say(QStringLiteral("warning: cannot read %1: %2").arg(native(unreadable.path), unreadable.reason));
    if (outcome.limitReached)
        say(QStringLiteral("warning: the listing stopped at the limit of %1 entries").arg(commandLine.choices.limit));
    source.warned = outcome.limitReached || !outcome.unreadable.empty();
    return true;
}

bool readListing(const CommandLine& commandLine, BatchSource& source)
{
    const QString path = native(QFileInfo(commandLine.listing).absoluteFilePath());
    QString reason = notA(commandLine.listing, false);
    FileReadResult read;
    if (reason.isEmpty()) {
        read = readListingFile(commandLine.listing, commandLine.choices.limit);
        if (!read.opened)
            reason = read.error;
        else if (read.content.fault.kind == ReadFault::Kind::NoListing
            || read.content.fault.kind == ReadFault::Kind::NotText)
            reason = faultText(read.content.fault);
        else if (read.content.fault.kind != ReadFault::Kind::None)
            reason = QStringLiteral("line %1: %2").arg(read.content.fault.line).arg(faultText(read.content.fault));
        else if (read.content.records.size() == 0)
            reason = QStringLiteral("the listing is empty");
    }
    if (!reason.isEmpty()) {
        say(QStringLiteral("cannot open %1: %2").arg(path, reason));
        return false;
    }
    // As the window does, a file longer than the limit gives its first records and a warning.
    if (read.content.limitReached) {
        say(QStringLiteral("warning: %1 holds more than %2 records; the first %2 are kept")
                .arg(path)
                .arg(commandLine.choices.limit));
        source.warned = true;
    }
    source.selectedPath = read.content.selectedPath;
    source.table.replaceWith(std::move(read.content.records));
    return true;
}

bool saveListing(StagedFile& file, const BatchSource& source, const ReportOptions& options)
{
    const QByteArray bytes
        = listingFileBytes(source.table, source.selectedPath, options.filteractive() ? &options : nullptr);
    const SaveOutcome outcome = writeListingFile(file, bytes);
    if (outcome.status == SaveOutcome::Status::Saved)
        return true;
    say(QStringLiteral("cannot save %1: %2").arg(native(file.path()), outcome.reason));
    return false;
}

using ListingExport = bool (*)(const ListingTable&, const CatalogueFacts&, const CatalogueSink&);

// The catalogue page or the JSON Lines, streamed into its staged file.
bool exportListing(StagedFile& file, ListingExport write, const CommandLine& commandLine, const BatchSource& source,
    const ReportOptions& options)
{
    CatalogueFacts facts;
    facts.choices = commandLine.choices;
    facts.selectedPath = source.selectedPath;
    facts.host = QSysInfo::machineHostName();
    facts.version = QCoreApplication::applicationVersion();
    facts.made = QDateTime::currentDateTime();
    facts.filter = options.filteractive() ? &options : nullptr;
    const SaveOutcome outcome
        = writeStagedFile(file, [&](const PieceWriter& piece) { return write(source.table, facts, piece); });
    if (outcome.status == SaveOutcome::Status::Saved)
        return true;
    say(QStringLiteral("cannot save %1: %2").arg(native(file.path()), outcome.reason));
    return false;
}

bool commitAll(std::initializer_list<StagedFile*> files)
{
    for (StagedFile* file : files) {
        if (file->isOpen() && !file->commit()) {
            say(QStringLiteral("cannot save %1: %2").arg(native(file->path()), file->reason()));
            return false;
        }
    }
    return true;
}

void dropQtNotes(QtMsgType type, const QMessageLogContext& /*context*/, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

} // namespace

void say(const QString& line) { std::fprintf(stderr, "vellumark: %s\n", displayText(line).toLocal8Bit().constData()); }

void keepQtNotesOffTheLog() { qInstallMessageHandler(dropQtNotes); }

BatchProgress::BatchProgress(bool quiet)
    : m_shown(!quiet && ::isatty(STDERR_FILENO))
{
}

void BatchProgress::show(const QString& text, int count, int step)
{
    if (!m_shown || count == m_last || count % step != 0)
        return;
    m_last = count;
    std::fprintf(stderr, "\r%s %d", text.toLocal8Bit().constData(), count);
    m_open = true;
}

void BatchProgress::finish()
{
    if (m_open)
        std::fputc('\n', stderr);
    m_open = false;
    m_last = -1;
}

int runBatch(const CommandLine& commandLine, BatchReports* reports, FileSystemService* fileSystem)
{
    if (!commandLine.compareListing.isEmpty())
        return reports->compare(commandLine);
    BatchSource source;
    if (!(commandLine.listing.isEmpty() ? walkFolder(commandLine, fileSystem, source)
                                        : readListing(commandLine, source)))
        return ExitFailed;
    ReportOptions options;
    applyFilter(commandLine, options);
    StagedFile listingFile(commandLine.saveFile);
    StagedFile pdfFile(commandLine.pdfFile);
    if (!commandLine.saveFile.isEmpty() && !saveListing(listingFile, source, options))
        return ExitFailed;
    if (!commandLine.pdfFile.isEmpty() && !reports->writePdf(pdfFile, commandLine, source, options))
        return ExitFailed;
    if (commandLine.print && !reports->print(commandLine, source, options))
        return ExitFailed;
    StagedFile catalogueFile(commandLine.htmlFile);
    if (!commandLine.htmlFile.isEmpty() && !exportListing(catalogueFile, writeCatalogue, commandLine, source, options))
        return ExitFailed;
    StagedFile jsonLinesFile(commandLine.jsonlFile);
    if (!commandLine.jsonlFile.isEmpty() && !exportListing(jsonLinesFile, writeJsonLines, commandLine, source, options))
        return ExitFailed;
    if (!commitAll({ &listingFile, &pdfFile, &catalogueFile, &jsonLinesFile }))
        return ExitFailed;
    return source.warned ? ExitWarnings : ExitDone;
}
