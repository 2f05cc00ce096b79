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
    // The depth and limit the next Create List or Open takes.
    void showChoices(const ListingChoices& choices);

private:
    QLabel* m_counts = nullptr;
    QLabel* m_source = nullptr;
    QLabel* m_completeness = nullptr;
    QLabel* m_choices = nullptr;
};
