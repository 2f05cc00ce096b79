#include "fakelistingsession.h"
#include "listingfilecommands.h"
#include "listingfilereader.h"
#include "reportoptions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(FilterMode)
Q_DECLARE_METATYPE(QMessageBox::StandardButton)

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A listing file as Save writes it, with the awkward names a Linux tree can hold.
QByteArray listingFile(int rows)
{
    static const QByteArray names[] = { "plain.txt", "a, b, c.doc", "say \"\"hi\"\".txt", "two\r\nlines\nand\rmore.mp3",
        "cr\xc3\xa8me br\xc3\xbbl\xc3\xa9\x65.htm", "/top/sub, \"\"q\"\"" };
    QByteArray bytes = "\"/top, \"\"dir\"\"\"\r\n";
    for (int i = 0; i < rows; ++i) {
        const bool folder = i % 6 == 5;
        bytes += '"' + names[i % 6] + QByteArray::number(i) + "\",\"" + (folder ? " " : QByteArray::number(i * 7))
            + "\",\"" + (folder ? QByteArray::number(i % 5).replace('0', ' ') : "1/2/2024 3:04:05") + "\"\r\n";
    }
    return bytes;
}

QStringList savedNames(const QString& path)
{
    QStringList names;
    for (const ListingEntry& record : ListingFileReader::parse(readAll(path)).records)
        names << record.name;
    return names;
}

} // namespace

