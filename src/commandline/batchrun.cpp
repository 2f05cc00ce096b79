#include "batchrun.h"

#include "bytename.h"
#include "cataloguewriter.h"
#include "commandline.h"
#include "jsonlineswriter.h"
#include "listingfilebytes.h"
#include "listingfilewriter.h"
#include "listingloader.h"
#include "listingtable.h"
#include "readaheadfilesystem.h"
#include "reportoptions.h"
#include "stagedfile.h"
#include "writeall.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <optional>

#include <cstdio>
#include <unistd.h>

namespace {

QString native(const QString& path) { return QDir::toNativeSeparators(path); }

// The folder walked or the listing file read, its warnings and any problem said. A walk puts its rows in
// walkRows as it goes when one is given.
LoadedListing loadListing(
    const CommandLine& commandLine, FileSystemService* givenFileSystem, WalkRows* walkRows = nullptr)
{
    std::optional<ReadAheadFileSystem> ownFileSystem;
    FileSystemService& fileSystem = givenFileSystem ? *givenFileSystem : ownFileSystem.emplace();
    ListingLoader loader(fileSystem);
    loader.choices = commandLine.choices;
    loader.entriesNeeded = true;
    loader.walkRows = walkRows;
    BatchProgress progress(commandLine.quiet);
    loader.entriesListed = [&progress](int entries) { progress.show(QStringLiteral("entries listed:"), entries, 500); };
    LoadedListing loaded
        = commandLine.listing.isEmpty() ? loader.walkFolder(commandLine.folder) : loader.readFile(commandLine.listing);
    progress.finish();
    for (const QString& warning : std::as_const(loaded.warnings))
        say(warning);
    if (!loaded.usable())
        say(loaded.problem);
    return loaded;
}

bool load(const CommandLine& commandLine, FileSystemService* fileSystem, BatchSource& source)
{
    LoadedListing loaded = loadListing(commandLine, fileSystem);
    if (!loaded.usable())
        return false;
    source.selectedPath = loaded.selectedPath;
    source.table = std::move(loaded.table);
    source.warned = !loaded.warnings.isEmpty();
    source.origin = ListingOrigin::from(
        loaded.source == LoadedListing::Source::Folder ? ListingOrigin::Source::Walked : ListingOrigin::Source::Opened,
        loaded.path);
    source.origin.choices = commandLine.choices;
    source.origin.limitReached = loaded.limitReached;
    source.origin.depthReached = loaded.depthReached;
    source.origin.unreadable = std::move(loaded.unreadable);
    return true;
}

// Only a listing file is asked of a walk: its rows go to the file as they are listed, in listing order, so the
// memory a walk takes stays bounded however large the tree.
bool streamsWalkToFile(const CommandLine& commandLine)
{
    return commandLine.listing.isEmpty() && !commandLine.saveFile.isEmpty() && !commandLine.drawsReport()
        && commandLine.htmlFile.isEmpty() && commandLine.jsonlFile.isEmpty();
}

// The pieces go to standard output as they are made: a pipe or a device cannot be staged, so a failure there
// (a reader gone, a full disk) is said and fails the run, with what went out already gone out.
bool writeToStandardOutput(const std::function<bool(const PieceWriter&)>& produce)
{
    QFile out;
    bool refused = !out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
    const bool produced = !refused && produce([&](QByteArrayView piece) {
        refused = !writeAll(out, piece.data(), piece.size());
        return !refused;
    });
    if (refused)
        say(QStringLiteral("cannot write to standard output: %1").arg(out.errorString()));
    return produced && !refused;
}

int walkIntoFile(const CommandLine& commandLine, FileSystemService* fileSystem, const ReportOptions& options)
{
    LoadedListing loaded;
    const auto produce = [&](const PieceWriter& write) {
        ListingFileRows rows(options.filteractive() ? &options : nullptr, write);
        loaded = loadListing(commandLine, fileSystem, &rows);
        return loaded.usable() && rows.finish();
    };
    if (commandLine.saveFile == CommandLine::standardOutput) {
        const bool written = writeToStandardOutput(produce);
        if (!loaded.usable() || !written)
            return ExitFailed;
        return loaded.warnings.isEmpty() ? ExitDone : ExitWarnings;
    }
    StagedFile file(commandLine.saveFile);
    const SaveOutcome saved = writeStagedFile(file, produce);
    if (!loaded.usable())
        return ExitFailed;
    if (saved.status != SaveOutcome::Status::Saved || !file.commit()) {
        say(QStringLiteral("cannot save %1: %2")
                .arg(native(file.path()), saved.status != SaveOutcome::Status::Saved ? saved.reason : file.reason()));
        return ExitFailed;
    }
    return loaded.warnings.isEmpty() ? ExitDone : ExitWarnings;
}

bool saveListing(StagedFile& file, const BatchSource& source, const ReportOptions& options)
{
    // A piece at a time: a file of millions of rows is not held whole beside its listing.
    const auto produce = [&](const PieceWriter& write) {
        return writeListingPieces(source.table, source.selectedPath, options.filteractive() ? &options : nullptr,
            [&](QByteArrayView piece, qsizetype) { return write(piece); });
    };
    if (file.path() == CommandLine::standardOutput)
        return writeToStandardOutput(produce);
    const SaveOutcome outcome = writeStagedFile(file, produce);
    if (outcome.status == SaveOutcome::Status::Saved)
        return true;
    say(QStringLiteral("cannot save %1: %2").arg(native(file.path()), outcome.reason));
    return false;
}

using ListingExport = bool (*)(const ListingTable&, const CatalogueFacts&, const CatalogueSink&);

// The catalogue page or the JSON Lines, streamed into its staged file or to standard output.
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
    facts.origin = source.origin;
    const auto produce = [&](const PieceWriter& piece) { return write(source.table, facts, piece); };
    if (file.path() == CommandLine::standardOutput)
        return writeToStandardOutput(produce);
    const SaveOutcome outcome = writeStagedFile(file, produce);
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
    if (streamsWalkToFile(commandLine)) {
        ReportOptions options;
        applyFilter(commandLine, options);
        return walkIntoFile(commandLine, fileSystem, options);
    }
    BatchSource source;
    if (!load(commandLine, fileSystem, source))
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
