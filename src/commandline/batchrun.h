#pragma once

#include "listingtable.h"
#include "listingtally.h"

#include <QString>

class FileSystemService;
struct CommandLine;
class ReportOptions;
class StagedFile;

enum ExitStatus { ExitDone = 0, ExitFailed = 1, ExitUsage = 2, ExitWarnings = 3 };

// The listing a command line works on: a folder walked or a listing file read.
struct BatchSource {
    ListingTable table;
    QString selectedPath;
    ListingOrigin origin; // what kept it from being whole
    bool warned = false;
};

// The outputs that draw (a PDF, the printer) and the comparison. They live with the window's code, which a run
// that only lists and saves never loads.
class BatchReports {
public:
    virtual ~BatchReports() = default;
    // Writes the PDF into the staged file, which the run commits with its other outputs.
    [[nodiscard]] virtual bool writePdf(
        StagedFile& file, const CommandLine& commandLine, const BatchSource& source, const ReportOptions& options)
        = 0;
    [[nodiscard]] virtual bool print(
        const CommandLine& commandLine, const BatchSource& source, const ReportOptions& options)
        = 0;
    // Exit statuses as diff gives them: 0 the same, 1 different, 2 trouble.
    [[nodiscard]] virtual int compare(const CommandLine& commandLine) = 0;
};

// The work of a command line that opens no window: one walk of the folder (or one read of the listing file)
// serves every output asked for. Every file is written before any takes its target's place, so a failure
// leaves all old files as they were. Returns the exit status: 0 done, 1 failed, 3 done with warnings. `reports`
// may be null when nothing is drawn or compared; it needs a QGuiApplication, the rest a QCoreApplication.
// The folder is walked through `fileSystem`, or through the program's own reader when none is given.
[[nodiscard]] int runBatch(
    const CommandLine& commandLine, BatchReports* reports, FileSystemService* fileSystem = nullptr);

// Qt's own notes (no runtime folder, a font fallback) would mix with the lines a scheduled job is read by.
void keepQtNotesOffTheLog();

// One line on stderr, "vellumark: " first.
void say(const QString& line);

// Progress overwrites one line of a terminal; a log gets none of it.
class BatchProgress {
public:
    explicit BatchProgress(bool quiet);
    ~BatchProgress() { finish(); }
    BatchProgress(const BatchProgress&) = delete;
    BatchProgress& operator=(const BatchProgress&) = delete;

    void show(const QString& text, int count, int step);
    void finish();

private:
    bool m_shown;
    bool m_open = false;
    int m_last = -1;
};
