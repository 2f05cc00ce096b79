#include "cataloguewriter.h"

#include "bytename.h"
#include "cataloguerecords.h"
#include "listingtable.h"
#include "reportoptions.h"

#include <QCryptographicHash>
#include <QFile>
#include <QLocale>
#include <limits>

namespace {

// A piece is sent once it holds this much.
constexpr qsizetype pieceBytes = qsizetype { 1024 } * 1024;

QByteArray pageFile(const QString& name)
{
    QFile file(QStringLiteral(":/catalogue/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray html(const QString& text)
{
    QByteArray out;
    for (const char c : displayText(text).toUtf8()) {
        switch (c) {
        case '&':
            out.append("&amp;");
            break;
        case '<':
            out.append("&lt;");
            break;
        case '>':
            out.append("&gt;");
            break;
        case '"':
            out.append("&quot;");
            break;
        case '\'':
            out.append("&#39;");
            break;
        default:
            out.append(c);
        }
    }
    return out;
}

QByteArray sourceHash(const QByteArray& source)
{
    return "'sha256-" + QCryptographicHash::hash(source, QCryptographicHash::Sha256).toBase64() + "'";
}

struct Totals {
    qint64 files = 0;
    qint64 folders = 0;
    qint64 bytes = 0;
};

bool passes(const ListingTable& table, qsizetype i, const ReportOptions* filter)
{
    return !filter || checkforprint(table.name(i), table.rowKind(i), *filter);
}

Totals totalsOf(const ListingTable& table, const ReportOptions* filter)
{
    Totals totals;
    for (qsizetype i = 0; i < table.size(); ++i) {
        if (!passes(table, i, filter))
            continue;
        if (table.kind(i) == EntryKind::Folder) {
            ++totals.folders;
        } else {
            ++totals.files;
            // Sizes read from a file may be anything a 64-bit number holds: the sum stops at the largest.
            if (__builtin_add_overflow(totals.bytes, table.fileSize(i).value_or(0), &totals.bytes))
                totals.bytes = std::numeric_limits<qint64>::max();
        }
    }
    return totals;
}

QString choicesText(const CatalogueFacts& facts)
{
    const ListingChoices& choices = facts.choices;
    const QString depth = choices.depth == ListingChoices::allLevels ? QStringLiteral("all levels")
                                                                     : QStringLiteral("%1 levels").arg(choices.depth);
    const QString limit = choices.limit == ListingChoices::noLimit
        ? QStringLiteral("no entry limit")
        : QStringLiteral("at most %1 entries").arg(choices.limit);
    return depth + QStringLiteral(", ") + limit;
}

// "complete", or what the listing lacks: a reader of the page must not take a partial listing for the whole folder.
QString completenessText(const CatalogueFacts& facts)
{
    QStringList gaps = StatusText::gaps(facts.origin);
    if (facts.filter)
        gaps << QStringLiteral("filtered by type");
    return gaps.isEmpty() ? QStringLiteral("complete")
                          : QStringLiteral("incomplete: ") + gaps.join(QStringLiteral("; "));
}

// Each folder whose contents are missing, with the system's reason; a few hundred say enough.
QString unreadableText(const std::vector<UnreadableFolder>& unreadable)
{
    constexpr qsizetype shown = 200;
    QStringList folders;
    for (const UnreadableFolder& folder : unreadable) {
        if (folders.size() == shown)
            break;
        folders << QStringLiteral("%1 (%2)").arg(folder.path, folder.reason);
    }
    if (std::ssize(unreadable) > shown)
        folders
            << QStringLiteral("and %1 more").arg(QLocale(QLocale::English).toString(std::ssize(unreadable) - shown));
    return folders.join(QStringLiteral("; "));
}

QByteArray factsList(const ListingTable& table, const CatalogueFacts& facts)
{
    const Totals totals = totalsOf(table, facts.filter);
    const QLocale english(QLocale::English);
    const QString totalsText
        = QStringLiteral("%1 files, %2 folders, %3 bytes")
              .arg(english.toString(totals.files), english.toString(totals.folders), english.toString(totals.bytes));
    const QString completeness = completenessText(facts);
    const bool whole = completeness == QLatin1String("complete");
    struct Item {
        const char* term;
        QString value;
        QByteArrayView id = {};
    };
    std::vector<Item> items = {
        { "Host", facts.host },
        { "Made", facts.made.toOffsetFromUtc(facts.made.offsetFromUtc()).toString(Qt::ISODate) },
        { "Program", QStringLiteral("Vellumark ") + facts.version },
        { "Choices", choicesText(facts) },
        { "Filter", filterText(facts.filter) },
        { "Totals", totalsText },
        { "Listing", completeness, whole ? "complete" : "incomplete" },
    };
    if (!facts.origin.unreadable.empty())
        items.push_back({ "Unreadable folders", unreadableText(facts.origin.unreadable), "unreadable" });
    QByteArray out;
    for (const auto& [term, value, id] : items) {
        out += id.isEmpty() ? QByteArray("<div>") : "<div id=\"" + id.toByteArray() + "\">";
        out += "<dt>" + QByteArray(term) + "</dt><dd>" + html(value) + "</dd></div>\n";
    }
    return out;
}

// The records between their opening and closing lines, a piece at a time.
bool writeRecords(const ListingTable& table, const CatalogueFacts& facts, const CatalogueSink& sink)
{
    CatalogueRecordEncoder encoder(toNativeBytes(facts.selectedPath));
    QByteArray piece;
    piece.reserve(pieceBytes + 4096);
    piece.append('\n');
    piece.append(CatalogueRecords::recordsStart);
    piece.append('\n');
    encoder.appendSelectedPath(piece);
    for (qsizetype i = 0; i < table.size(); ++i) {
        if (!passes(table, i, facts.filter))
            continue;
        encoder.appendEntry(piece, table, i);
        if (piece.size() >= pieceBytes) {
            if (!sink(piece))
                return false;
            piece.resize(0);
        }
    }
    piece.append(CatalogueRecords::recordsEnd);
    piece.append('\n');
    return sink(piece);
}

} // namespace

QString filterText(const ReportOptions* filter)
{
    if (!filter || filter->filtermode() == FilterMode::IncludeAll)
        return QStringLiteral("None");
    QStringList types;
    for (int i = 0; i < ReportOptions::slotCount; ++i) {
        if (filter->slot(i).typechecked == 1 && !filter->slot(i).typetext.isEmpty())
            types.append(filter->slot(i).typetext);
    }
    const QString mode = filter->filtermode() == FilterMode::IncludeTypes ? QStringLiteral("Include Types")
                                                                          : QStringLiteral("Exclude Types");
    return mode + QStringLiteral(": ") + types.join(QStringLiteral(", "));
}

bool writeCatalogue(const ListingTable& table, const CatalogueFacts& facts, const CatalogueSink& sink)
{
    const QByteArray style = pageFile(QStringLiteral("catalogue.css"));
    const QByteArray script = pageFile(QStringLiteral("catalogue.js"));
    const QByteArray policy = "default-src 'none'; style-src " + sourceHash(style) + "; script-src "
        + sourceHash(script) + "; img-src data:; base-uri 'none'; form-action 'none'";
    const QByteArray heading = html(QStringLiteral("Catalogue of ") + facts.selectedPath);
    const QList<std::pair<QByteArrayView, QByteArray>> values = {
        { "policy", policy },
        { "generator", html(QStringLiteral("Vellumark ") + facts.version) },
        { "title", heading },
        { "heading", heading },
        { "style", style },
        { "facts", factsList(table, facts) },
        { "script", script },
    };

    QByteArray page = pageFile(QStringLiteral("catalogue.html"));
    if (!sink(CatalogueRecords::signature) || !sink("\n"))
        return false;
    qsizetype from = 0;
    for (qsizetype open = page.indexOf("{{"); open >= 0; open = page.indexOf("{{", from)) {
        const qsizetype close = page.indexOf("}}", open);
        const QByteArrayView name = QByteArrayView(page).sliced(open + 2, close - open - 2);
        if (!sink(QByteArrayView(page).sliced(from, open - from)))
            return false;
        from = close + 2;
        if (name == "records") {
            if (!writeRecords(table, facts, sink))
                return false;
            continue;
        }
        for (const auto& [key, value] : values) {
            if (key == name && !sink(value))
                return false;
        }
    }
    return sink(QByteArrayView(page).sliced(from));
}
