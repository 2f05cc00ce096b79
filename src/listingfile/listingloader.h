#pragma once

#include "folderwalk.h"
#include "listingchoices.h"
#include "listingfilereader.h"
#include "listingtable.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class FileSystemService;

// A listing to work on: a listing file read or a folder walked now, and what kept it from being whole.
struct LoadedListing {
    enum class Source { ListingFile, Folder };
    Source source = Source::Folder;
    QString path; // the file or the folder, absolute
    QString selectedPath; // line 1 of the file, or the folder
    QDateTime date; // when the file was last written, or when the folder was walked
    ListingTable table;
    FileReadResult read; // a file's read as it went, its records moved into the table
    std::vector<UnreadableFolder> unreadable; // folders of the walk whose contents could not be read
    bool limitReached = false; // the walk or the file stopped at the limit
    bool depthReached = false; // the walk left folders below its deepest level out
    QString problem; // why the listing cannot be used, in words; empty when it can
    QStringList warnings; // what a partial walk left out, one line each

    [[nodiscard]] bool usable() const { return problem.isEmpty(); }
};

// Reads listing files and walks folders for the command line, the comparison and the window's Open, with one
// wording for every problem and one policy: a listing file is used only whole up to the limit; a walk as far as
// it got. The first records up to the limit, and each folder a walk could not read, make a partial listing,
// used with a warning for each.
class ListingLoader {
    Q_DECLARE_TR_FUNCTIONS(ListingLoader)

public:
    explicit ListingLoader(FileSystemService& fileSystem);

    ListingChoices choices; // how deep a walk goes; how many entries either takes
    bool entriesNeeded = false; // a listing or folder without entries is a problem too
    std::function<void(int entries)> entriesListed; // as a walk goes
    // When set, a walk's rows go there as they are listed, and the table stays empty.
    WalkRows* walkRows = nullptr;
    ReadProgress bytesRead; // as a file is read; stops the read by returning false

    [[nodiscard]] LoadedListing readFile(const QString& path) const;
    // An empty folder is the current one.
    [[nodiscard]] LoadedListing walkFolder(const QString& folder) const;

private:
    FileSystemService& m_fileSystem;
};