class TestListingFileCommands : public QObject {
    Q_OBJECT

private slots:
    void init();
    void openThenSaveIsByteIdentical_data();
    void openThenSaveIsByteIdentical();
    void filteredSave_data();
    void filteredSave();
    void emptyListingRefusedFirst();
    void noCommandWhileAnotherRuns();
    void closing_data();
    void closing();
    void failedSave_data();
    void failedSave();
    void openKeepsOrReplaces_data();
    void openKeepsOrReplaces();

private:
    void fillListing();
    // What the main window's close handling does.
    void closeMainWindow()
    {
        if (!m_session->listsaved()) {
            m_session->isClosing = true;
            m_commands->checkforsave();
        }
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeListingSession> m_session;
    std::unique_ptr<ReportOptions> m_options;
    std::unique_ptr<ListingFileCommands> m_commands;
};

const QString filledSelection = "/home/user/docs, 2024";

void TestListingFileCommands::init()
{
    m_commands.reset();
    m_dir = std::make_unique<QTemporaryDir>();
    m_session = std::make_unique<FakeListingSession>();
    m_options = std::make_unique<ReportOptions>();
    m_commands = std::make_unique<ListingFileCommands>(*m_session, *m_options);
}

void TestListingFileCommands::fillListing()
{
    m_session->selection = filledSelection;
    ListingTable& table = m_session->table;
    table.updatetable("readme.txt", "120", "3/4/2024 10:15:00");
    table.updatetable("/home/user/docs, 2024/notes, old", " ", " ");
    table.updatetable("crème brûlée.doc", "0", "3/4/2024 10:16:00");
    table.updatetable("/home/user/docs, 2024/notes, old/deep", " ", "1");
    table.updatetable("say \"hi\".txt", "7", "");
    m_session->saved = false;
}

void TestListingFileCommands::openThenSaveIsByteIdentical_data()
{
    QTest::addColumn<int>("rows");
    QTest::newRow("awkward names") << 12;
    QTest::newRow("16000 rows") << 16000;
    QTest::newRow("16001 rows") << 16001;
}

void TestListingFileCommands::openThenSaveIsByteIdentical()
{
    QFETCH(int, rows);
    const QByteArray original = listingFile(rows);
    writeFile(m_dir->filePath("in.txt"), original);
    m_session->fileDialogs.openAnswers << m_dir->filePath("in.txt");
    m_session->fileDialogs.saveAnswers << m_dir->filePath("out.txt");
    m_session->saved = false;

    m_commands->openreport();
    QVERIFY(m_session->saved);
    QCOMPARE(m_session->selection, QString("/top, \"dir\""));
    QCOMPARE(m_session->table.listcount(), rows);
    QCOMPARE(m_session->table.row(GridId::Grid2, 1).name.isEmpty(), rows <= ListingTable::gridCapacity);
    QVERIFY(m_session->listingChanges > 0);

    m_commands->savereport();
    QCOMPARE(readAll(m_dir->filePath("out.txt")), original);
    QVERIFY(m_session->messages.shown.isEmpty());
}

void TestListingFileCommands::filteredSave_data()
{
    QTest::addColumn<FilterMode>("mode");
    QTest::addColumn<QString>("checkedType");
    QTest::addColumn<QMessageBox::StandardButton>("answer"); // NoButton: no question expected
    QTest::addColumn<QStringList>("written");
    const QStringList all { "a.txt", "/top/sub", "b.doc", "c.txt" };
    QTest::newRow("include all asks nothing") << FilterMode::IncludeAll << "" << QMessageBox::NoButton << all;
    QTest::newRow("exclude txt, Yes") << FilterMode::ExcludeTypes << "txt" << QMessageBox::Yes
                                      << QStringList { "b.doc" };
    QTest::newRow("exclude txt, No") << FilterMode::ExcludeTypes << "txt" << QMessageBox::No << all;
    QTest::newRow("include txt, Yes") << FilterMode::IncludeTypes << "txt" << QMessageBox::Yes
                                      << QStringList { "a.txt", "c.txt" };
    QTest::newRow("include with no checked slot, Yes")
        << FilterMode::IncludeTypes << "" << QMessageBox::Yes << QStringList {};
}

void TestListingFileCommands::filteredSave()
{
    QFETCH(FilterMode, mode);
    QFETCH(QString, checkedType);
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(QStringList, written);
    m_session->table.updatetable("a.txt", "1", "d");
    m_session->table.updatetable("/top/sub", " ", " ");
    m_session->table.updatetable("b.doc", "2", "d");
    m_session->table.updatetable("c.txt", "3", "d");
    m_options->chooseMode(mode);
    m_options->setTypeText(0, checkedType);
    m_options->setTypeChecked(0, !checkedType.isEmpty());
    if (answer != QMessageBox::NoButton)
        m_session->messages.answers << answer;
    const QString path = m_dir->filePath("out.txt");
    m_session->fileDialogs.saveAnswers << path;

    m_commands->savereport();
    const Message question { QMessageBox::NoIcon, "Save Only Filtered List?",
        "Report Options Have been chosen\r\nDo you want to save only the filtered list?",
        QMessageBox::Yes | QMessageBox::No };
    QCOMPARE(
        m_session->messages.shown, answer == QMessageBox::NoButton ? QList<Message> {} : QList<Message> { question });
    QCOMPARE(savedNames(path), written);
    if (written.isEmpty())
        QCOMPARE(readAll(path), QByteArray("\"\"\r\n"));
}

void TestListingFileCommands::emptyListingRefusedFirst()
{
    m_options->chooseMode(FilterMode::ExcludeTypes);
    m_session->saved = false;
    m_session->fileDialogs.saveAnswers << m_dir->filePath("out.txt");
    m_commands->savereport();
    const Message refusal { QMessageBox::Warning, {}, "Cannot save report, List is empty", QMessageBox::Ok };
    QCOMPARE(m_session->messages.shown, QList<Message> { refusal });
    QCOMPARE(m_session->fileDialogs.saved, 0);
    QVERIFY(!m_session->saved);
}

void TestListingFileCommands::noCommandWhileAnotherRuns()
{
    fillListing();
    m_session->running = true;
    m_session->fileDialogs.saveAnswers << m_dir->filePath("out.txt");
    m_commands->savereport();
    m_commands->openreport();
    QCOMPARE(m_session->fileDialogs.saved + m_session->fileDialogs.opened, 0);
    QVERIFY(m_session->running);
    QCOMPARE(m_session->table.listcount(), 5);
}

void TestListingFileCommands::closing_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<int>("programEnds"); // ended by the save itself, before the window's own ending
    QTest::addColumn<bool>("written"); // a name is chosen in the save dialog
    QTest::newRow("right after start-up") << "start" << QMessageBox::NoButton << false << 0 << false;
    QTest::newRow("created, answer No") << "create" << QMessageBox::No << true << 0 << false;
    QTest::newRow("created, Yes and saved") << "create" << QMessageBox::Yes << true << 0 << true;
    QTest::newRow("created, Yes then cancelled") << "create" << QMessageBox::Yes << true << 1 << false;
    QTest::newRow("created and saved") << "save" << QMessageBox::NoButton << false << 0 << false;
    QTest::newRow("opened a file") << "open" << QMessageBox::NoButton << false << 0 << false;
}

