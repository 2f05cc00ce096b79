#include "bytetemporarydir.h"
#include "faultyfilesystemservice.h"
#include "folderwalk.h"
#include "listingtable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void makeFile(const QString& path, const QByteArray& content = "abc")
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

void makeDir(const QString& path) { QVERIFY(QDir().mkpath(path)); }

// A chain of folders n levels deep below root, each holding one file.
void makeChain(const QString& root, int levels)
{
    QString path = root;
    for (int level = 1; level <= levels; ++level) {
        path += QStringLiteral("/L%1").arg(level);
        makeDir(path);
        makeFile(path + QStringLiteral("/f%1.txt").arg(level));
    }
}

struct Walked {
    ListingTable table;
    WalkOutcome outcome;
    QList<int> progress;
};

void walk(Walked& result, const QString& folder, FileSystemService& fileSystem, std::function<void()> yield = {})
{
    FolderWalk walker(
        fileSystem, result.table, { std::move(yield), [&result](int value) { result.progress.append(value); } });
    result.outcome = walker.ShowFileList(folder);
}

QStringList names(const ListingTable& table)
{
    QStringList list;
    for (const ListingEntry& entry : table.entries())
        list.append(entry.size == QLatin1String(" ") ? QStringLiteral("[%1]%2").arg(entry.datecreated, entry.name)
                                                     : entry.name);
    return list;
}

}

