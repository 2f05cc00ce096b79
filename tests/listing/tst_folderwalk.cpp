#include "bytetemporarydir.h"
#include "faultyfilesystemservice.h"
#include "folderwalk.h"
#include "listingtable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
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

struct Walked {
    ListingTable table;
    WalkOutcome outcome;
    QList<int> progress;
    // Folder rows as [level marker]path, file rows as their name.
    QStringList names() const
    {
        QStringList list;
        for (const ListingEntry& entry : table.entries())
            list.append(entry.size == QLatin1String(" ") ? QStringLiteral("[%1]%2").arg(entry.datecreated, entry.name)
                                                         : entry.name);
        return list;
    }
};

std::unique_ptr<Walked> walk(const QString& folder, FileSystemService& fileSystem)
{
    auto result = std::make_unique<Walked>();
    FolderWalk walker(fileSystem, result->table, { {}, [&](int value) { result->progress.append(value); } });
    result->outcome = walker.ShowFileList(folder);
    return result;
}

std::unique_ptr<Walked> walk(const QString& folder)
{
    PosixFileSystemService fileSystem;
    return walk(folder, fileSystem);
}

}

class TestFolderWalk : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(m_dir->isValid()); }
    void cleanup() { m_dir.emplace(); }

    // Own files first, then each subfolder's row, its files and its subtree, in name order; a link is a file.
    void orderAndMarkers()
    {
        const QString root = m_dir->path();
        makeTree(root, { "b.txt", "A.txt", "sub2/", "Sub1/deep/", "Sub1/x.doc", "Sub1/deep/y.htm", "sub2/z" });
        QVERIFY(QFile::link(root, root + "/loop"));
        const auto result = walk(root);
        QCOMPARE(result->names(),
            QStringList({ "A.txt", "b.txt", "loop", "[ ]" + root + "/Sub1", "x.doc", "[1]" + root + "/Sub1/deep",
                "y.htm", "[ ]" + root + "/sub2", "z" }));
        QCOMPARE(result->table.entries()[4].size, QStringLiteral("3"));
        QVERIFY(!result->outcome.limitReached);
        QVERIFY(result->outcome.unreadable.empty());
    }

    void depthLimit_data()
    {
        QTest::addColumn<int>("levels");
        QTest::newRow("five levels") << 5;
        QTest::newRow("six levels") << 6;
    }
    // Level-5 folders are listed with their files; nothing of level 6 or below.
    void depthLimit()
    {
        QFETCH(int, levels);
        QString path = m_dir->path();
        for (int level = 1; level <= levels; ++level) {
            path += QStringLiteral("/L%1").arg(level);
            makeTree(path, { QStringLiteral("f%1.txt").arg(level) });
        }
        const auto result = walk(m_dir->path());
        QCOMPARE(result->table.listcount(), 10);
        QCOMPARE(result->names().mid(8), QStringList({ "[4]" + path.left(path.indexOf("/L6")), "f5.txt" }));
    }

    void listingLimit_data()
    {
        QTest::addColumn<int>("files");
        QTest::newRow("31999 files") << 31999;
        QTest::newRow("32000 files") << 32000;
        QTest::newRow("32001 files") << 32001;
    }
    void listingLimit()
    {
        QFETCH(int, files);
        for (int i = 0; i < files; ++i)
            QCOMPARE(
                ::close(::creat(
                    (m_dir->nativePath() + "/f" + QByteArray::number(i).rightJustified(5, '0')).constData(), 0644)),
                0);
        const auto result = walk(m_dir->path());
        QCOMPARE(result->outcome.limitReached, files >= 32000);
        QCOMPARE(result->table.listcount(), std::min(files, 32000));
        QCOMPARE(result->table.rowText(GridId::Grid2, 1),
            QStringLiteral("f16000\t0\t") + result->table.cell(GridId::Grid2, 1, 3));
    }

    // The bar moves a rounded share per top-level subfolder and ends full, also for an empty folder.
    void progress()
    {
        QCOMPARE(walk(m_dir->path())->progress, QList<int>({ 1000 }));
        makeTree(m_dir->path(), { "a/", "b/", "c/" });
        QCOMPARE(walk(m_dir->path())->progress, QList<int>({ 333, 667, 1000, 1000 }));
    }

    // A folder that fails keeps its row and loses its contents; one that vanishes mid-walk likewise.
    void failingFolders()
    {
        const QString root = m_dir->path();
        makeTree(root, { "a/one.txt", "b/inner/", "b/two.txt", "c/three.txt" });
        FaultyFileSystemService fs;
        fs.failures.insert(QFile::encodeName(root + "/a"), QStringLiteral("Permission denied"));
        fs.beforeGetFolder = [&](const QByteArray& path) {
            if (path.endsWith("/b"))
                QDir(root + "/c").removeRecursively();
        };
        const auto result = walk(root, fs);
        QCOMPARE(result->names(),
            QStringList({ "[ ]" + root + "/a", "[ ]" + root + "/b", "two.txt", "[1]" + root + "/b/inner",
                "[ ]" + root + "/c" }));
        QCOMPARE(result->outcome.unreadable.size(), size_t(2));
        QCOMPARE(result->outcome.unreadable[0], (UnreadableFolder { root + "/a", "Permission denied" }));
        QCOMPARE(result->outcome.unreadable[1].path, root + "/c");
        QVERIFY(!result->outcome.unreadable[1].reason.isEmpty());
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
        if (::geteuid() == 0)
            QSKIP("root enters any folder");
        QFETCH(QStringList, inside);
        const QString root = m_dir->path();
        makeTree(root + "/locked", inside);
        makeTree(root, { "z.txt" });
        QVERIFY(::chmod(QFile::encodeName(root + "/locked").constData(), 0600) == 0);
        const auto result = walk(root);
        QCOMPARE(result->names(), QStringList({ "z.txt", "[ ]" + root + "/locked" }));
        QCOMPARE(result->outcome.unreadable,
            std::vector<UnreadableFolder>({ { root + "/locked", qt_error_string(EACCES) } }));
    }

    // One file-system service serves every Create List of a run; a folder replaced between two walks is read anew.
    void secondWalkSeesReplacedFolders()
    {
        const QString root = m_dir->path();
        makeTree(root, { "top/a/old.txt" });
        PosixFileSystemService fs;
        (void)walk(root + "/top", fs);
        QVERIFY(QDir(root + "/top").removeRecursively());
        makeTree(root, { "top/a/new.txt" });
        QCOMPARE(walk(root + "/top/a", fs)->names(), QStringList { "new.txt" });
    }

private:
    std::optional<ByteTemporaryDir> m_dir { std::in_place };
};

QTEST_GUILESS_MAIN(TestFolderWalk)
#include "tst_folderwalk.moc"
