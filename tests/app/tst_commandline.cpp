#include "batchrun.h"
#include "commandline.h"
#include "fakelistingsession.h"
#include "faultyfilesystemservice.h"
#include "filesystemservice.h"
#include "folderwalk.h"
#include "listingfilecommands.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(CommandLine::Mode)

namespace {
void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
}

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        m_tree = m_dir.filePath(QStringLiteral("tree"));
        QVERIFY(QDir().mkpath(m_tree + QStringLiteral("/sub, \"q\"/deeper")));
        writeFile(m_tree + QStringLiteral("/a.txt"), "12345");
        writeFile(m_tree + QStringLiteral("/b.doc"), "1");
        writeFile(m_tree + QStringLiteral("/sub, \"q\"/c.txt"), "");
    }

    void parses_data()
    {
        using Mode = CommandLine::Mode;
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<QString>("choices"); // depth/limit
        const auto row = [](const char* name, const QString& line, Mode mode, const QString& choices = "5/32000") {
            QTest::newRow(name) << (QStringLiteral("vellumark ") + line).split(u' ', Qt::SkipEmptyParts) << mode
                                << choices;
        };
        row("nothing", {}, Mode::Window);
        row("pdf of listing", "--pdf o.pdf --open l.txt", Mode::Batch);
        row("print on printer", "--print --printer lp1 -q", Mode::Batch);
        row("six types", "--save o --include aaa,bbb,ccc,ddd,eee,fff", Mode::Batch);
        row("help", "-h", Mode::Help);
        row("version", "--version", Mode::Version);
        row("seven types", "--save o --include a,b,c,d,e,f,g", Mode::UsageError);
        row("include and exclude", "--save o --include a --exclude b", Mode::UsageError);
        row("folder and open", "--open l.txt /tmp", Mode::UsageError);
        row("two folders", "/tmp /usr", Mode::UsageError);
        row("empty value", "--save=", Mode::UsageError);
        row("printer without print", "--pdf o.pdf --printer lp1", Mode::UsageError);
        row("type with dot", "--save o --include .txt", Mode::UsageError);
        row("empty type", "--save o --include txt,,doc", Mode::UsageError);
        row("compare and save", "--compare old.txt --save o", Mode::UsageError);
        row("compare, print and pdf", "--compare old.txt --print --pdf o.pdf", Mode::UsageError);
        row("save and pdf the same file", "--save o --pdf ./o", Mode::UsageError);
        row("pdf onto the opened listing", "--open l.txt --pdf l.txt", Mode::UsageError);
        row("window with depth and limit", "--depth all --limit none /tmp", Mode::Window, "all/none");
        row("depth and limit for a comparison", "--compare l.txt --depth=7 --limit=100000", Mode::Batch, "7/100000");
        row("last depth counts", "--save o --depth 2 --depth ALL --limit 1", Mode::Batch, "all/1");
        row("depth 0", "--save o --depth 0", Mode::UsageError, "5/32000");
        row("limit 0", "--save o --limit 0", Mode::UsageError, "5/32000");
        row("signed limit", "--save o --limit +5", Mode::UsageError, "5/32000");
        row("limit as a word", "--save o --limit all", Mode::UsageError, "5/32000");
        row("depth past any level", "--save o --depth 99999999999", Mode::UsageError, "5/32000");
        row("catalogue and json lines", "--html o.html --jsonl o.jsonl /tmp", Mode::Batch, "5/32000");
        row("compare and catalogue", "--compare old.txt --html o.html", Mode::UsageError, "5/32000");
        row("catalogue onto the saved listing", "--save o --html ./o", Mode::UsageError, "5/32000");
        row("json lines onto the opened listing", "--open l.txt --jsonl l.txt", Mode::UsageError, "5/32000");
        row("json lines onto the catalogue", "--jsonl o --html o", Mode::UsageError, "5/32000");
        row("both to standard output", "--jsonl - --html - /tmp", Mode::UsageError, "5/32000");
        row("pdf onto the older listing", "--compare l.txt --pdf ../" + QDir::current().dirName() + "/l.txt",
            Mode::UsageError);
    }
    void parses()
    {
        QFETCH(QStringList, arguments);
        QFETCH(CommandLine::Mode, mode);
        QFETCH(QString, choices);
        const CommandLine parsed = parseCommandLine(arguments);
        QCOMPARE(parsed.mode, mode);
        QCOMPARE(ListingChoiceText::depth(parsed.choices.depth) + u'/' + ListingChoiceText::limit(parsed.choices.limit),
            choices);
        QCOMPARE(parsed.error.isEmpty(), mode != CommandLine::Mode::UsageError);
        ReportOptions options; // every type given reaches the report's filter
        applyFilter(parsed, options);
        QVERIFY(QTest::currentDataTag() != QByteArray("six types")
            || (checkforprint("x.fff", RowKind::File, options) && !checkforprint("x.ggg", RowKind::File, options)));
    }

    void exitStatus_data()
    {
        QTest::addColumn<QString>("line"); // TREE, DIR stand for the test's folders
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("written");
        QTest::newRow("saved") << "--save DIR/out TREE" << 0 << true;
        QTest::newRow("pdf and save, filtered") << "--pdf DIR/out --save DIR/o2 --include txt TREE" << 0 << true;
        QTest::newRow("usage") << "--save DIR/out --include html TREE" << 2 << false;
        QTest::newRow("no folder") << "--save DIR/out DIR/none" << 1 << false;
        QTest::newRow("corrupt listing") << "--save DIR/out --open DIR/corrupt" << 1 << false;
        QTest::newRow("listing is a folder") << "--pdf DIR/out --open TREE" << 1 << false;
        QTest::newRow("listing is a pipe") << "--save DIR/out --open DIR/pipe" << 1 << false;
        QTest::newRow("target folder missing") << "--save DIR/none/out TREE" << 1 << false;
        QTest::newRow("pdf target folder missing") << "--pdf DIR/none/out TREE" << 1 << false;
        QTest::newRow("no such printer") << "--print --printer DIR/none TREE" << 1 << false;
        QTest::newRow("default printer") << "--print -q TREE" << 0 << false; // a real spooler where there is one
        QTest::newRow("compare with a corrupt listing") << "--compare DIR/corrupt --pdf DIR/out TREE" << 2 << false;
        QTest::newRow("save onto a pipe") << "--save DIR/pipe TREE" << 1 << false;
        QTest::newRow("pdf onto a folder") << "--pdf DIR/locked TREE" << 1 << false;
        QTest::newRow("pdf fails, listing kept") << "--save DIR/out --pdf DIR/none/x.pdf TREE" << 1 << false;
        QTest::newRow("pdf onto a hard link of the listing") << "--open DIR/corrupt --pdf DIR/link" << 2 << false;
        QTest::newRow("listing limit reached") << "--save DIR/out DIR/many" << 3 << true;
        QTest::newRow("listing file over the limit") << "--save DIR/out --open DIR/three --limit 2" << 3 << true;
        QTest::newRow("listing file, no limit") << "--save DIR/out --open DIR/three --limit none" << 0 << true;
        QTest::newRow("compare over the limit") << "--compare DIR/three --open DIR/three --limit 2" << 3 << false;
        QTest::newRow("compare within the limit") << "--compare DIR/three --open DIR/three --limit 3" << 0 << false;
        QTest::newRow("catalogue and json lines") << "--html DIR/out --jsonl DIR/o2 --exclude doc TREE" << 0 << true;
        QTest::newRow("catalogue fails, listing kept") << "--save DIR/out --html DIR/none/x.html TREE" << 1 << false;
        QTest::newRow("json lines onto a pipe, listing kept") << "--save DIR/out --jsonl DIR/pipe TREE" << 1 << false;
    }
    void exitStatus()
    {
        QFETCH(QString, line);
        QFETCH(int, status);
        QFETCH(bool, written);
        const QString dir = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_'));
        QVERIFY(QDir().mkpath(dir + QStringLiteral("/locked/shut")));
        writeFile(dir + QStringLiteral("/locked/f.txt"), "x");
        writeFile(dir + QStringLiteral("/out"), "old");
        writeFile(dir + QStringLiteral("/corrupt"), "\"/x\"\r\n\"a\"b\",\"1\",\"2\"\r\n");
        writeFile(
            dir + QStringLiteral("/three"), "\"/x\"\r\n\"a\",\"1\",\"\"\r\n\"b\",\"1\",\"\"\r\n\"c\",\"1\",\"\"\r\n");
        QCOMPARE(::link(QFile::encodeName(dir + QStringLiteral("/corrupt")).constData(),
                     QFile::encodeName(dir + QStringLiteral("/link")).constData()),
            0);
        QVERIFY(::mkfifo(QFile::encodeName(dir + QStringLiteral("/pipe")).constData(), 0600) == 0);
        if (QTest::currentDataTag() == QByteArray("listing limit reached")) {
            QVERIFY(QDir().mkpath(dir + QStringLiteral("/many")));
            for (int i = 0; i < 32000; ++i)
                QCOMPARE(
                    ::close(::creat(QFile::encodeName(dir + QStringLiteral("/many/%1").arg(i)).constData(), 0644)), 0);
        }
        if (QTest::currentDataTag() == QByteArray("default printer")
            && QProcess::execute(
                   QStringLiteral("sh"), { QStringLiteral("-c"), QStringLiteral("lpstat -d | grep -q :") })
                != 0)
            QSKIP("no default printer");
        QVERIFY(QFile::setPermissions(dir + QStringLiteral("/locked/shut"), {}));

        QProcess program;
        program.start(QStringLiteral(VELLUMARK_PROGRAM),
            line.replace(QLatin1String("TREE"), m_tree).replace(QLatin1String("DIR"), dir).split(u' '));
        QVERIFY(program.waitForFinished(30000));
        const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
        QCOMPARE(program.exitCode(), status);
        QCOMPARE(readAll(dir + QStringLiteral("/out")) != "old", written);
        QCOMPARE(errors.isEmpty(), status == 0);
        if (status == 1)
            QCOMPARE(errors.count(u'\n'), 1);
        struct stat pipe { }; // an output never replaces what is not a regular file
        QVERIFY(
            ::stat(QFile::encodeName(dir + QStringLiteral("/pipe")).constData(), &pipe) == 0 && S_ISFIFO(pipe.st_mode));
        // No temporary file is left behind, whatever happened.
        QCOMPARE(QDir(dir).entryList({ QStringLiteral(".*") }, QDir::Files | QDir::Hidden), QStringList());
    }

    // A walk that could not read all it met still saves what it listed, and says so by its status; one that
    // could not read the folder itself saves nothing.
    void partialWalk_data()
    {
        QTest::addColumn<QString>("unreadable"); // below the tree
        QTest::addColumn<QString>("choice");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("records");
        QTest::newRow("an unreadable subfolder") << "/sub, \"q\""
                                                 << "-q" << 3 << 3;
        QTest::newRow("an unreadable folder a level down") << "/sub, \"q\"/deeper"
                                                           << "-q" << 3 << 5;
        QTest::newRow("the folder itself unreadable") << ""
                                                      << "-q" << 1 << 0;
        QTest::newRow("all read") << "/none"
                                  << "-q" << 0 << 5;
        QTest::newRow("depth 1") << "/none"
                                 << "--depth=1" << 0 << 4;
        QTest::newRow("limit 2") << "/none"
                                 << "--limit=2" << 3 << 2;
    }
    void partialWalk()
    {
        QFETCH(QString, unreadable);
        QFETCH(QString, choice);
        QFETCH(int, status);
        QFETCH(int, records);
        FaultyFileSystemService fileSystem;
        fileSystem.failures.insert(QFile::encodeName(m_tree + unreadable), QStringLiteral("Permission denied"));
        const QString out = m_dir.filePath(QStringLiteral("partial-%1.txt").arg(QTest::currentDataTag()));
        CommandLine commandLine = parseCommandLine({ "vellumark", "-q", choice, "--save", out, m_tree });
        QCOMPARE(runBatch(commandLine, nullptr, &fileSystem), status);
        const QByteArray saved = readAll(out);
        QCOMPARE(saved == "<missing>" ? 0 : int(saved.count("\r\n")) - 1, records);
    }

    // The edges of the system a scheduled run meets, each by a shell line: $V the program, $D a folder of its
    // own, $T the tree.
    void systemEdges_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message"); // the only line on stderr; empty: none
        const QString name250 = "\"$D/$(printf 'a%.0s' $(seq 250))\"";
        QTest::newRow("a name's bytes are kept")
            << R"sh("$V" --save "$D/o$(printf '\377')" "$T" && test -f "$D/o$(printf '\377')")sh" << 0 << "";
        QTest::newRow("a 250-byte name saved twice")
            << "\"$V\" --save " + name250 + " \"$T\" && \"$V\" --save " + name250 + " \"$T\"" << 0 << "";
        QTest::newRow("a 256-byte name") << R"sh("$V" --save "$D/$(printf 'a%.0s' $(seq 256))" "$T")sh" << 1
                                         << "cannot save $D/" + QString(256, u'a') + ": File name too long";
        QTest::newRow("a file size limit") << R"sh(echo old > "$D/o"; ulimit -f 0; "$V" --save "$D/o" "$T"; s=$?; )sh"
                                              R"sh(test "$(cat "$D/o")" = old || exit 9; exit $s)sh"
                                           << 1 << "cannot save $D/o: File too large";
        QTest::newRow("differences to a full disk")
            << R"sh(printf '"%s"\r\n' "$T" > "$D/old"; "$V" --compare "$D/old" "$T" > /dev/full)sh" << 2
            << "cannot write the differences to standard output: No space left on device";
        QTest::newRow("a listing to standard output, as to a file")
            << R"sh("$V" --save - "$T" > "$D/a" && "$V" --save "$D/b" "$T" && cmp -s "$D/a" "$D/b")sh" << 0 << "";
        QTest::newRow("a listing to a full disk") << R"sh("$V" --save - "$T" > /dev/full)sh" << 1
                                                  << "cannot write to standard output: No space left on device";
        QTest::newRow("json lines to standard output, as to a file")
            << R"sh("$V" --jsonl - "$T" | tail -n +2 > "$D/a" && "$V" --jsonl "$D/b" "$T" && tail -n +2 "$D/b" | )sh"
               R"sh(cmp -s - "$D/a" && test "$(wc -l < "$D/a")" -eq 5)sh"
            << 0 << "";
        QTest::newRow("json lines to a closed pipe")
            << R"sh({ "$V" --jsonl - "$T"; echo $? > "$D/s"; } | :; exit "$(cat "$D/s")")sh" << 1
            << "cannot write to standard output: Broken pipe";
        QTest::newRow("a catalogue past a file size limit") << R"sh(ulimit -f 1; "$V" --html - "$T" > "$D/p")sh" << 1
                                                            << "cannot write to standard output: File too large";
