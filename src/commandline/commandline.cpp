#include "commandline.h"

#include "bytename.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <utility>

#include <sys/stat.h>

namespace {

struct Options {
    QCommandLineOption open { QStringLiteral("open"),
        QStringLiteral("Open the listing file LISTING instead of walking a folder."), QStringLiteral("LISTING") };
    QCommandLineOption save { QStringLiteral("save"),
        QStringLiteral("Write the listing file FILE. - writes it to standard output."), QStringLiteral("FILE") };
    QCommandLineOption pdf { QStringLiteral("pdf"), QStringLiteral("Write the printed report as the PDF file FILE."),
        QStringLiteral("FILE") };
    QCommandLineOption html { QStringLiteral("html"),
        QStringLiteral("Write the listing as the catalogue FILE: one HTML page to search and browse in any browser, "
                       "which Vellumark can open again. - writes it to standard output."),
        QStringLiteral("FILE") };
    QCommandLineOption jsonl { QStringLiteral("jsonl"),
        QStringLiteral("Write the listing as JSON Lines to FILE: a header object, then one object per entry. - "
                       "writes them to standard output."),
        QStringLiteral("FILE") };
    QCommandLineOption print { QStringLiteral("print"), QStringLiteral("Print the report.") };
    QCommandLineOption printer { QStringLiteral("printer"),
        QStringLiteral("Print on the printer NAME instead of the default printer."), QStringLiteral("NAME") };
    QCommandLineOption include { QStringLiteral("include"),
        QStringLiteral("Keep only files of up to six TYPES, comma separated, without dots (txt,doc)."),
        QStringLiteral("TYPES") };
    QCommandLineOption exclude { QStringLiteral("exclude"),
        QStringLiteral("Leave out files of up to six TYPES, and every folder row."), QStringLiteral("TYPES") };
    QCommandLineOption compare { QStringLiteral("compare"),
        QStringLiteral("Compare the listing file OLD with FOLDER (or the --open listing): one record per difference, "
                       "exit status 0 same, 1 different, 2 trouble."),
        QStringLiteral("OLD") };
    QCommandLineOption depth { QStringLiteral("depth"),
        QStringLiteral("List N levels of subfolders, or all of them (default 5)."), QStringLiteral("N|all") };
    QCommandLineOption limit { QStringLiteral("limit"),
        QStringLiteral("Take at most N entries from the walk or the listing file, or any number (default 32000)."),
        QStringLiteral("N|none") };
    QCommandLineOption quiet { { QStringLiteral("q"), QStringLiteral("quiet") }, QStringLiteral("Show no progress.") };

    void addTo(QCommandLineParser& parser) const
    {
        parser.setApplicationDescription(QStringLiteral(
            "Lists a folder five levels deep, saves the listing and prints its report.\n"
            "With --save, --pdf, --html, --jsonl, --print or --compare no window opens; with none of them the window "
            "opens on FOLDER with the --depth and --limit given."));
        parser.addPositionalArgument(QStringLiteral("FOLDER"),
            QStringLiteral("The folder to list (default: the current folder)."), QStringLiteral("[FOLDER]"));
        parser.addOptions(
            { open, save, pdf, html, jsonl, print, printer, include, exclude, compare, depth, limit, quiet });
        parser.addHelpOption();
        parser.addVersionOption();
    }
};

CommandLine usageError(const QString& text)
{
    CommandLine result;
    result.mode = CommandLine::Mode::UsageError;
    result.error = text;
    return result;
}

// A type is usable when a file named just that type would pass the Include Types filter with it: the same rule
// the report applies to every row.
QString typeProblem(const QString& type)
{
    if (type.isEmpty())
        return QStringLiteral("an empty type");
    if (type.contains(u'.'))
        return QStringLiteral("the type '%1' holds a dot; write it without one").arg(type);
    ReportOptions options;
    options.chooseMode(FilterMode::IncludeTypes);
    options.setTypeChecked(0, true);
    options.setTypeText(0, type);
    if (!checkforprint(type, RowKind::File, options))
        return QStringLiteral("the type '%1' is longer than three characters and would match no file").arg(type);
    return {};
}

// Two names for one file: the same path once resolved, or the same device and inode (a hard link, a link).
bool sameFile(const QString& first, const QString& second)
{
    if (QDir::cleanPath(QFileInfo(first).absoluteFilePath()) == QDir::cleanPath(QFileInfo(second).absoluteFilePath()))
        return true;
    struct stat a { };
    struct stat b { };
    return ::stat(toNativeBytes(first).constData(), &a) == 0 && ::stat(toNativeBytes(second).constData(), &b) == 0
        && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// An output that would replace an input, or another output, is found before anything runs.
QString outputClash(const CommandLine& commandLine)
{
    const std::pair<QLatin1StringView, QString> outputs[] = { { QLatin1StringView("save"), commandLine.saveFile },
        { QLatin1StringView("pdf"), commandLine.pdfFile }, { QLatin1StringView("html"), commandLine.htmlFile },
        { QLatin1StringView("jsonl"), commandLine.jsonlFile } };
    const std::pair<QLatin1StringView, QString> inputs[] = { { QLatin1StringView("open"), commandLine.listing },
        { QLatin1StringView("compare"), commandLine.compareListing }, { QLatin1StringView("pdf"), commandLine.pdfFile },
        { QLatin1StringView("html"), commandLine.htmlFile }, { QLatin1StringView("jsonl"), commandLine.jsonlFile } };
    for (const auto& [output, outputPath] : outputs) {
        for (const auto& [input, inputPath] : inputs) {
            if (output == input || outputPath.isEmpty() || inputPath.isEmpty())
                continue;
            const bool toStandardOutput = outputPath == CommandLine::standardOutput;
            if (toStandardOutput && inputPath == CommandLine::standardOutput)
                return QStringLiteral("--%1 and --%2 both write to standard output; give one of them a file.")
                    .arg(output, input);
            if (toStandardOutput || !sameFile(outputPath, inputPath))
                continue;
            return QStringLiteral("--%1 and --%2 name the same file %3; give them different files.")
                .arg(output, input, displayText(QDir::toNativeSeparators(outputPath)));
        }
    }
    return {};
}

// The last --depth and --limit given count, as for every option that takes one value.
QString readChoices(const QCommandLineParser& parser, const Options& options, ListingChoices& choices)
{
    if (parser.isSet(options.depth)) {
        const std::optional<int> depth = ListingChoiceText::parseDepth(parser.value(options.depth));
        if (!depth)
            return QStringLiteral("--depth takes a number of levels from 1, or all; not '%1'.")
                .arg(parser.value(options.depth));
        choices.depth = *depth;
    }
    if (parser.isSet(options.limit)) {
        const std::optional<qint64> limit = ListingChoiceText::parseLimit(parser.value(options.limit));
        if (!limit)
            return QStringLiteral("--limit takes a number of entries from 1, or none; not '%1'.")
                .arg(parser.value(options.limit));
        choices.limit = *limit;
    }
    return {};
}

} // namespace

QString commandLineHelp()
{
    QCommandLineParser parser;
    Options().addTo(parser);
    // Without an application object the parser knows no program name.
    return parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("vellumark"));
}

