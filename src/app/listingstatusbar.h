#pragma once

#include "listingtally.h"

#include <QStatusBar>

class QLabel;

// Says what the listing on screen holds, where it came from and whether it is whole.
class ListingStatusBar final : public QStatusBar {
    Q_OBJECT
public:
    explicit ListingStatusBar(QWidget* parent = nullptr);

    void showListing(const ListingCounts& counts, const ListingOrigin& origin, bool filterActive);

private:
    QLabel* m_counts = nullptr;
    QLabel* m_source = nullptr;
    QLabel* m_completeness = nullptr;
};
