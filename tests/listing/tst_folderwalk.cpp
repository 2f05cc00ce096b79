#include "bytetemporarydir.h"
#include "faultyfilesystemservice.h"
#include "folderwalk.h"
#include "listingtable.h"
#include "readaheadfilesystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {
// Paths below root; a trailing slash makes a folder, anything else a file of three bytes.
void makeTree(const QString& root, const QStringList& paths)
{
    for (const QString& path : paths) {
        QVERIFY(QDir().mkpath(QFileInfo(root + '/' + path).path()));
        QFile file(root + '/' + path);
        QVERIFY(path.endsWith('/') || (file.open(QIODevice::WriteOnly) && file.write("abc") == 3));
    }
}

// A tree that exists only here: `levels` folders L1, L2, ... each inside the one before and each holding one file,
// below a top folder that holds `topFiles` files.
class ChainFileSystem final : public FileSystemService {
public:
    ChainFileSystem(int levels, int topFiles)
        : m_levels(levels)
        , m_topFiles(topFiles)
    {
    }
    int opened = 0;

    FolderResult GetFolder(const QByteArray& nativePath) override
    {
        ++opened;
        const auto level = static_cast<int>(nativePath.count("/L"));
        Folder folder;
        for (int i = 0; i < (level == 0 ? m_topFiles : 1); ++i)
            folder.Files.push_back({ "f" + QByteArray::number(i), 3, 0 });
        if (level < m_levels) {
            const QByteArray sub = nativePath + "/L" + QByteArray::number(level + 1);
            folder.SubFolders.push_back({ sub });
        }
        return { std::move(folder), {} };
    }

private:
    int m_levels;
    int m_topFiles;
};

struct Walked {
    ListingTable table;
    WalkOutcome outcome;
    QList<int> progress;
    QStringList entered;
    // Folder rows as [level marker]path, file rows as their name.
    QStringList names() const
    {
        QStringList list;
        for (qsizetype i = 0; i < table.size(); ++i)
            list.append(table.kind(i) == EntryKind::Folder
                    ? QStringLiteral("[%1]%2").arg(table.dateText(i), table.name(i))
                    : table.name(i));
        return list;
    }
};

std::unique_ptr<Walked> walk(const QString& folder, FileSystemService* fileSystem = nullptr,
    const std::function<bool()>& cancel = {}, ListingChoices choices = {})
{
    auto result = std::make_unique<Walked>();
    PosixFileSystemService posix;
    FolderWalk walker(fileSystem ? *fileSystem : posix, result->table,
        { {}, [&](int value) { result->progress.append(value); },
            [&](const QString& path) { result->entered.append(path); }, cancel },
        choices);
    result->outcome = walker.ShowFileList(folder);
    return result;
}
}

