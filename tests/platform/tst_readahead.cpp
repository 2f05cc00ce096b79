#include "folderwalk.h"
#include "listingtable.h"
#include "readaheadfilesystem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestReadAhead : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_tree;

    static void makeFile(const QString& path, int size)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(size, 'x'));
    }
    // Three subfolders in each folder down to level 6, so that the walk must stop at its own depth.
    static void makeTree(const QString& folder, int level)
    {
        makeFile(folder + QStringLiteral("/b%1.txt").arg(level), level);
        makeFile(folder + QStringLiteral("/A%1.doc").arg(level), 10 * level);
        if (level == 6)
            return;
        for (const char* name : { "zeta", "Alpha", "mid" }) {
            const QString sub = folder + u'/' + QLatin1String(name);
            QVERIFY(QDir().mkdir(sub));
            makeTree(sub, level + 1);
        }
    }
    static std::vector<ListingEntry> walk(FileSystemService& fileSystem, const QString& folder)
    {
        ListingTable table;
        (void)FolderWalk(fileSystem, table, {}).ShowFileList(folder);
        return table.entries();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tree.isValid());
        makeTree(m_tree.path(), 0);
    }

    // Folders read by other threads reach the walk in its own order, and no deeper than it goes.
    void sameListingAsReadingInTurn_data()
    {
        QTest::addColumn<int>("workers");
        QTest::newRow("none") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("two") << 2;
        QTest::newRow("four") << 4;
    }
    void sameListingAsReadingInTurn()
    {
        QFETCH(int, workers);
        PosixFileSystemService inTurn;
        const std::vector<ListingEntry> expected = walk(inTurn, m_tree.path());
        QCOMPARE(expected.size(), size_t(2 + 3 * (3 + 9 + 27 + 81 + 243))); // a row and two files a folder
        ReadAheadFileSystem ahead(workers);
        for (int pass = 0; pass < 3; ++pass)
            QCOMPARE(walk(ahead, m_tree.path()), expected);
    }

    // What was read ahead for one walk is not served to the next: the folder may have changed in between.
    void newWalkReadsAfresh()
    {
        ReadAheadFileSystem ahead(2);
        const QByteArray top = QFile::encodeName(m_tree.path());
        FolderResult read = ahead.GetFolder(top);
        QVERIFY(read.folder);
        ahead.willRead(read.folder->SubFolders);
        const QByteArray later = read.folder->SubFolders.back().nativePath;
        QVERIFY(ahead.GetFolder(read.folder->SubFolders.front().nativePath).folder);
        QTest::qWait(50); // time for the workers to read the rest
        const QString added = QFile::decodeName(later) + QStringLiteral("/added.txt");
        makeFile(added, 1);
        ahead.startWalk();
        const FolderResult again = ahead.GetFolder(later);
        QFile::remove(added);
        QVERIFY(again.folder);
        QVERIFY(std::any_of(again.folder->Files.begin(), again.folder->Files.end(),
            [](const FileItem& file) { return file.name == QLatin1String("added.txt"); }));
    }
};

QTEST_GUILESS_MAIN(TestReadAhead)
#include "tst_readahead.moc"
