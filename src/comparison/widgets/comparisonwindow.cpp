#include "comparisonwindow.h"

#include "bytename.h"
#include "comparisonrun.h"
#include "filedialogservice.h"
#include "listingfilewriter.h"
#include "listingloader.h"
#include "listingsession.h"
#include "messageservice.h"
#include "platformservices.h"
#include "previewpagesurface.h"
#include "printerservice.h"
#include "printpreviewwindow.h"
#include "reportcommands.h"
#include "reportlayout.h"
#include "reportrender.h"
#include "runprogress.h"
#include "stagedfile.h"
#include "waitcursor.h"
#include "windowplacement.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <array>
#include <functional>
#include <numeric>
#include <optional>

namespace {
constexpr Change changes[] = { Change::Added, Change::Removed, Change::Changed };

// A size cell as a number for sorting: -1 for one that is none.
qint64 sizeKey(const QString& size)
{
    bool ok = false;
    const qlonglong value = size.toLongLong(&ok);
    return ok ? value : -1;
}

// A path or other text kept as bytes, and whether the bytes are valid UTF-8, found once for all its comparisons.
struct TextBytes {
    QByteArrayView bytes;
    bool utf8 = false;
};

// Whether a text kept as bytes goes before another as texts, mostly without making the texts. Up to where the
// bytes first differ the texts decode alike. An ASCII byte there on both sides decides, whatever the bytes around
// it; in valid UTF-8 any byte below 0xEE does, as UTF-8 orders characters as UTF-16 does below U+E000.
bool textPrecedes(const TextBytes& a, const TextBytes& b)
{
    const qsizetype at = sharedStart(a.bytes, b.bytes);
    const int byteA = at == a.bytes.size() ? -1 : static_cast<unsigned char>(a.bytes[at]);
    const int byteB = at == b.bytes.size() ? -1 : static_cast<unsigned char>(b.bytes[at]);
    if ((byteA < 0x80 && byteB < 0x80) || (byteA < 0xEE && byteB < 0xEE && a.utf8 && b.utf8))
        return byteA < byteB;
    return fromNativeBytes(a.bytes) < fromNativeBytes(b.bytes);
}

QString capitalised(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

// The comparison's pages in the print preview. It shares what it draws with the window it was opened from,
// which it may outlive.
class ComparisonDocument final : public PreviewDocument {
public:
    ComparisonDocument(std::shared_ptr<const ListingComparison> comparison, ComparisonSource older,
        ComparisonSource newer, QString runDate, QPointer<ComparisonWindow> window)
        : m_comparison(std::move(comparison))
        , m_content { std::move(older), std::move(newer), std::move(runDate), *m_comparison }
        , m_window(std::move(window))
    {
    }

    std::optional<int> draw(ReportSurface& surface, const std::function<bool()>& afterRow) override
    {
        ComparisonReport report(surface, ComparisonGeometry::preview(), m_content);
        m_report = &report;
        // Each page is noted with the difference it began in and where the report stood before it.
        m_pageStarts.clear();
        RowMark before;
        qsizetype rowsDrawn = 0;
        const auto noteNewPages = [&] {
            while (static_cast<int>(m_pageStarts.size()) < report.pageno())
                m_pageStarts.push_back(before);
        };
        const bool finished = report.draw([&] {
            noteNewPages();
            before = { ++rowsDrawn, report.pageno(), surface.CurrentY() };
            return afterRow();
        });
        noteNewPages();
        m_report = nullptr;
        return finished ? std::optional(report.pageno()) : std::nullopt;
    }
    int pageBeingDrawn() const override { return m_report ? m_report->pageno() : 1; }
    bool drawsPagesAgain() const override { return true; }
    bool drawPage(int index, PreviewPageSurface& surface) override
    {
        if (index < 0 || index >= static_cast<int>(m_pageStarts.size()))
            return false;
        const RowMark& start = m_pageStarts[static_cast<size_t>(index)];
        ComparisonReport report(surface, ComparisonGeometry::preview(), m_content);
        m_report = &report;
        // Difference 0 is the very start, header and all.
        if (start.row > 0) {
            surface.startAt(start.pageno - 1);
            surface.setCurrentY(start.cursorY);
        }
        (void)report.draw([&] { return report.pageno() <= index + 1; }, start.row, start.pageno);
        surface.EndDoc();
        m_report = nullptr;
        return true;
    }
    std::function<void()> printCommand() const override
    {
        return [window = m_window] {
            if (window)
                window->printComparison();
        };
    }

private:
    struct RowMark {
        qsizetype row = 0;
        int pageno = 1;
        double cursorY = 0;
    };

    std::shared_ptr<const ListingComparison> m_comparison;
    ComparisonReportContent m_content;
    std::vector<RowMark> m_pageStarts; // by page index
    QPointer<ComparisonWindow> m_window;
    const ComparisonReport* m_report = nullptr;
};

// The listing on screen as its source: a folder when it was walked, an opened file as that file.
ComparisonSource shownSource(const ListingOrigin& origin, const QString& root)
{
    if (origin.source == ListingOrigin::Source::Opened)
        return { ComparisonSource::Kind::ListingFile, origin.place, root, origin.when };
    const bool walked = origin.source == ListingOrigin::Source::Walked;
    return { ComparisonSource::Kind::Folder, root, root, walked ? origin.when : QDateTime::currentDateTime() };
}
}

QAction* addCompareCommand(QMenu* menu, ListingSession& session, const ReportOptions& filter)
{
    QAction* action = menu->addAction(ComparisonWindow::tr("&Compare With Listing..."));
    action->setObjectName(QStringLiteral("mnucompare"));
    const auto update = [action, &session] { action->setEnabled(!listingIsEmpty(session.listing())); };
    update();
    QObject::connect(menu, &QMenu::aboutToShow, action, update);
    QObject::connect(action, &QAction::triggered, action, [&session, &filter] { compareWithListing(session, filter); });
    return action;
}

void compareWithListing(ListingSession& session, const ReportOptions& filter)
{
    const CommandScope scope(session);
    if (listingIsEmpty(session.listing()) || !scope.acquired())
        return;
    PlatformServices& services = session.services();
    const QString path = services.fileDialogs->getOpenFileName(session.window(), FileDialogService::listingFilters());
    if (path.isEmpty())
        return;
    ListingLoader loader(*services.fileSystem);
    loader.choices = session.listingChoices();
    // One progress window for the reading and the comparing; Cancel in either leaves everything as it was.
    std::optional<RunProgress> progress(std::in_place, session.window(), ComparisonWindow::tr("Comparing Listings"));
    loader.bytesRead = [&progress](qint64 done, qint64 size) { return progress->stepBytes(done, size); };
    const LoadedListing older = loader.readFile(path);
    if (older.read.cancelled)
        return;
    if (!older.usable()) {
        progress.reset();
        services.messages->show(
            session.window(), { QMessageBox::Warning, {}, capitalised(older.problem), QMessageBox::Ok });
        return;
    }
    const ListingTable& shown = session.listing();
    const QString root = listingRoot(session.selectedPath(), shown);
    // What either side did not look at is no difference: the comparison says it is partial instead.
    ListingGaps gaps = session.listingGaps();
    ListingComparison comparison = compareListings(comparedSide(older, loader.choices),
        { session.selectedPath(), shown, std::move(gaps.unreadFolders), gaps.stoppedEarly, nullptr, gaps.depth },
        filter, [&progress](qsizetype done, qsizetype steps) {
            return progress->step(static_cast<int>(done), static_cast<int>(steps),
                ComparisonWindow::tr("%1% compared").arg(done * 100 / steps));
        });
    progress.reset();
    if (comparison.cancelled)
        return;
    const ComparisonSource olderSource { ComparisonSource::Kind::ListingFile, older.path, older.selectedPath,
        older.date };
    const ComparisonSource newer = shownSource(session.listingOrigin(), root);
    auto* window = new ComparisonWindow(std::move(comparison), olderSource, newer, services, session.window());
    window->setAttribute(Qt::WA_DeleteOnClose);
    centreOnScreen(window);
    window->show();
}

ComparisonModel::ComparisonModel(std::shared_ptr<const DifferenceList> differences, QObject* parent)
    : QAbstractTableModel(parent)
    , m_shared(std::move(differences))
    , m_differences(*m_shared)
    , m_order(static_cast<size_t>(m_differences.size()))
{
    std::iota(m_order.begin(), m_order.end(), 0);
}

int ComparisonModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_differences.size());
}

int ComparisonModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 6; }

QVariant ComparisonModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const qsizetype row = m_order[static_cast<size_t>(index.row())];
    if (role == changeRole)
        return static_cast<int>(m_differences.change(row));
    if (role != Qt::DisplayRole)
        return {};
    const int column = index.column();
    if (column == 0)
        return ComparisonReport::changeText(m_differences.change(row));
    if (column == 1)
        return m_differences.path(row);
    const bool newer = column % 2 == 1;
    return column <= 3 ? m_differences.sizeText(row, newer) : m_differences.dateText(row, newer);
}

QVariant ComparisonModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    const QString titles[]
        = { tr("Change"), tr("Path"), tr("Old size"), tr("New size"), tr("Old date"), tr("New date") };
    return section >= 0 && section < 6 ? titles[section] : QVariant();
}

// Each row's place in the order of a column's values, equal values sharing one: the rows are then sorted on
// numbers, and every cell's text or value is made once, not once for each of the twenty million comparisons a
// million rows take. The values are sorted beside their rows, so the sort reads them in turn.
template <typename Value, typename Less> std::vector<int> ranksOf(const std::vector<Value>& values, Less less)
{
    std::vector<std::pair<Value, int>> sorted(values.size());
    for (size_t i = 0; i < values.size(); ++i)
        sorted[i] = { values[i], static_cast<int>(i) };
    std::sort(sorted.begin(), sorted.end(), [&less](const auto& a, const auto& b) { return less(a.first, b.first); });
    std::vector<int> ranks(values.size());
    int rank = 0;
    for (size_t k = 0; k < sorted.size(); ++k) {
        if (k > 0 && less(sorted[k - 1].first, sorted[k].first))
            rank = static_cast<int>(k);
        ranks[static_cast<size_t>(sorted[k].second)] = rank;
    }
    return ranks;
}

