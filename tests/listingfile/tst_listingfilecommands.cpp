#include "bytename.h"
#include "fakelistingsession.h"
#include "listingfilecommands.h"
#include "listingfilereader.h"
#include "progresscanceller.h"
#include "reportoptions.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

// A listing file as Save writes it, with the awkward names a Linux tree can hold: quotes, commas, line breaks, and
// bytes that are no UTF-8, which must come back as they were.
const QByteArray topDir = "/top, \"dir\xe9\"";
QByteArray listingFile(int rows)
{
    static const QByteArrayList names { "plain.txt", "a, b, c.doc", "say \"\"hi\"\".txt", "two\r\nlines\nand\rmore.mp3",
        "cr\xc3\xa8me.htm", "caf\xe9", "x\xff", "x\xef\xbf\xbd", "x\xed\xb3\xa9", "\xef\xbb\xbf\x62om", "a\xe2\x82",
        "\xc0\xaf", "\xf4\x90\x80\x80" };
    QByteArray bytes = '"' + QByteArray(topDir).replace('"', "\"\"") + "\"\r\n";
    for (int i = 0; i < rows; ++i) {
        const QByteArray name = names[i % names.size()] + QByteArray::number(i);
        bytes += i % 6 == 5 ? "\"/top/" + name + "\",\" \",\"" + QByteArray::number(i % 5).replace('0', ' ') + "\"\r\n"
                            : '"' + name + "\",\"" + QByteArray::number(i * 7) + "\",\"1/2/2024 3:04:05\"\r\n";
    }
    return bytes;
}

const QString filledSelection = "/home/user/docs, 2024";

} // namespace

class TestListingFileCommands : public QObject {
    Q_OBJECT

private slots:
    void init() { m = std::make_unique<Fixture>(); }

    // An empty listing is refused before the filter question; nothing runs while another command does.
    void refusedCommands()
    {
        m->options.chooseMode(FilterMode::ExcludeTypes);
        m->session.saved = false;
        m->session.fileDialogs.saveAnswers << m->dir.filePath("out.txt");
        m->commands.savereport();
        const Message refusal { QMessageBox::Warning, {}, "Cannot save report, List is empty", QMessageBox::Ok };
        QCOMPARE(m->session.messages.shown, QList<Message> { refusal });
        QVERIFY(!m->session.saved);

        fillListing();
        m->session.running = true;
        m->commands.savereport();
        m->commands.openreport();
        QCOMPARE(m->session.fileDialogs.saved + m->session.fileDialogs.opened, 0);
    }

    // Save, or leaving with the listing unsaved (the main window then asks checkforsave); the type checked is txt.
    void save_data()
    {
        QTest::addColumn<FilterMode>("mode");
        QTest::addColumn<QList<QMessageBox::StandardButton>>("answers");
        QTest::addColumn<QStringList>("titles"); // of the questions asked; leaving asks first
        QTest::addColumn<QStringList>("written"); // the names in the saved file; none: no name chosen to save to
        QTest::addColumn<bool>("stays"); // leaving is called off, the listing unsaved
        const QString asked = "Save Current Listing?", filtered = "Save Only Filtered List?";
        const QStringList all { "readme.txt", filledSelection + "/notes, old", "crème brûlée.doc",
            filledSelection + "/notes, old/deep", "say \"hi\".txt" };
        const auto yes = QMessageBox::Yes, no = QMessageBox::No, cancel = QMessageBox::Cancel;
        const auto includeAll = FilterMode::IncludeAll, exclude = FilterMode::ExcludeTypes;
        // clang-format off
        QTest::newRow("include all asks nothing") << includeAll << QList { yes } << QStringList {} << all << false;
        QTest::newRow("exclude, Yes") << exclude << QList { yes } << QStringList { filtered } << QStringList { all[2] } << false;
        QTest::newRow("exclude, No") << exclude << QList { no } << QStringList { filtered } << all << false;
        QTest::newRow("include, Yes") << FilterMode::IncludeTypes << QList { yes } << QStringList { filtered } << QStringList { all[0], all[4] } << false;
        QTest::newRow("leaving, No") << includeAll << QList { no } << QStringList { asked } << QStringList() << false;
        QTest::newRow("leaving, Yes then cancelled") << includeAll << QList { yes } << QStringList { asked } << QStringList() << true;
        QTest::newRow("leaving, Cancel") << includeAll << QList { cancel } << QStringList { asked } << QStringList() << true;
        QTest::newRow("leaving, filtered") << exclude << QList { yes, yes } << QStringList { asked, filtered } << QStringList { all[2] } << false;
        // clang-format on
    }
    void save()
    {
        QFETCH(FilterMode, mode);
        QFETCH(QList<QMessageBox::StandardButton>, answers);
        QFETCH(QStringList, titles);
        QFETCH(QStringList, written);
        QFETCH(bool, stays);
        const bool closing = titles.value(0) == "Save Current Listing?";
        const bool named = !written.isEmpty();
        fillListing();
        m->options.chooseMode(mode);
        m->options.setTypeText(0, "txt");
        m->options.setTypeChecked(0, true);
        m->session.messages.answers = answers;
        const QString path = m->dir.filePath("out.txt");
        const QByteArray old(5000, 'x'); // a save replaces it whole, not in part
        writeFile(path, old);
        if (named)
            m->session.fileDialogs.saveAnswers << path;
        m->session.isClosing = closing;
        if (closing)
            QCOMPARE(m->commands.checkforsave(), !stays);
        else
            m->commands.savereport();

        QStringList asked;
        for (const Message& message : std::as_const(m->session.messages.shown))
            asked << message.title;
        QCOMPARE(asked, titles);
        if (closing)
            QCOMPARE(m->session.messages.shown[0],
                (Message { QMessageBox::NoIcon, "Save Current Listing?",
                    "   Current listing is not saved   \r\n   Do you want to save now ?   ",
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes }));
        QCOMPARE(m->session.programEnds, 0);
        QCOMPARE(m->session.saved, !stays);
        const QByteArray bytes = readAll(path);
        if (written.size() == 5)
            QCOMPARE(bytes, readAll(VELLUMARK_TEST_DATA "/small.txt"));
        QStringList names;
        const ListingFileContent read = ListingFileReader::parse(bytes);
        for (qsizetype i = 0; i < read.records.size(); ++i)
            names << read.records.name(i);
        QCOMPARE(names, written);
        if (named)
            QCOMPARE(m->session.fileDialogs.filtersAsked, QStringList { FileDialogService::textFilter() });
    }

