#pragma once

#include "comparisonreport.h"
#include "listingcomparison.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class ListingSession;
class QCheckBox;
class QLabel;
class QMenu;
class QPrinter;
class QTableView;
class RunProgress;
struct PlatformServices;

// Adds "Compare With Listing..." to a menu: enabled only while the session's listing holds entries. The
// report's file-type filter, while in force, applies to both sides of the comparison, as on the command line.
QAction* addCompareCommand(QMenu* menu, ListingSession& session, const ReportOptions& filter);

// Asks for a listing file and shows how the listing on screen differs from it, in a window of its own. The
// listing, its unsaved state and the report options stay as they are.
void compareWithListing(ListingSession& session, const ReportOptions& filter);

// The differences as a table: change, path, old size, new size, old date, new date. Sizes sort as numbers.
class ComparisonModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int changeRole = Qt::UserRole;

    // The differences are shared, not copied: a million of them are shared with the window and its previews, and
    // the view may still ask for them while the window is taken down.
    explicit ComparisonModel(std::shared_ptr<const DifferenceList> differences, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Sizes as numbers, the rest as their texts; a column below 0 gives the comparison's own order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    [[nodiscard]] const std::vector<int>& ranks(int column) const;

    std::shared_ptr<const DifferenceList> m_shared;
    const DifferenceList& m_differences;
    std::vector<int> m_order; // the difference each row shows
    mutable std::array<std::vector<int>, 6> m_ranks; // each difference's place in a column's order, once sorted
};

// Shows only the kinds of change that are ticked.
class ChangeFilterModel final : public QSortFilterProxyModel {
    Q_OBJECT

public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setShown(Change change, bool shown);

    // Sorted where the rows are kept: once for every column, not through the filter a pair at a time.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    bool m_shown[3] = { true, true, true };
};

class ComparisonWindow final : public QWidget {
    Q_OBJECT

public:
    ComparisonWindow(ListingComparison comparison, ComparisonSource older, ComparisonSource newer,
        PlatformServices& services, QWidget* parent = nullptr);

    void printComparison();
    void previewComparison();
    void saveComparison();

private:
    void layoutControls();
    void connectCommands();
    [[nodiscard]] ComparisonReportContent content() const;
    void tell(const QString& text);
    [[nodiscard]] static std::function<bool(int)> afterRowOf(RunProgress& progress, int rows, QPrinter* printer);

    std::shared_ptr<const ListingComparison> m_comparison; // shared with its previews
    ComparisonSource m_older;
    ComparisonSource m_newer;
    QString m_runDate;
    PlatformServices& m_services;
    ComparisonModel* m_model = nullptr;
    ChangeFilterModel* m_filter = nullptr;
    QLabel* m_counts = nullptr;
    QLabel* m_same = nullptr;
    QTableView* m_table = nullptr;
    QCheckBox* m_shown[3] = {};
};
