#include "folderwalk.h"
#include "listingtable.h"
#include "readaheadfilesystem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestReadAhead : public QObject {
    Q_OBJECT

    QTemporaryDir m_tree;

    static void makeFile(const QString& path, int size)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(size, 'x'));
    }
    // Three subfolders in each folder down to level 6, one deeper than the walk goes.
    static void makeTree(const QString& folder, int level)
    {
        makeFile(folder + QStringLiteral("/b%1.txt").arg(level), level);
        makeFile(folder + QStringLiteral("/A%1.doc").arg(level), 10 * level);
        for (const char* name : { "zeta", "Alpha", "mid" }) {
            if (level < 6 && QDir().mkdir(folder + u'/' + QLatin1String(name)))
                makeTree(folder + u'/' + QLatin1String(name), level + 1);
        }
    }
    static std::vector<ListingEntry> walk(FileSystemService& fileSystem, const QString& folder)
    {
        ListingTable table;
        (void)FolderWalk(fileSystem, table, {}).ShowFileList(folder);
        return table.entries();
    }

private slots:
    // Folders read by other threads reach the walk in its own order, and no deeper than it goes, walk after walk.
    void sameListingAsReadingInTurn()
    {
        QVERIFY(m_tree.isValid());
        makeTree(m_tree.path(), 0);
        PosixFileSystemService inTurn;
        const std::vector<ListingEntry> expected = walk(inTurn, m_tree.path());
        QCOMPARE(expected.size(), size_t(2 + 3 * (3 + 9 + 27 + 81 + 243))); // a row and two files a folder
        for (const int workers : { 0, 1, 2, 4 }) {
            ReadAheadFileSystem ahead(workers);
            for (int pass = 0; pass < 3; ++pass)
                QCOMPARE(walk(ahead, m_tree.path()), expected);
        }
    }

    // What was read ahead for one walk is not served to the next: the folder may have changed in between.
    void newWalkReadsAfresh()
    {
        ReadAheadFileSystem ahead(2);
        const FolderResult top = ahead.GetFolder(QFile::encodeName(m_tree.path()));
        QVERIFY(top.folder);
        ahead.willRead(top.folder->SubFolders);
        QVERIFY(ahead.GetFolder(top.folder->SubFolders.front().nativePath).folder);
        QTest::qWait(50); // time for the workers to read the rest
        const QByteArray later = top.folder->SubFolders.back().nativePath;
        makeFile(QFile::decodeName(later) + QStringLiteral("/added.txt"), 1);
        ahead.startWalk();
        const FolderResult again = ahead.GetFolder(later);
        QVERIFY(again.folder);
        QCOMPARE(again.folder->Files.size(), size_t(3)); // its two files and the one added
    }
};

QTEST_GUILESS_MAIN(TestReadAhead)
#include "tst_readahead.moc"