    void failedSave_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("a folder of that name") << "folder";
        QTest::newRow("full disk through a size limit") << "full";
        QTest::newRow("file locked") << "locked";
        QTest::newRow("a running program") << "running";
    }
    void failedSave()
    {
        QFETCH(QString, how);
        fillListing();
        const QString path = m->dir.filePath(how == "folder" ? "folder" : "old.txt");
        QVERIFY(QDir(m->dir.path()).mkdir("folder"));
        writeFile(m->dir.filePath("old.txt"), "\"old\"\r\n");
        QProcess program;
        if (how == "running") {
            QVERIFY(QFile::remove(path) && QFile::copy(QStandardPaths::findExecutable("sleep"), path));
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            program.start(path, { "30" });
            QVERIFY(program.waitForStarted());
        }
        const QByteArray old = readAll(m->dir.filePath("old.txt"));
        m->session.fileDialogs.saveAnswers << path;

        rlimit saved {};
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit small { 64, saved.rlim_max };
        std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of ending the test
        const int lockFd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (how == "full")
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        else if (how == "locked")
            QCOMPARE(::flock(lockFd, LOCK_EX | LOCK_NB), 0);
        m->commands.savereport();
        setrlimit(RLIMIT_FSIZE, &saved);
        ::close(lockFd);
        program.kill();
        program.waitForFinished();

        QVERIFY(!m->session.saved);
        QCOMPARE(m->session.messages.shown.size(), 1);
        const QString text = m->session.messages.shown[0].text;
        if (how == "locked" || how == "running") {
            QCOMPARE(m->session.messages.shown[0],
                (Message { QMessageBox::NoIcon, "Error Opening File For Save", "File In Use By This or another program",
                    QMessageBox::Ok }));
        } else {
            // The path, the system's reason, then what became of the file.
            const QString remains
                = how == "folder" ? "No file has been written" : "The existing file has not been changed";
            QVERIFY2(text.startsWith("Cannot save the listing to " + path + "\r\n") && text.endsWith("\r\n" + remains)
                    && text.count("\r\n") == 2 && !text.contains("\r\n\r\n"),
                qPrintable(text));
        }
        QCOMPARE(readAll(m->dir.filePath("old.txt")), old);
        QCOMPARE(QDir(m->dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { "old.txt" });
    }

    // A cancelled save leaves the old file as it was and the listing unsaved; a cancelled open leaves the
    // listing on screen as it was. Neither says a word.
    void cancelled_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<bool>("byKey");
        QTest::newRow("save, Esc") << true << true;
        QTest::newRow("open, Cancel") << false << false;
    }
    void cancelled()
    {
        QFETCH(bool, save);
        QFETCH(bool, byKey);
        fillListing();
        const QString path = m->dir.filePath("old.txt");
        writeFile(path, listingFile(3000));
        (save ? m->session.fileDialogs.saveAnswers : m->session.fileDialogs.openAnswers) << path;
        {
            ProgressCanceller canceller(&m->session.mainWindow, byKey);
            save ? m->commands.savereport() : m->commands.openreport();
            QCOMPARE(canceller.caption, save ? "Saving Listing" : "Opening Listing");
        }
        QCOMPARE(readAll(path), listingFile(3000));
        QCOMPARE(QDir(m->dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { "old.txt" });
        QVERIFY(!m->session.saved && m->session.messages.shown.isEmpty());
        QCOMPARE(m->session.table.listcount(), 5);
        QCOMPARE(m->session.selection, filledSelection);
        QCOMPARE(m->session.listingChanges, 0);
    }

    void openKeepsOrReplaces_data()
    {
        QTest::addColumn<QString>("chosen"); // empty: the dialog is cancelled
        QTest::addColumn<QByteArray>("bytes"); // written to in.txt
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("selection");
        QTest::addColumn<QString>("text"); // how the message starts, %1 the file; empty: no message
        QTest::addColumn<qint64>("limit");
        const QByteArray good = "\"/p\"\r\n\"a\",\"1\",\"d\"\r\n\"b\",\"2\",\"d\"\r\n";
        const QString top = fromNativeBytes(topDir);
        const QString kept = "\r\nThe records before that line have been kept";
        QTest::newRow("16001 rows, saved again unchanged")
            << "in.txt" << listingFile(16001) << 16001 << top << "" << ListingChoices::defaultLimit;
        QTest::newRow("cancelled") << "" << QByteArray() << 5 << filledSelection << "" << ListingChoices::defaultLimit;
        QTest::newRow("a named pipe, which must not block")
            << "pipe" << QByteArray() << 5 << filledSelection << "Cannot open %1\r\nThis is a named pipe, not a file"
            << ListingChoices::defaultLimit;
        QTest::newRow("truncated") << "in.txt" << good + "\"c\",\"3" << 2 << "/p"
                                   << "Error reading %1 at line 4\r\nThe file ends inside a record" + kept
                                   << ListingChoices::defaultLimit;
        QTest::newRow("empty") << "in.txt" << QByteArray() << 5 << filledSelection
                               << "%1 is not a listing file\r\nIt holds no listing" << ListingChoices::defaultLimit;
        QTest::newRow("binary") << "in.txt" << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10) << 5 << filledSelection
                                << "%1 is not a listing file" << ListingChoices::defaultLimit;
        QTest::newRow("a text file") << "in.txt" << QByteArray("Notes\nRead this, then that.\n") << 5 << filledSelection
                                     << "%1 is not a listing file\r\nLine 2: it holds 2 fields, not 3"
                                     << ListingChoices::defaultLimit;
        QTest::newRow("a record of four fields")
            << "in.txt" << good + "\"c\",\"3\",\"d\",\"x\"\r\n"
            << 2 << "/p"
            << "Error reading %1 at line 4\r\nIt holds 4 fields, not 3" + kept << ListingChoices::defaultLimit;
        // The kernel refuses to read this one at offset 0, a read error a test can rely on.
        QTest::newRow("read error") << "/proc/self/mem" << QByteArray() << 5 << filledSelection
                                    << "Cannot open %1\r\n" + qt_error_string(EIO) << ListingChoices::defaultLimit;
        QTest::newRow("over a limit of 2")
            << "in.txt" << good + good.mid(6) << 2 << "/p"
            << "Maximum List size of 2 reached\r\nList stopped at 2 records" << qint64 { 2 };
        QTest::newRow("32001 rows, no limit")
            << "in.txt" << listingFile(32001) << 32001 << top << "" << ListingChoices::noLimit;
    }
    // What cannot be opened keeps the listing and leaves it unsaved; what is read replaces it.
    void openKeepsOrReplaces()
    {
        QFETCH(QString, chosen);
        QFETCH(QByteArray, bytes);
        QFETCH(int, count);
        QFETCH(QString, selection);
        QFETCH(QString, text);
        QFETCH(qint64, limit);
        m->session.choices.limit = limit;
        fillListing();
        const QString path = QDir(m->dir.path()).filePath(chosen);
        const bool read = selection != filledSelection; // the listing was replaced
        if (chosen == "in.txt")
            writeFile(path, bytes);
        if (chosen == "pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        if (!chosen.isEmpty())
            m->session.fileDialogs.openAnswers << path;
        m->commands.openreport();
        QCOMPARE(m->session.table.listcount(), count);
        QCOMPARE(m->session.listingChanges > 0, read);
        QCOMPARE(m->session.selection, selection);
        QCOMPARE(m->session.saved, read);
        QCOMPARE(m->session.messages.shown.size(), text.isEmpty() ? 0 : 1);
        if (!text.isEmpty())
            QVERIFY2(m->session.messages.shown[0].text.startsWith(QString(text).replace("%1", path)),
                qPrintable(m->session.messages.shown[0].text));
        if (read && text.isEmpty()) {
            m->session.fileDialogs.saveAnswers << m->dir.filePath("out.txt");
            m->commands.savereport();
            QCOMPARE(readAll(m->dir.filePath("out.txt")), bytes);
        }
    }

private:
    void fillListing()
    {
        ListingFileContent small = ListingFileReader::parse(readAll(VELLUMARK_TEST_DATA "/small.txt"));
        m->session.selection = small.selectedPath;
        m->session.table.replaceWith(std::move(small.records));
        m->session.saved = false;
    }

    struct Fixture {
        QTemporaryDir dir;
        FakeListingSession session;
        ReportOptions options;
        ListingFileCommands commands { session, options };
    };
    std::unique_ptr<Fixture> m;
};

QTEST_MAIN(TestListingFileCommands)
#include "tst_listingfilecommands.moc"