CommandLine parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    const Options options;
    options.addTo(parser);
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    CommandLine result;
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("version"))) {
        result.mode = parser.isSet(QStringLiteral("help")) ? CommandLine::Mode::Help : CommandLine::Mode::Version;
        return result;
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return usageError(QStringLiteral("Only one FOLDER may be given."));
    result.folder = positional.value(0);
    result.listing = parser.value(options.open);
    if (parser.isSet(options.open) && positional.size() == 1)
        return usageError(QStringLiteral("Give either FOLDER or --open, not both."));
    result.saveFile = parser.value(options.save);
    result.pdfFile = parser.value(options.pdf);
    result.htmlFile = parser.value(options.html);
    result.jsonlFile = parser.value(options.jsonl);
    result.print = parser.isSet(options.print);
    result.printerName = parser.value(options.printer);
    if (parser.isSet(options.printer) && !result.print)
        return usageError(QStringLiteral("--printer needs --print."));
    result.compareListing = parser.value(options.compare);
    for (const QCommandLineOption* listingOutput : { &options.save, &options.html, &options.jsonl }) {
        if (parser.isSet(options.compare) && parser.isSet(*listingOutput))
            return usageError(
                QStringLiteral("Give either --compare or --%1, not both.").arg(listingOutput->names().constFirst()));
    }
    if (parser.isSet(options.compare) && result.print && !result.pdfFile.isEmpty())
        return usageError(QStringLiteral("With --compare give either --print or --pdf, not both."));
    for (const QCommandLineOption* option : { &options.save, &options.pdf, &options.html, &options.jsonl, &options.open,
             &options.printer, &options.compare })
        if (parser.isSet(*option) && parser.value(*option).isEmpty())
            return usageError(QStringLiteral("--%1 needs a value.").arg(option->names().constFirst()));
    result.quiet = parser.isSet(options.quiet);
    if (const QString problem = readChoices(parser, options, result.choices); !problem.isEmpty())
        return usageError(problem);

    if (parser.isSet(options.include) && parser.isSet(options.exclude))
        return usageError(QStringLiteral("Give either --include or --exclude, not both."));
    const QCommandLineOption& typesOption = parser.isSet(options.include) ? options.include : options.exclude;
    if (parser.isSet(typesOption)) {
        result.filter = &typesOption == &options.include ? FilterMode::IncludeTypes : FilterMode::ExcludeTypes;
        result.types = parser.values(typesOption).join(u',').split(u',');
        if (result.types.size() > ReportOptions::slotCount)
            return usageError(QStringLiteral("At most %1 types may be given.").arg(ReportOptions::slotCount));
        for (const QString& type : std::as_const(result.types))
            if (const QString problem = typeProblem(type); !problem.isEmpty())
                return usageError(QStringLiteral("--%1: %2.").arg(typesOption.names().constFirst(), problem));
    }
    if (const QString clash = outputClash(result); !clash.isEmpty())
        return usageError(clash);
    result.mode = result.runsWithoutWindow() ? CommandLine::Mode::Batch : CommandLine::Mode::Window;
    return result;
}

void applyFilter(const CommandLine& commandLine, ReportOptions& options)
{
    options.chooseMode(commandLine.filter);
    for (int i = 0; i < commandLine.types.size(); ++i) {
        options.setTypeChecked(i, true);
        options.setTypeText(i, commandLine.types.at(i));
    }
}