class TestFolderWalk : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
        m_root = m_dir->path();
    }

    // Own files first, then each subfolder's row, its files and its subtree, in name order; a link is a file.
    // Names that start with dots are entries; bytes that are not UTF-8 make a name all the same.
    void orderAndMarkers()
    {
        makeTree(m_root,
            { "b.txt", "A.txt", ".a", "..up/", "sub2/", "Sub1/deep/", "Sub1/x.doc", u"Gr\u00f6\u00dfe/y.htm"_qs,
                "sub2/z" });
        QVERIFY(QFile::link(m_root, m_root + "/loop"));
        QCOMPARE(::close(::creat(m_dir->nativePath() + "/Sub1/deep/bad\xff", 0644)), 0);
        const auto result = walk(m_root);
        QCOMPARE(result->names(),
            QStringList({ ".a", "A.txt", "b.txt", "loop", "[ ]" + m_root + "/..up",
                "[ ]" + m_root + u"/Gr\u00f6\u00dfe"_qs, "y.htm", "[ ]" + m_root + "/Sub1", "x.doc",
                "[1]" + m_root + "/Sub1/deep", "bad" + QString(QChar(0xdcff)), "[ ]" + m_root + "/sub2", "z" }));
        QCOMPARE(result->table.sizeText(8), QStringLiteral("3"));
    }

    // The chosen depth's folders are listed with their files; nothing below them, and the outcome says so.
    void depthLimit_data()
    {
        QTest::addColumn<int>("levels");
        QTest::addColumn<int>("depth");
        QTest::addColumn<QString>("deepest"); // the last folder row listed
        QTest::newRow("5 levels, default") << 5 << 5 << "[4]/t/L1/L2/L3/L4/L5";
        QTest::newRow("6 levels, default") << 6 << 5 << "[4]/t/L1/L2/L3/L4/L5";
        QTest::newRow("8 levels, depth 1") << 8 << 1 << "[ ]/t/L1";
        QTest::newRow("8 levels, depth 6") << 8 << 6 << "[5]/t/L1/L2/L3/L4/L5/L6";
        QTest::newRow("8 levels, depth 8") << 8 << 8 << "[7]/t/L1/L2/L3/L4/L5/L6/L7/L8";
        QTest::newRow("8 levels, all") << 8 << ListingChoices::allLevels << "[7]/t/L1/L2/L3/L4/L5/L6/L7/L8";
    }
    void depthLimit()
    {
        QFETCH(int, levels);
        QFETCH(int, depth);
        QFETCH(QString, deepest);
        ChainFileSystem fileSystem(levels, 1);
        const auto result = walk("/t", &fileSystem, {}, { depth, ListingChoices::defaultLimit });
        const int listed = std::min(levels, depth);
        QCOMPARE(result->table.size(), 1 + 2 * listed);
        QCOMPARE(result->names().at(2 * listed - 1), deepest);
        QCOMPARE(result->names().constLast(), QStringLiteral("f0"));
        QCOMPARE(result->outcome.depthReached, levels > depth);
        QCOMPARE(result->entered.last(), deepest.mid(3));
        QCOMPARE(fileSystem.opened, listed + 1);
    }

    // Cancelled at the n-th yield, the walk stops there and keeps what it listed.
    void cancel_data()
    {
        QTest::addColumn<int>("yields");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("first file") << 1 << QStringList { "a.txt" };
        QTest::newRow("folder row") << 2 << QStringList { "a.txt", "[ ]" };
        QTest::newRow("folder's file") << 3 << QStringList { "a.txt", "[ ]", "b.txt" };
    }
    void cancel()
    {
        QFETCH(int, yields);
        QFETCH(QStringList, kept);
        makeTree(m_root, { "a.txt", "sub/b.txt", "sub/c.txt", "z/" });
        int asked = 0;
        const auto result = walk(m_root, nullptr, [&] { return ++asked >= yields; });
        QVERIFY(result->outcome.cancelled && !result->outcome.limitReached);
        QCOMPARE(asked, yields);
        QCOMPARE(result->names().replaceInStrings(m_root + "/sub", ""), kept);
    }

    void listingLimit_data()
    {
        QTest::addColumn<int>("files");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<int>("listed");
        QTest::newRow("limit 1") << 3 << qint64 { 1 } << 1;
        QTest::newRow("31999 files, default") << 31999 << ListingChoices::defaultLimit << 31999;
        QTest::newRow("32000 files, default") << 32000 << ListingChoices::defaultLimit << 32000;
        QTest::newRow("32001 files, default") << 32001 << ListingChoices::defaultLimit << 32000;
        QTest::newRow("32001 files, limit 32001") << 32001 << qint64 { 32001 } << 32001;
        QTest::newRow("32002 files, limit 32001") << 32002 << qint64 { 32001 } << 32001;
        QTest::newRow("32001 files, none") << 32001 << ListingChoices::noLimit << 32001;
    }
    // The walk stops once it holds the limit, a listing that fills it exactly included.
    void listingLimit()
    {
        QFETCH(int, files);
        QFETCH(qint64, limit);
        QFETCH(int, listed);
        ChainFileSystem fileSystem(0, files);
        const auto result = walk("/t", &fileSystem, {}, { ListingChoices::defaultDepth, limit });
        QCOMPARE(result->outcome.limitReached, listed == limit);
        QCOMPARE(result->table.listcount(), listed);
        QCOMPARE(result->table.name(listed - 1), QStringLiteral("f%1").arg(listed - 1));
    }

    // The bar moves a rounded share per top-level subfolder and ends full, also for an empty folder.
    void progress()
    {
        QCOMPARE(walk(m_root)->progress, QList<int>({ 1000 }));
        makeTree(m_root, { "a/", "b/", "c/" });
        QCOMPARE(walk(m_root)->progress, QList<int>({ 333, 667, 1000, 1000 }));
    }

    // A folder that fails keeps its row and loses its contents; one that vanishes mid-walk likewise.
    void failingFolders()
    {
        makeTree(m_root, { "a/one.txt", "b/inner/", "b/two.txt", "c/three.txt" });
        FaultyFileSystemService fs;
        fs.failures.insert(QFile::encodeName(m_root + "/a"), QStringLiteral("Permission denied"));
        fs.beforeGetFolder = [&](const QByteArray& path) {
            if (path.endsWith("/b"))
                QDir(m_root + "/c").removeRecursively();
        };
        const auto result = walk(m_root, &fs);
        QCOMPARE(result->names(),
            QStringList({ "[ ]" + m_root + "/a", "[ ]" + m_root + "/b", "two.txt", "[1]" + m_root + "/b/inner",
                "[ ]" + m_root + "/c" }));
        QCOMPARE(result->outcome.unreadable,
            std::vector<UnreadableFolder>(
                { { m_root + "/a", "Permission denied" }, { m_root + "/c", qt_error_string(ENOENT) } }));
    }

    void readableButNotEnterable_data()
    {
        QTest::addColumn<QStringList>("inside");
        QTest::newRow("files and a subfolder") << QStringList { "f.txt", "sub/" };
        QTest::newRow("only a subfolder") << QStringList { "sub/" };
    }
    // Its entries can be named but not looked at: it is reported like a folder that cannot be read.
    void readableButNotEnterable()
    {
        if (::geteuid() == 0) {
            // Root enters any folder, so this row runs again as an ordinary user, from a copy of this program
            // that the user can reach wherever the build tree lies.
            QTemporaryDir copy(QDir::tempPath() + QStringLiteral("/walk-XXXXXX"));
            const QString program = copy.path() + QStringLiteral("/tst_folderwalk");
            QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), program));
            QVERIFY(::chmod(QFile::encodeName(copy.path()).constData(), 0755) == 0);
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            child.start(QStringLiteral("setpriv"),
                { QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups"),
                    program, QStringLiteral("readableButNotEnterable:") + QTest::currentDataTag() });
            QVERIFY(child.waitForFinished(30000));
            QCOMPARE(child.exitStatus(), QProcess::NormalExit);
            QCOMPARE(child.exitCode(), 0);
            return;
        }
        QFETCH(QStringList, inside);
        makeTree(m_root + "/locked", inside);
        makeTree(m_root, { "z.txt" });
        QVERIFY(::chmod(QFile::encodeName(m_root + "/locked").constData(), 0600) == 0);
        const auto result = walk(m_root);
        QCOMPARE(result->names(), QStringList({ "z.txt", "[ ]" + m_root + "/locked" }));
        QCOMPARE(result->outcome.unreadable,
            std::vector<UnreadableFolder>({ { m_root + "/locked", qt_error_string(EACCES) } }));
    }

    // One file-system service serves every Create List of a run; a folder replaced between two walks is read anew.
    void secondWalkSeesReplacedFolders()
    {
        makeTree(m_root, { "top/a/old.txt" });
        PosixFileSystemService fs;
        (void)walk(m_root + "/top", &fs);
        QVERIFY(QDir(m_root + "/top").removeRecursively());
        makeTree(m_root, { "top/a/new.txt" });
        QCOMPARE(walk(m_root + "/top/a", &fs)->names(), QStringList { "new.txt" });
    }

    // Folders read by other threads reach the walk in its own order, and no deeper than it goes, walk after walk.
    void readAheadListsAsReadingInTurn()
    {
        QStringList folders { QString() }; // three subfolders in each, down to one level deeper than the walk goes
        for (qsizetype i = 0; i < folders.size(); ++i) {
            makeTree(m_root, { folders[i] + "b.txt", folders[i] + "A.doc" });
            for (const char* name : { "zeta/", "Alpha/", "mid/" })
                if (folders[i].count('/') < 6)
                    folders << folders[i] + name;
        }
        const auto expected = walk(m_root);
        for (const int workers : { 0, 1, 2, 4 }) {
            ReadAheadFileSystem ahead(workers);
            for (int pass = 0; pass < 3; ++pass)
                QVERIFY(walk(m_root, &ahead)->table == expected->table);
        }
        // At its process limit a user gets no thread, or fewer than asked: the walk reads the rest itself.
        for (const int started : { 0, 1 }) {
            int asked = 0;
            ReadAheadFileSystem ahead(4, [&](std::function<void()> work) {
                if (asked++ == started)
                    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
                return std::thread(std::move(work));
            });
            QVERIFY(walk(m_root, &ahead)->table == expected->table);
            QCOMPARE(asked, started + 1);
        }
    }

    // What was read ahead for one walk is not served to the next: the folder may have changed in between.
    void readAheadNewWalkReadsAfresh()
    {
        makeTree(m_root, { "a/f", "b/f" });
        ReadAheadFileSystem ahead(2);
        const FolderResult top = ahead.GetFolder(QFile::encodeName(m_root));
        QVERIFY(top.folder);
        ahead.willRead(top.folder->SubFolders, 0);
        QVERIFY(ahead.GetFolder(top.folder->SubFolders.front().nativePath).folder);
        QTest::qWait(50); // time for the workers to read the rest
        makeTree(m_root, { "b/added.txt" });
        ahead.startWalk();
        const FolderResult again = ahead.GetFolder(top.folder->SubFolders.back().nativePath);
        QVERIFY(again.folder);
        QCOMPARE(again.folder->Files.size(), size_t(2));
    }

private:
    std::optional<ByteTemporaryDir> m_dir;
    QString m_root;
};

QTEST_GUILESS_MAIN(TestFolderWalk)
#include "tst_folderwalk.moc"