const std::vector<int>& ComparisonModel::ranks(int column) const
{
    std::vector<int>& ranks = m_ranks[static_cast<size_t>(column)];
    if (!ranks.empty() || m_differences.empty())
        return ranks;
    const DifferenceList& d = m_differences;
    const auto count = static_cast<size_t>(d.size());
    if (column == 0) {
        std::array<QString, std::size(changes)> texts;
        for (const Change change : changes)
            texts[static_cast<size_t>(change)] = ComparisonReport::changeText(change);
        std::vector<Change> kinds(count);
        for (size_t i = 0; i < count; ++i)
            kinds[i] = d.change(static_cast<qsizetype>(i));
        ranks = ranksOf(
            kinds, [&](Change a, Change b) { return texts[static_cast<size_t>(a)] < texts[static_cast<size_t>(b)]; });
    } else if (column == 2 || column == 3) {
        // Sizes as numbers; a cell that is none (a folder, a side without the entry) as -1.
        std::vector<qint64> sizes(count);
        for (size_t i = 0; i < count; ++i) {
            const std::optional<qint64> size = d.fileSize(static_cast<qsizetype>(i), column == 3);
            sizes[i] = size ? *size : sizeKey(d.sizeText(static_cast<qsizetype>(i), column == 3));
        }
        ranks = ranksOf(sizes, std::less<>());
    } else if (column == 1) {
        std::vector<TextBytes> paths(count);
        for (size_t i = 0; i < count; ++i) {
            paths[i].bytes = d.pathBytes(static_cast<qsizetype>(i));
            paths[i].utf8 = paths[i].bytes.isValidUtf8();
        }
        ranks = ranksOf(paths, textPrecedes);
    } else {
        // Dates as the texts shown. A million files hold far fewer dates: each is made and sorted once.
        QHash<QByteArray, int> known;
        std::vector<QByteArray> dates;
        std::vector<int> dateOf(count);
        for (size_t i = 0; i < count; ++i) {
            QByteArray date = d.dateBytes(static_cast<qsizetype>(i), column == 5);
            auto found = known.constFind(date);
            if (found == known.cend()) {
                found = known.insert(date, static_cast<int>(dates.size()));
                dates.push_back(std::move(date));
            }
            dateOf[i] = *found;
        }
        std::vector<TextBytes> texts(dates.size());
        for (size_t k = 0; k < dates.size(); ++k)
            texts[k] = { dates[k], dates[k].isValidUtf8() };
        const std::vector<int> dateRanks = ranksOf(texts, textPrecedes);
        ranks.resize(count);
        for (size_t i = 0; i < count; ++i)
            ranks[i] = dateRanks[static_cast<size_t>(dateOf[i])];
    }
    return ranks;
}

