#include "reportoptions.h"

#include <QTest>

// One text per slot, from slot 0: "+txt" checked with text txt, "-txt" unchecked, "+" checked and empty.
static void setSlots(ReportOptions& options, const QStringList& slotTexts)
{
    for (int i = 0; i < slotTexts.size(); ++i) {
        options.setTypeChecked(i, slotTexts.at(i).startsWith(QLatin1Char('+')));
        options.setTypeText(i, slotTexts.at(i).mid(1));
    }
}

class TestReportOptions : public QObject {
    Q_OBJECT
private slots:
    void rowRule_data()
    {
        QTest::addColumn<FilterMode>("mode");
        QTest::addColumn<QStringList>("slotTexts");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("size"); // " " for a folder row, empty for a blank one
        QTest::addColumn<bool>("passes");
        const auto all = FilterMode::IncludeAll;
        const auto exclude = FilterMode::ExcludeTypes;
        const auto include = FilterMode::IncludeTypes;
        // clang-format off
        QTest::newRow("all: empty row") << all << QStringList {} << "" << "" << true;
        QTest::newRow("exclude, nothing: empty row dropped") << exclude << QStringList {} << "" << "" << false;
        QTest::newRow("exclude txt: notes.txt") << exclude << QStringList { "+txt" } << "notes.txt" << "12" << false;
        QTest::newRow("exclude txt: notes.TXT") << exclude << QStringList { "+txt" } << "notes.TXT" << "12" << true;
        QTest::newRow("exclude txt: folder row") << exclude << QStringList { "+txt" } << "/a/docs" << " " << false;
        QTest::newRow("include unchecked doc") << include << QStringList { "-doc" } << "letter.doc" << "9" << false;
        QTest::newRow("include doc: folder ending in doc") << include << QStringList { "+doc" } << "/home/doc" << " " << true;
        QTest::newRow("include htm: page.xhtm") << include << QStringList { "+htm" } << "page.xhtm" << "1" << true;
        QTest::newRow("include ab: name ab") << include << QStringList { "+ab" } << "ab" << "1" << true;
        QTest::newRow("include ab: name bab") << include << QStringList { "+ab" } << "bab" << "1" << false;
        QTest::newRow("include checked empty text: empty row") << include << QStringList { "+" } << "" << "" << false;
        QTest::newRow("include in slot 5") << include << QStringList { "", "", "", "", "", "+doc" } << "a.doc" << "1" << true;
        QTest::newRow("include: character beyond BMP is one") << include << QStringList { "+ab\U0001F600" } << "xab\U0001F600" << "1" << true;
        // clang-format on
    }
    void rowRule()
    {
        QFETCH(FilterMode, mode);
        QFETCH(QStringList, slotTexts);
        QFETCH(QString, name);
        QFETCH(QString, size);
        QFETCH(bool, passes);
        ReportOptions options;
        options.chooseMode(mode);
        setSlots(options, slotTexts);
        const RowKind kind = size == " " ? RowKind::Folder : size.isEmpty() ? RowKind::Blank : RowKind::File;
        QCOMPARE(checkforprint(name, kind, options), passes);
    }

    void disabledSlotTakesNoType()
    {
        ReportOptions options;
        setSlots(options, { "+doc" });
        options.chooseMode(FilterMode::IncludeTypes);
        QCOMPARE(options.slot(0), (TypeSlot { 0, "", true }));
    }
};

QTEST_APPLESS_MAIN(TestReportOptions)
#include "tst_reportoptions.moc"