#ifndef __SANITIZE_ADDRESS__ // the sanitizer's shadow memory alone is larger than this address space
        QTest::newRow("a small address space") << R"sh(ulimit -v 200000; "$V" --save "$D/o" "$T")sh" << 0 << "";
        QTest::newRow("a comparison without the memory to run")
            << R"sh("$V" --save "$D/old" "$T" && ulimit -v 60000 && "$V" --compare "$D/old" "$T" 2> /dev/null)sh" << 2
            << "";
#endif
        QTest::newRow("no display") << R"sh(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$V" "$T")sh" << 1
                                    << "there is no display to show the window on; --save, --pdf, --print and "
                                       "--compare work without one (see vellumark --help)";
        QTest::newRow("a display with no server")
            << R"sh(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:987 "$V" "$T")sh" << 1
            << "cannot open the display :987";
    }
    void systemEdges()
    {
        QFETCH(QString, script);
        QFETCH(int, status);
        QFETCH(QString, message);
        const QString dir = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_'));
        QVERIFY(QDir().mkpath(dir));
        QProcess shell;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("V", VELLUMARK_PROGRAM);
        environment.insert("D", dir);
        environment.insert("T", m_tree);
        shell.setProcessEnvironment(environment);
        shell.start("sh", { "-c", script });
        QVERIFY(shell.waitForFinished(60000));
        QCOMPARE(shell.exitStatus(), QProcess::NormalExit);
        const QString errors = QString::fromLocal8Bit(shell.readAllStandardError());
        QCOMPARE(errors, message.isEmpty() ? QString() : "vellumark: " + QString(message).replace("$D", dir) + "\n");
        QCOMPARE(shell.exitCode(), status);
        QCOMPARE(QDir(dir).entryList({ QStringLiteral(".vellumark-*") }, QDir::Files | QDir::Hidden), QStringList());
    }

    void saveWritesWhatTheWindowSaves()
    {
        FakeListingSession session;
        PosixFileSystemService fileSystem;
        session.selection = QDir::toNativeSeparators(m_tree);
        (void)FolderWalk(fileSystem, session.table, {}).ShowFileList(session.selection);
        const QString windowFile = m_dir.filePath(QStringLiteral("window.txt"));
        session.fileDialogs.saveAnswers = { windowFile };
        ReportOptions options;
        ListingFileCommands(session, options).savereport();

        const QString commandLineFile = m_dir.filePath(QStringLiteral("commandline.txt"));
        QCOMPARE(
            QProcess::execute(QStringLiteral(VELLUMARK_PROGRAM), { QStringLiteral("--save"), commandLineFile, m_tree }),
            0);
        QCOMPARE(readAll(windowFile).count("\r\n"), 6);
        QCOMPARE(readAll(commandLineFile), readAll(windowFile));
    }

    // The catalogue opens as the listing it was made from, for --open and --compare alike.
    void catalogueOpensAsItsListing()
    {
        const QString page = m_dir.filePath(QStringLiteral("catalogue.html"));
        const QString listing = m_dir.filePath(QStringLiteral("walked.txt"));
        const QString again = m_dir.filePath(QStringLiteral("again.txt"));
        const auto run = [](const QStringList& arguments) {
            return QProcess::execute(QStringLiteral(VELLUMARK_PROGRAM), arguments);
        };
        QCOMPARE(run({ QStringLiteral("--html"), page, QStringLiteral("--save"), listing, m_tree }), 0);
        QCOMPARE(run({ QStringLiteral("--open"), page, QStringLiteral("--save"), again }), 0);
        QCOMPARE(readAll(again), readAll(listing));
        QCOMPARE(run({ QStringLiteral("--compare"), page, QStringLiteral("--open"), listing }), 0);
    }

private:
    QTemporaryDir m_dir;
    QString m_tree;
};

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
