#include "bytename.h"
#include "filesystemservice.h"

#include <QTest>
#include <functional>

namespace {
// The names as a folder's entries are sorted, from the reverse of the order given, against the listing's rule.
void checkSorted(const QList<QByteArray>& names, const std::function<bool(const QString&, const QString&)>& byRule)
{
    std::vector<QByteArrayView> sorted(names.crbegin(), names.crend());
    sortNames(sorted);
    for (size_t i = 1; i < sorted.size(); ++i)
        if (byRule(fromNativeBytes(sorted[i]), fromNativeBytes(sorted[i - 1])))
            QFAIL(qPrintable(QStringLiteral("sorted %1 after %2")
                                 .arg(sorted[i].toByteArray().toHex(), sorted[i - 1].toByteArray().toHex())));
}
}

class TestFileSystemService : public QObject {
    Q_OBJECT
private slots:
    // Every pair of short names over letters that fold (the Kelvin sign to k, fullwidth), ASCII punctuation on
    // either side of the capitals, accented letters, bytes that are no UTF-8 and pieces that join into it.
    void nameOrder()
    {
        // The order as the listing defines it, on the text the bytes are read as.
        const auto byRule = [](const QString& a, const QString& b) {
            const int folded = a.compare(b, Qt::CaseInsensitive);
            return folded != 0 ? folded < 0 : a < b;
        };
        const QList<QByteArray> pieces { "a", "B", "k", "_", "\xef\xbc\xbf", "\xc3\xa9", "\xc3\x89", "\xe2\x84\xaa",
            "\xc3", "\x80", "\xff", "\xef\xbb\xbf", "\xf0\x9f\x98\x80", "\xef\xbc\xa1" };
        QList<QByteArray> byteNames { QByteArray() };
        for (qsizetype i = 0; i < byteNames.size(); ++i)
            if (byteNames[i].size() < 3)
                for (const QByteArray& piece : pieces)
                    byteNames.append(byteNames[i] + piece);
        // Alone, and after a start they share, long enough that they differ past the first eight bytes and past
        // the characters a sort's key holds, or past several keys. Both comparisons, of the bytes and of the keys a
        // sort makes, and the sort itself.
        for (const QByteArray& start : { QByteArray(), QByteArray("\xc3\xa9t\xc3\xa9") }) {
            QList<QByteArray> names;
            QList<QString> texts;
            std::vector<SortableName> keyed;
            for (const QByteArray& name : byteNames)
                names.append(start + name);
            for (const QByteArray& name : names) {
                texts.append(fromNativeBytes(name));
                keyed.emplace_back(name);
            }
            for (qsizetype a = 0; a < names.size(); ++a)
                for (qsizetype b = 0; b < names.size(); ++b) {
                    const bool expected = byRule(texts[a], texts[b]);
                    if (precedesByName(names[a], names[b]) != expected
                        || precedesByName(keyed[a], keyed[b]) != expected)
                        QFAIL(qPrintable(QStringLiteral("%1 against %2").arg(names[a].toHex(), names[b].toHex())));
                }
            checkSorted(names, byRule);
        }
        // Names that share stems of many lengths, as a folder's do, differ past several of the sort's keys.
        QList<QByteArray> stemmed;
        for (const char* stem : { "a,b,c ",
                 "Gr\xc3\xb6\xc3\x9f"
                 "e \xc3\xbc"
                 "ber ",
                 "IMG_", "img_", "\xc3\x89T\xc3\x89 ", "\xc3\xa9t\xc3\xa9 ", "notes \"draft\" ", "x\xf0\x9f\x98\x80" })
            for (const char* number : { "1", "10", "100", "2", "20", "99999", "1000000" })
                for (const char* suffix : { ".txt", ".TXT", ".bmp", "" })
                    stemmed.append(QByteArray(stem) + number + suffix);
        checkSorted(stemmed, byRule);
    }

    void nativeBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("valid two, three and four bytes")
            << QByteArray("\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80") << u"\u00e9\u20ac\U0001F600"_qs;
        QTest::newRow("leading byte-order mark") << QByteArray("\xef\xbb\xbfx") << u"\ufeffx"_qs;
        QTest::newRow("truncated sequence at the end") << QByteArray("a\xe2\x82") << u"a\ufffd\ufffd"_qs;
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xb3\xbf") << u"\ufffd\ufffd\ufffd"_qs;
        QTest::newRow("valid after an invalid byte") << QByteArray("\xff\xc3\xa9") << u"\ufffd\u00e9"_qs;
    }
    // Every byte string comes back exactly; valid UTF-8 decodes as it always did.
    void nativeBytes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        const QString text = fromNativeBytes(bytes);
        QCOMPARE(toNativeBytes(text), bytes);
        QCOMPARE(displayText(text), shown);
        if (bytes.isValidUtf8())
            QCOMPARE(text, shown);
    }
};

QTEST_GUILESS_MAIN(TestFileSystemService)
#include "tst_filesystemservice.moc"