void ComparisonModel::sort(int column, Qt::SortOrder order)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> differenceAt(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        differenceAt[static_cast<size_t>(i)] = m_order[static_cast<size_t>(before[i].row())];
    if (column < 0 || column >= columnCount()) {
        std::iota(m_order.begin(), m_order.end(), 0); // the comparison's own order
    } else {
        // Stable, from the order shown: rows alike in this column keep the order the last sort gave them.
        const std::vector<int>& rank = ranks(column);
        const auto of = [&rank](int row) { return rank[static_cast<size_t>(row)]; };
        if (order == Qt::AscendingOrder)
            std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) { return of(a) < of(b); });
        else
            std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) { return of(b) < of(a); });
    }
    std::vector<int> rowOf(m_order.size());
    for (size_t row = 0; row < m_order.size(); ++row)
        rowOf[static_cast<size_t>(m_order[row])] = static_cast<int>(row);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        after << index(rowOf[static_cast<size_t>(differenceAt[static_cast<size_t>(i)])], before[i].column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ChangeFilterModel::setShown(Change change, bool shown)
{
    m_shown[static_cast<int>(change)] = shown;
    invalidateRowsFilter();
}

void ChangeFilterModel::sort(int column, Qt::SortOrder order)
{
    // A million paths take a second to rank and filter again: the hourglass is shown before, not after.
    const WaitCursor wait;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sourceModel()->sort(column, order);
}

bool ChangeFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    const QModelIndex index = sourceModel()->index(sourceRow, 0, sourceParent);
    return m_shown[sourceModel()->data(index, ComparisonModel::changeRole).toInt()];
}

ComparisonWindow::ComparisonWindow(ListingComparison comparison, ComparisonSource older, ComparisonSource newer,
    PlatformServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_comparison(std::make_shared<const ListingComparison>(std::move(comparison)))
    , m_older(std::move(older))
    , m_newer(std::move(newer))
    , m_runDate(runDateText(QDateTime::currentDateTime()))
    , m_services(services)
{
    setObjectName(QStringLiteral("frmcompare"));
    setWindowTitle(tr("Comparison"));
    layoutControls();
    connectCommands();
    resize(900, 500);
}

void ComparisonWindow::layoutControls()
{
    auto* layout = new QVBoxLayout(this);
    QString counts = ComparisonReport::countsText(m_comparison->counts);
    if (m_comparison->notCompared > 0)
        counts += u'\n' + capitalised(ComparisonReport::partialText(m_comparison->notCompared));
    m_counts = new QLabel(counts, this);
    m_counts->setObjectName(QStringLiteral("lblCounts"));
    layout->addWidget(m_counts);
    QString sourcesText
        = tr("Older: %1\nNewer: %2").arg(ComparisonReport::sourceText(m_older), ComparisonReport::sourceText(m_newer));
    if (m_comparison->filtered)
        sourcesText += u'\n' + tr("Only files of the types chosen in Report Options were compared.");
    auto* sources = new QLabel(sourcesText, this);
    sources->setObjectName(QStringLiteral("lblSources"));
    layout->addWidget(sources);

    auto* shownRow = new QHBoxLayout;
    const char* names[] = { "chkAdded", "chkRemoved", "chkChanged" };
    const QString texts[] = { tr("&Added"), tr("&Removed"), tr("C&hanged") };
    for (int i = 0; i < 3; ++i) {
        m_shown[i] = new QCheckBox(texts[i], this);
        m_shown[i]->setObjectName(QLatin1String(names[i]));
        m_shown[i]->setChecked(true);
        shownRow->addWidget(m_shown[i]);
    }
    shownRow->addStretch();
    layout->addLayout(shownRow);

    m_model
        = new ComparisonModel(std::shared_ptr<const DifferenceList>(m_comparison, &m_comparison->differences), this);
    m_filter = new ChangeFilterModel(this);
    m_filter->setSourceModel(m_model);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("tblDifferences"));
    m_table->setModel(m_filter);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(-1, Qt::AscendingOrder); // the comparison's own order until a title is clicked
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    // Measured on one sample rather than on every row: a comparison may hold tens of thousands.
    const int dateWidth = m_table->fontMetrics().horizontalAdvance(QStringLiteral("00 Dec 0000 00:00:00 AM")) + 12;
    for (int column : { 4, 5 })
        m_table->setColumnWidth(column, dateWidth);
    layout->addWidget(m_table, 1);
    m_same = new QLabel(ComparisonReport::sameText(), this);
    m_same->setObjectName(QStringLiteral("lblSame"));
    m_same->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_same, 1);
    const bool same = m_comparison->counts.total() == 0 && m_comparison->notCompared == 0;
    m_table->setVisible(!same);
    m_same->setVisible(same);
    if (same)
        m_counts->setText(ComparisonReport::sameText());

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (const auto& [name, text] : { std::pair { "cmdPrint", tr("&Print") }, { "cmdPreview", tr("Print Pre&view") },
             { "cmdSaveCsv", tr("&Save as CSV...") }, { "cmdClose", tr("Close") } }) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(QLatin1String(name));
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
}