void TestListingFileCommands::closing()
{
    QFETCH(QString, before);
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(bool, asked);
    QFETCH(int, programEnds);
    QFETCH(bool, written);
    if (before != "start")
        fillListing();
    if (before == "save") {
        m_session->fileDialogs.saveAnswers << m_dir->filePath("earlier.txt");
        m_commands->savereport();
    } else if (before == "open") {
        writeFile(m_dir->filePath("in.txt"), listingFile(3));
        m_session->fileDialogs.openAnswers << m_dir->filePath("in.txt");
        m_commands->openreport();
    }
    m_session->messages.shown.clear();
    m_session->messages.answers = { answer };
    m_session->fileDialogs.filtersAsked.clear();
    const QString atExit = m_dir->filePath("exit.txt");
    const QByteArray old(5000, 'x'); // a save replaces it whole, not in part
    writeFile(atExit, old);
    if (written)
        m_session->fileDialogs.saveAnswers << atExit;

    closeMainWindow();
    const Message question { QMessageBox::NoIcon, "Save Current Listing?",
        "   Current listing is not saved   \r\n   Do you want to save now ?   ", QMessageBox::Yes | QMessageBox::No };
    QCOMPARE(m_session->messages.shown, asked ? QList<Message> { question } : QList<Message> {});
    QCOMPARE(m_session->programEnds, programEnds);
    QVERIFY(m_session->saved);
    QCOMPARE(readAll(atExit), written ? readAll(VELLUMARK_TEST_DATA "/small.txt") : old);
    if (written)
        QCOMPARE(m_session->fileDialogs.filtersAsked, QStringList { FileDialogService::textFilter() });
}

void TestListingFileCommands::failedSave_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("a folder of that name") << "folder";
    QTest::newRow("parent is a regular file") << "parent";
    QTest::newRow("full disk through a size limit") << "full";
    QTest::newRow("file in use") << "locked";
    QTest::newRow("a folder that takes no new files") << "proc";
}

void TestListingFileCommands::failedSave()
{
    QFETCH(QString, how);
    fillListing();
    const QByteArray old = "\"old\"\r\n";
    const bool noOldFile = how == "folder" || how == "parent";
    const QString path = how == "proc" ? "/proc/version"
                                       : m_dir->filePath(how == "folder" ? "folder"
                                               : how == "parent"         ? "old.txt/list.txt"
                                                                         : "old.txt");
    QVERIFY(QDir(m_dir->path()).mkdir("folder"));
    writeFile(m_dir->filePath("old.txt"), old);
    m_session->fileDialogs.saveAnswers << path;

    rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    const int lockFd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (how == "full") {
        rlimit small = saved;
        small.rlim_cur = 64;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    } else if (how == "locked") {
        QCOMPARE(::flock(lockFd, LOCK_EX | LOCK_NB), 0);
    }
    m_commands->savereport();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    ::close(lockFd);

    QVERIFY(!m_session->saved);
    QCOMPARE(m_session->messages.shown.size(), 1);
    const Message& shown = m_session->messages.shown[0];
    if (how == "locked") {
        QCOMPARE(shown,
            (Message { QMessageBox::NoIcon, "Error Opening File For Save", "File In Use By This or another program",
                QMessageBox::Ok }));
    } else {
        QVERIFY2(shown.text.startsWith("Cannot save the listing to " + path + "\r\n"), qPrintable(shown.text));
        const QString remains = noOldFile ? "No file has been written" : "The existing file has not been changed";
        QVERIFY2(shown.text.endsWith("\r\n" + remains), qPrintable(shown.text));
        QVERIFY2(shown.text.count("\r\n") == 2 && !shown.text.contains("\r\n\r\n"), "the system's reason is given");
        if (how == "proc") // read-only to a user; to root, /proc takes no temporary file
            QVERIFY2(shown.text.contains("cannot be written: ")
                    || shown.text.contains("temporary file could be created in /proc: "),
                qPrintable(shown.text));
    }
    QCOMPARE(readAll(m_dir->filePath("old.txt")), old);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList { "old.txt" });
}

