#include "reportoptions.h"

#include <QTest>

namespace {

// One text per slot, from slot 0: "+txt" checked with text txt, "-txt" unchecked, "+" checked and empty.
void setSlots(ReportOptions& options, const QStringList& slotTexts)
{
    for (int i = 0; i < slotTexts.size(); ++i) {
        options.setTypeChecked(i, slotTexts.at(i).startsWith(QLatin1Char('+')));
        options.setTypeText(i, slotTexts.at(i).mid(1));
    }
}

const QString folder = QStringLiteral(" ");
const QString emptyRow;

}

class TestReportOptions : public QObject {
    Q_OBJECT
private slots:
    void rowRule_data();
    void rowRule();
    void modeChanges_data();
    void modeChanges();
};

void TestReportOptions::rowRule_data()
{
    QTest::addColumn<FilterMode>("mode");
    QTest::addColumn<QStringList>("slotTexts");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("size");
    QTest::addColumn<bool>("passes");

    const auto all = FilterMode::IncludeAll;
    const auto exclude = FilterMode::ExcludeTypes;
    const auto include = FilterMode::IncludeTypes;
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    // clang-format off
    QTest::newRow("all: folder row") << all << QStringList {} << "/data/docs" << folder << true;
    QTest::newRow("all: empty row") << all << QStringList {} << "" << emptyRow << true;
    QTest::newRow("exclude, nothing: file kept") << exclude << QStringList {} << "notes.txt" << "12" << true;
    QTest::newRow("exclude, nothing: folder dropped") << exclude << QStringList {} << "/data/docs" << folder << false;
    QTest::newRow("exclude, nothing: empty row dropped") << exclude << QStringList {} << "" << emptyRow << false;
    QTest::newRow("exclude txt: notes.txt") << exclude << QStringList { "+txt" } << "notes.txt" << "12" << false;
    QTest::newRow("exclude txt: notes.TXT") << exclude << QStringList { "+txt" } << "notes.TXT" << "12" << true;
    QTest::newRow("exclude txt: folder ending in txt") << exclude << QStringList { "+txt" } << "/a/txt" << folder << false;
    QTest::newRow("exclude unchecked txt") << exclude << QStringList { "-txt" } << "notes.txt" << "12" << true;
    QTest::newRow("exclude checked empty text") << exclude << QStringList { "+" } << "notes.txt" << "12" << true;
    QTest::newRow("exclude htm: page.xhtm") << exclude << QStringList { "+htm" } << "page.xhtm" << "1" << false;
    QTest::newRow("exclude in slot 5") << exclude << QStringList { "", "", "", "", "", "+txt" } << "a.txt" << "1" << false;
    QTest::newRow("include, nothing checked: file") << include << QStringList { "-doc" } << "letter.doc" << "9" << false;
    QTest::newRow("include, nothing: folder") << include << QStringList {} << "/a/doc" << folder << false;
    QTest::newRow("include doc: letter.doc") << include << QStringList { "+doc" } << "letter.doc" << "9" << true;
    QTest::newRow("include doc: letter.docx") << include << QStringList { "+doc" } << "letter.docx" << "9" << false;
    QTest::newRow("include doc: folder ending in doc") << include << QStringList { "+doc" } << "/home/doc" << folder << true;
    QTest::newRow("include doc: folder ending in docs") << include << QStringList { "+doc" } << "/home/docs" << folder << false;
    QTest::newRow("include htm: page.htm") << include << QStringList { "+htm" } << "page.htm" << "1" << true;
    QTest::newRow("include htm: page.xhtm") << include << QStringList { "+htm" } << "page.xhtm" << "1" << true;
    QTest::newRow("include htm: file named htm") << include << QStringList { "+htm" } << "htm" << "1" << true;
    QTest::newRow("include HTM: page.htm") << include << QStringList { "+HTM" } << "page.htm" << "1" << false;
    QTest::newRow("include html: page.html") << include << QStringList { "+html" } << "page.html" << "1" << false;
    QTest::newRow("include ab: name ab") << include << QStringList { "+ab" } << "ab" << "1" << true;
    QTest::newRow("include xab: name ab") << include << QStringList { "+xab" } << "ab" << "1" << false;
    QTest::newRow("include bab: name ab") << include << QStringList { "+ab" } << "bab" << "1" << false;
    QTest::newRow("include checked empty text: file") << include << QStringList { "+" } << "notes" << "1" << false;
    QTest::newRow("include checked empty text: empty row") << include << QStringList { "+" } << "" << emptyRow << false;
    QTest::newRow("include second of two slotTexts") << include << QStringList { "+exe", "+doc" } << "a.doc" << "1" << true;
    QTest::newRow("include in slot 5") << include << QStringList { "", "", "", "", "", "+doc" } << "a.doc" << "1" << true;
    QTest::newRow("include: character beyond BMP is one") << include << QStringList { "+ab" + emoji } << "xab" + emoji << "1" << true;
    QTest::newRow("include: three beyond BMP") << include << QStringList { "+" + emoji + emoji + emoji } << emoji + emoji + emoji + emoji << "1" << true;
    // clang-format on
}

