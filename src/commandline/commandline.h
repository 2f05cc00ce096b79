#pragma once

#include "listingchoices.h"
#include "reportoptions.h"

#include <QString>
#include <QStringList>

// What the program was asked to do on its command line. A new option is a field here, a QCommandLineOption in
// commandline.cpp's options list and a line in parseCommandLine; a new mode of work without a window also goes
// into runsWithoutWindow().
struct CommandLine {
    // As an output of --html or --jsonl: the page or the lines go to standard output.
    static constexpr QLatin1StringView standardOutput { "-" };
    enum class Mode { Window, Batch, Help, Version, UsageError };
    Mode mode = Mode::Window;
    QString folder; // empty: the current folder
    QString listing; // --open
    QString compareListing; // --compare: the older listing file that FOLDER or --open is compared with
    QString saveFile;
    QString pdfFile;
    QString htmlFile; // the catalogue page
    QString jsonlFile;
    bool print = false;
    QString printerName; // empty: the default printer
    FilterMode filter = FilterMode::IncludeAll;
    QStringList types;
    ListingChoices choices; // --depth and --limit
    bool quiet = false;
    QString error; // the usage error

    [[nodiscard]] bool runsWithoutWindow() const
    {
        return !saveFile.isEmpty() || !pdfFile.isEmpty() || print || !compareListing.isEmpty() || !htmlFile.isEmpty()
            || !jsonlFile.isEmpty();
    }
    [[nodiscard]] bool drawsReport() const { return !pdfFile.isEmpty() || print; }
    // The exit status of a run that could not be done: a comparison's 1 means "different", so its trouble is 2.
    [[nodiscard]] int failedStatus() const { return compareListing.isEmpty() ? 1 : 2; }
    bool operator==(const CommandLine&) const = default;
};

// arguments[0] is the program's name.
[[nodiscard]] CommandLine parseCommandLine(const QStringList& arguments);
[[nodiscard]] QString commandLineHelp();

// Chooses the filter's mode and fills its slots with the types, as the Report Options dialog does.
void applyFilter(const CommandLine& commandLine, ReportOptions& options);