class TestFolderWalk : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(m_dir->isValid()); }
    void cleanup() { m_dir.emplace(); }

    // Own files first, then each subfolder's row, its files and its subtree, in name order.
    void orderAndMarkers()
    {
        const QString root = m_dir->path();
        makeFile(root + "/b.txt");
        makeFile(root + "/A.txt");
        makeDir(root + "/sub2");
        makeDir(root + "/Sub1/deep");
        makeFile(root + "/Sub1/x.doc", "12345");
        makeFile(root + "/Sub1/deep/y.htm");
        makeFile(root + "/sub2/z");
        PosixFileSystemService fs;
        Walked result;
        walk(result, root, fs);
        QCOMPARE(names(result.table),
            QStringList({ "A.txt", "b.txt", "[ ]" + root + "/Sub1", "x.doc", "[1]" + root + "/Sub1/deep", "y.htm",
                "[ ]" + root + "/sub2", "z" }));
        const ListingEntry file = result.table.entries()[3];
        QCOMPARE(file.size, QStringLiteral("5"));
        QVERIFY(!result.outcome.limitReached);
        QVERIFY(result.outcome.unreadable.empty());
    }

    void depthLimit_data()
    {
        QTest::addColumn<int>("levels");
        QTest::newRow("five levels") << 5;
        QTest::newRow("six levels") << 6;
        QTest::newRow("seven levels") << 7;
    }
    // Level-5 folders are listed with their files; nothing of level 6 or below.
    void depthLimit()
    {
        QFETCH(int, levels);
        makeChain(m_dir->path(), levels);
        PosixFileSystemService fs;
        Walked result;
        walk(result, m_dir->path(), fs);
        QCOMPARE(result.table.listcount(), 10);
        QCOMPARE(result.table.entries()[8].datecreated, QStringLiteral("4"));
        QVERIFY(result.table.entries()[8].name.endsWith("/L5"));
        QCOMPARE(result.table.entries()[9].name, QStringLiteral("f5.txt"));
    }

    void listingLimit_data()
    {
        QTest::addColumn<int>("files");
        QTest::addColumn<bool>("limit");
        QTest::newRow("one fewer") << 31999 << false;
        QTest::newRow("exactly 32000") << 32000 << true;
        QTest::newRow("more") << 32005 << true;
    }
    void listingLimit()
    {
        QFETCH(int, files);
        QFETCH(bool, limit);
        for (int i = 0; i < files; ++i)
            makeFile(m_dir->path() + QStringLiteral("/f%1").arg(i, 5, 10, QLatin1Char('0')), {});
        PosixFileSystemService fs;
        Walked result;
        walk(result, m_dir->path(), fs);
        QCOMPARE(result.outcome.limitReached, limit);
        QCOMPARE(result.table.listcount(), std::min(files, 32000));
        QCOMPARE(result.table.rowText(GridId::Grid2, 1),
            QStringLiteral("f16000\t0\t") + result.table.cell(GridId::Grid2, 1, 3));
    }

    void emptyFolderAndProgress()
    {
        PosixFileSystemService fs;
        Walked empty;
        walk(empty, m_dir->path(), fs);
        QCOMPARE(empty.table.listcount(), 0);
        QCOMPARE(empty.progress, QList<int>({ 1000 }));

        for (const char* name : { "a", "b", "c", "d" })
            makeDir(m_dir->path() + "/" + name);
        Walked four;
        walk(four, m_dir->path(), fs);
        QCOMPARE(four.progress, QList<int>({ 250, 500, 750, 1000, 1000 }));

        makeDir(m_dir->path() + "/e");
        QVERIFY(QDir(m_dir->path() + "/d").removeRecursively());
        QVERIFY(QDir(m_dir->path() + "/c").removeRecursively());
        Walked three;
        walk(three, m_dir->path(), fs);
        QCOMPARE(three.progress, QList<int>({ 333, 667, 1000, 1000 }));
    }

    // Names a listing file or a report must survive.
    void awkwardNamesAndLinks()
    {
        const QString root = m_dir->path();
        makeFile(root + "/comma, and \"quotes\".txt");
        makeFile(root + "/line\nbreak");
        makeDir(root + QString::fromUtf8("/Größe über"));
        makeFile(root + QString::fromUtf8("/Größe über/é.txt"));
        QVERIFY(QFile::link(root, root + "/loop"));

        PosixFileSystemService fs;
        Walked result;
        walk(result, root, fs);
        const QStringList listed = names(result.table);
        QVERIFY(listed.contains("comma, and \"quotes\".txt"));
        QVERIFY(listed.contains("line\nbreak"));
        QVERIFY(listed.contains("loop")); // a link is a file, never followed
        QVERIFY(listed.contains(QString::fromUtf8("é.txt")));
        QCOMPARE(result.table.listcount(), 5);
        QVERIFY(result.outcome.unreadable.empty());
    }

    // A folder that fails keeps its row and loses its contents; one that vanishes mid-walk likewise.
    void failingFolders()
    {
        const QString root = m_dir->path();
        makeDir(root + "/a");
        makeDir(root + "/c");
        makeFile(root + "/a/one.txt");
        makeDir(root + "/b/inner");
        makeFile(root + "/b/two.txt");
        makeFile(root + "/c/three.txt");
        FaultyFileSystemService fs;
        fs.failures.insert(QFile::encodeName(root + "/a"), QStringLiteral("Permission denied"));
        fs.beforeGetFolder = [&](const QByteArray& path) {
            if (path.endsWith("/b"))
                QDir(root + "/c").removeRecursively();
        };
        Walked result;
        walk(result, root, fs);
        QCOMPARE(names(result.table),
            QStringList({ "[ ]" + root + "/a", "[ ]" + root + "/b", "two.txt", "[1]" + root + "/b/inner",
                "[ ]" + root + "/c" }));
        QCOMPARE(result.outcome.unreadable.size(), size_t(2));
        QCOMPARE(result.outcome.unreadable[0], (UnreadableFolder { root + "/a", "Permission denied" }));
        QCOMPARE(result.outcome.unreadable[1].path, root + "/c");
        QVERIFY(!result.outcome.unreadable[1].reason.isEmpty());
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
        makeDir(root + "/locked");
        for (const QString& name : inside)
            name.endsWith('/') ? makeDir(root + "/locked/" + name) : makeFile(root + "/locked/" + name);
        makeFile(root + "/z.txt");
        QVERIFY(::chmod(QFile::encodeName(root + "/locked").constData(), 0600) == 0);
        PosixFileSystemService fs;
        Walked result;
        walk(result, root, fs);
        QCOMPARE(names(result.table), QStringList({ "z.txt", "[ ]" + root + "/locked" }));
        QCOMPARE(result.outcome.unreadable,
            std::vector<UnreadableFolder>({ { root + "/locked", qt_error_string(EACCES) } }));
    }

    // One file-system service serves every Create List of a run; a folder replaced between two walks is read anew.
    void secondWalkSeesReplacedFolders()
    {
        const QString root = m_dir->path();
        makeDir(root + "/top/a");
        makeFile(root + "/top/a/old.txt");
        PosixFileSystemService fs;
        Walked first;
        walk(first, root + "/top", fs);
        QVERIFY(QDir(root + "/top").removeRecursively());
        makeDir(root + "/top/a");
        makeFile(root + "/top/a/new.txt");
        Walked second;
        walk(second, root + "/top/a", fs);
        QCOMPARE(names(second.table), QStringList({ "new.txt" }));
    }

private:
    std::optional<ByteTemporaryDir> m_dir { std::in_place };
};

QTEST_GUILESS_MAIN(TestFolderWalk)
#include "tst_folderwalk.moc"