void ComparisonWindow::connectCommands()
{
    for (int i = 0; i < 3; ++i)
        connect(m_shown[i], &QCheckBox::toggled, this, [this, i](bool on) { m_filter->setShown(changes[i], on); });
    const auto button = [this](const char* name) { return findChild<QPushButton*>(QLatin1String(name)); };
    connect(button("cmdPrint"), &QPushButton::clicked, this, &ComparisonWindow::printComparison);
    connect(button("cmdPreview"), &QPushButton::clicked, this, &ComparisonWindow::previewComparison);
    connect(button("cmdSaveCsv"), &QPushButton::clicked, this, &ComparisonWindow::saveComparison);
    connect(button("cmdClose"), &QPushButton::clicked, this, &QWidget::close);
}

ComparisonReportContent ComparisonWindow::content() const { return { m_older, m_newer, m_runDate, *m_comparison }; }

void ComparisonWindow::tell(const QString& text)
{
    m_services.messages->show(this, { QMessageBox::Warning, {}, text, QMessageBox::Ok });
}

// Each difference drawn is a step of the run's progress; a cancelled print job is withdrawn, not sent half drawn.
std::function<bool(int)> ComparisonWindow::afterRowOf(RunProgress& progress, int rows, QPrinter* printer)
{
    return [&progress, rows, printer, drawnRows = 0](int pages) mutable {
        if (progress.step(++drawnRows, rows, tr("%n page(s)", nullptr, pages)))
            return true;
        if (printer)
            printer->abort();
        return false;
    };
}

void ComparisonWindow::printComparison()
{
    PrinterService* printers = m_services.printer;
    const std::unique_ptr<QPrinter> printer
        = printers && printers->hasDefaultPrinter() ? printers->createPrinter() : nullptr;
    const ComparisonReportContent drawn = content();
    const int rows = static_cast<int>(m_comparison->differences.size());
    if (printer) {
        RunProgress progress(this, tr("Printing Comparison"));
        if (!renderComparison(*printer, drawn, afterRowOf(progress, rows, printer.get())).finished
            && !progress.cancelled())
            tell(tr("Cannot print the comparison on the printer %1.").arg(printers->defaultPrinterName()));
        return;
    }
    const auto answer = m_services.messages->show(this,
        { QMessageBox::Question, {},
            tr("There is no default printer.\r\n\r\nDo you want to write the comparison to a PDF file instead?"),
            QMessageBox::Yes | QMessageBox::No });
    if (answer != QMessageBox::Yes)
        return;
    const QString path = m_services.fileDialogs->getSaveFileName(this, ReportCommands::pdfFilter());
    if (path.isEmpty())
        return;
    const QPageLayout layout = printers ? printers->pageLayout() : PrinterService::fallbackPageLayout();
    RunProgress progress(this, tr("Writing PDF"));
    const PdfWriteOutcome written = writeComparisonPdf(path, layout, drawn, afterRowOf(progress, rows, nullptr));
    if (!written.ok && !progress.cancelled())
        tell(tr("Cannot write the comparison to %1:\r\n%2").arg(QDir::toNativeSeparators(path), written.reason));
}

void ComparisonWindow::saveComparison()
{
    const QString path = m_services.fileDialogs->getSaveFileName(this, tr("CSV (*.csv)"));
    if (path.isEmpty())
        return;
    // Written as it is made; a cancelled save discards the staged file, so an old one stays as it was.
    RunProgress progress(this, tr("Saving Comparison"));
    const DifferenceList& differences = m_comparison->differences;
    const auto rows = static_cast<int>(differences.size());
    StagedFile file(path);
    SaveOutcome outcome = writeStagedFile(file, [&](const PieceWriter& write) {
        return writeComparisonRecords(differences, [&](QByteArrayView piece, qsizetype done) {
            return write(piece)
                && progress.step(static_cast<int>(done), rows, tr("%1 of %2 differences").arg(done).arg(rows));
        });
    });
    if (progress.cancelled())
        return;
    if (outcome.status == SaveOutcome::Status::Saved)
        outcome = commitListingFile(file);
    if (outcome.status != SaveOutcome::Status::Saved)
        tell(tr("Cannot save the comparison to %1:\r\n%2").arg(QDir::toNativeSeparators(path), outcome.reason));
}

void ComparisonWindow::previewComparison()
{
    // Parentless, so that disabling this window leaves the preview usable; it deletes itself once closed.
    auto* preview = new PrintPreviewWindow(std::make_unique<ComparisonDocument>(m_comparison, m_older, m_newer,
                                               m_runDate, QPointer<ComparisonWindow>(this)),
        this, m_services.printer);
    preview->open();
}