void TestListingFileCommands::openKeepsOrReplaces_data()
{
    QTest::addColumn<QString>("chosen"); // empty: the dialog is cancelled
    QTest::addColumn<QByteArray>("bytes"); // written to in.txt
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("selection");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text"); // how the message starts, %1 the file; empty: no message
    const QByteArray good = "\"/p\"\r\n\"a\",\"1\",\"d\"\r\n\"b\",\"2\",\"d\"\r\n";
    const QString kept = "\r\nThe records before that line have been kept";
    const QString unopenable = "Error Opening File";
    const QString faulty = "Error Reading Listing File";
    QTest::newRow("cancelled") << "" << QByteArray() << 5 << filledSelection << false << ""
                               << "";
    QTest::newRow("missing file") << "none.txt" << QByteArray() << 5 << filledSelection << false << unopenable
                                  << "Cannot open %1\r\n";
    QTest::newRow("a folder") << "." << QByteArray() << 5 << filledSelection << false << unopenable
                              << "Cannot open %1\r\nThis is a folder, not a file";
    QTest::newRow("a named pipe, which must not block")
        << "pipe" << QByteArray() << 5 << filledSelection << false << unopenable
        << "Cannot open %1\r\nThis is a named pipe, not a file";
    QTest::newRow("a device") << "/dev/null" << QByteArray() << 5 << filledSelection << false << unopenable
                              << "Cannot open %1\r\nThis is a device, not a file";
    QTest::newRow("truncated") << "in.txt" << good + "\"c\",\"3" << 2 << "/p" << true << faulty
                               << "Error reading %1 at line 4\r\nThe file ends inside a record" + kept;
    QTest::newRow("malformed") << "in.txt" << good + "\"c\"x,\"3\",\"d\"\r\n"
                               << 2 << "/p" << true << faulty
                               << "Error reading %1 at line 4\r\nA field is malformed" + kept;
    QTest::newRow("empty") << "in.txt" << QByteArray() << 0 << filledSelection << true << faulty
                           << "%1 holds no listing";
    QTest::newRow("over the listing limit")
        << "in.txt" << listingFile(32001) << ListingTable::listLimit << "/top, \"dir\"" << true << ""
        << "Maximum List size of 32000 reached\r\nList stopped at 32000 records";
}

void TestListingFileCommands::openKeepsOrReplaces()
{
    QFETCH(QString, chosen);
    QFETCH(QByteArray, bytes);
    QFETCH(int, count);
    QFETCH(QString, selection);
    QFETCH(bool, saved);
    QFETCH(QString, title);
    QFETCH(QString, text);
    fillListing();
    const std::vector<ListingEntry> before = m_session->table.entries();
    const QString path = chosen.startsWith('/') ? chosen : m_dir->filePath(chosen);
    if (chosen == "in.txt")
        writeFile(path, bytes);
    if (chosen == "pipe")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    if (!chosen.isEmpty())
        m_session->fileDialogs.openAnswers << path;
    m_commands->openreport();
    QCOMPARE(m_session->table.listcount(), count);
    if (!saved)
        QCOMPARE(m_session->table.entries(), before);
    QCOMPARE(m_session->selection, selection);
    QCOMPARE(m_session->saved, saved);
    QCOMPARE(m_session->messages.shown.size(), text.isEmpty() ? 0 : 1);
    if (!text.isEmpty()) {
        QCOMPARE(m_session->messages.shown[0].title, title);
        QVERIFY2(m_session->messages.shown[0].text.startsWith(text.arg(path)),
            qPrintable(m_session->messages.shown[0].text));
    }
    if (saved)
        return;

    // The listing is still unsaved, so closing still asks.
    m_session->messages.shown.clear();
    m_session->messages.answers = { QMessageBox::No };
    closeMainWindow();
    QCOMPARE(m_session->messages.shown.size(), 1);
    QCOMPARE(m_session->messages.shown[0].title, QString("Save Current Listing?"));
}

QTEST_MAIN(TestListingFileCommands)
#include "tst_listingfilecommands.moc"
