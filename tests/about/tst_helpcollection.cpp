#include "helptopics.h"

#include <QHelpContentItem>
#include <QHelpContentModel>
#include <QHelpEngine>
#include <QHelpIndexModel>
#include <QHelpLink>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

namespace {

const QString helpNamespace = QStringLiteral("org.vellumark.help");

bool hasAnchor(const QByteArray& page, const QString& anchor)
{
    const QString text = QString::fromUtf8(page);
    return text.contains(QStringLiteral("name=\"%1\"").arg(anchor))
        || text.contains(QStringLiteral("id=\"%1\"").arg(anchor));
}

QUrl withoutFragment(const QUrl& url) { return url.adjusted(QUrl::RemoveFragment); }

void collectContents(QHelpContentItem* item, QList<QHelpContentItem*>& items)
{
    items.append(item);
    for (int i = 0; i < item->childCount(); ++i)
        collectContents(item->child(i), items);
}

}

class TestHelpCollection : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyPageOfTheTableOfContentsExists();
    void everyKeywordResolves();

private:
    void checkTarget(const QUrl& target, const QString& from);

    QHelpEngine* m_engine = nullptr;
    QSet<QUrl> m_files;
};

void TestHelpCollection::initTestCase()
{
    m_engine = new QHelpEngine(QStringLiteral(VELLUMARK_BUILT_HELP), this);
    m_engine->setReadOnly(true);
    QVERIFY2(m_engine->setupData(), qPrintable(m_engine->error()));
    QVERIFY(m_engine->registeredDocumentations().contains(helpNamespace));
    for (const QUrl& file : m_engine->files(helpNamespace, QString()))
        m_files.insert(file);
    QVERIFY(m_files.size() > 1);
    QCOMPARE(m_engine->documentsForIdentifier(Vellumark::helpContentsId()).size(), 1);
}

void TestHelpCollection::checkTarget(const QUrl& target, const QString& from)
{
    const QString where = from + QStringLiteral(" -> ") + target.toString();
    QVERIFY2(m_files.contains(withoutFragment(target)), qPrintable(where + QStringLiteral(": no such page")));
    const QByteArray page = m_engine->fileData(withoutFragment(target));
    QVERIFY2(!page.isEmpty(), qPrintable(where + QStringLiteral(": empty page")));
    if (target.hasFragment())
        QVERIFY2(hasAnchor(page, target.fragment()), qPrintable(where + QStringLiteral(": no such anchor")));
}

void TestHelpCollection::everyPageOfTheTableOfContentsExists()
{
    QHelpContentModel* model = m_engine->contentModel();
    QSignalSpy created(model, &QHelpContentModel::contentsCreated);
    model->createContents(QString());
    QVERIFY(created.wait(10000));

    QList<QHelpContentItem*> items;
    for (int row = 0; row < model->rowCount(); ++row)
        collectContents(model->contentItemAt(model->index(row, 0)), items);
    QSet<QUrl> listed;
    for (QHelpContentItem* item : items) {
        checkTarget(item->url(), item->title());
        listed.insert(withoutFragment(item->url()));
    }
    // Every page can be reached from the table of contents.
    for (const QUrl& file : std::as_const(m_files))
        if (file.path().endsWith(QLatin1String(".html")))
            QVERIFY2(listed.contains(file), qPrintable(file.toString() + QStringLiteral(" is not in the contents")));
}

// Links between pages are followed by clicking them in the help window's own test.
void TestHelpCollection::everyKeywordResolves()
{
    QHelpIndexModel* index = m_engine->indexModel();
    QSignalSpy created(index, &QHelpIndexModel::indexCreated);
    index->createIndex(QString());
    QVERIFY(created.wait(10000));
    QVERIFY(index->stringList().size() > 1);
    for (const QString& keyword : index->stringList()) {
        const QList<QHelpLink> links = m_engine->documentsForKeyword(keyword);
        QVERIFY2(!links.isEmpty(), qPrintable(keyword));
        for (const QHelpLink& link : links)
            checkTarget(link.url, keyword);
    }
}

QTEST_MAIN(TestHelpCollection)
#include "tst_helpcollection.moc"