void TestReportOptions::rowRule()
{
    QFETCH(FilterMode, mode);
    QFETCH(QStringList, slotTexts);
    QFETCH(QString, name);
    QFETCH(QString, size);
    QFETCH(bool, passes);

    ReportOptions options;
    options.chooseMode(mode);
    setSlots(options, slotTexts);
    const QString date = size == folder ? QStringLiteral("1") : QStringLiteral("3/4/2021");
    QCOMPARE(checkforprint(name, size, date, options), passes);
}

void TestReportOptions::modeChanges_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<FilterMode>("mode");
    QTest::addColumn<bool>("kept");

    const auto all = FilterMode::IncludeAll;
    const auto exclude = FilterMode::ExcludeTypes;
    const auto include = FilterMode::IncludeTypes;
    QTest::newRow("include, exclude") << QStringList { "include", "set", "exclude" } << exclude << true;
    QTest::newRow("include, exclude, include")
        << QStringList { "include", "set", "exclude", "include" } << include << true;
    QTest::newRow("exclude, exclude again") << QStringList { "exclude", "set", "exclude" } << exclude << true;
    QTest::newRow("include, all") << QStringList { "include", "set", "all" } << all << false;
    QTest::newRow("include, all, include") << QStringList { "include", "set", "all", "include" } << include << false;
    QTest::newRow("exclude, reset") << QStringList { "exclude", "set", "reset" } << all << false;
    QTest::newRow("exclude, reset, exclude")
        << QStringList { "exclude", "set", "reset", "exclude" } << exclude << false;
    QTest::newRow("set under all, include") << QStringList { "set", "include" } << include << false;
}

void TestReportOptions::modeChanges()
{
    QFETCH(QStringList, steps);
    QFETCH(FilterMode, mode);
    QFETCH(bool, kept);

    ReportOptions options;
    for (const QString& step : steps) {
        if (step == QLatin1String("set"))
            setSlots(options, { "", "+doc", "", "-exe", "+txt" });
        else if (step == QLatin1String("reset"))
            options.resetToDefaults();
        else
            options.chooseMode(step == QLatin1String("all") ? FilterMode::IncludeAll
                    : step == QLatin1String("include")      ? FilterMode::IncludeTypes
                                                            : FilterMode::ExcludeTypes);
    }

    const bool active = mode != FilterMode::IncludeAll;
    QCOMPARE(options.filtermode(), mode);
    QCOMPARE(options.filteractive(), active);
    const QList<TypeSlot> keptSlots { { 0, "", active }, { 1, "doc", active }, { 0, "", active }, { 0, "exe", active },
        { 1, "txt", active }, { 0, "", active } };
    for (int i = 0; i < ReportOptions::slotCount; ++i)
        QCOMPARE(options.slot(i), (kept ? keptSlots.at(i) : TypeSlot { 0, "", active }));
}

QTEST_APPLESS_MAIN(TestReportOptions)
#include "tst_reportoptions.moc"
