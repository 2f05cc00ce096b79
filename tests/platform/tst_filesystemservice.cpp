#include "bytename.h"
#include "filesystemservice.h"

#include <QTest>

namespace {
// The order as the listing defines it, without shortcuts.
bool byRule(const QString& a, const QString& b)
{
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}
}

class TestFileSystemService : public QObject {
    Q_OBJECT
private slots:
    // Every pair of short names over letters that fold (the Kelvin sign to k), ASCII punctuation on either side
    // of the letters, digits and accented letters.
    void nameOrder()
    {
        const QString alphabet = u"AaK_[`{-1\u00e9\u00c9\u212a"_qs;
        QStringList names { QString() };
        for (int length = 1; length <= 3; ++length) {
            const QStringList shorter = names;
            for (const QString& name : shorter)
                if (name.size() == length - 1)
                    for (QChar c : alphabet)
                        names.append(name + c);
        }
        for (const QString& a : names)
            for (const QString& b : names)
                if (precedesByName(a, b) != byRule(a, b))
                    QFAIL(qPrintable(QStringLiteral("\"%1\" against \"%2\"").arg(a, b)));
    }

    void nativeBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("valid two, three and four bytes")
            << QByteArray("\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80") << u"\u00e9\u20ac\U0001F600"_qs;
        QTest::newRow("leading byte-order mark") << QByteArray("\xef\xbb\xbfx") << u"\ufeffx"_qs;
        QTest::newRow("Latin-1 byte") << QByteArray("caf\xe9") << u"caf\ufffd"_qs;
        QTest::newRow("truncated sequence at the end") << QByteArray("a\xe2\x82") << u"a\ufffd\ufffd"_qs;
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xb3\xbf") << u"\ufffd\ufffd\ufffd"_qs;
        QTest::newRow("above U+10FFFF") << QByteArray("\xf4\x90\x80\x80z") << u"\ufffd\ufffd\ufffd\ufffdz"_qs;
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
