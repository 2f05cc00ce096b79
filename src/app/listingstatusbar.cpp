#include "listingstatusbar.h"

#include <QLabel>

ListingStatusBar::ListingStatusBar(QWidget* parent)
    : QStatusBar(parent)
{
    setObjectName(QStringLiteral("statusBar"));
    setSizeGripEnabled(true);
    const auto addLabel = [this](const char* name, int stretch) {
        auto* label = new QLabel(this);
        label->setObjectName(QLatin1String(name));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setMinimumWidth(1); // a long text is cut, never widens the window
        addWidget(label, stretch);
        return label;
    };
    m_counts = addLabel("lblStatusCounts", 0);
    m_source = addLabel("lblStatusSource", 1);
    m_completeness = addLabel("lblStatusComplete", 0);
    m_choices = addLabel("lblStatusChoices", 0);
    showChoices({});
}

void ListingStatusBar::showChoices(const ListingChoices& choices) { m_choices->setText(StatusText::choices(choices)); }

void ListingStatusBar::showListing(const ListingCounts& counts, const ListingOrigin& origin, bool filterActive)
{
    m_counts->setText(StatusText::counts(counts));
    const QString source = StatusText::source(origin);
    m_source->setText(source);
    m_source->setToolTip(source);
    m_completeness->setText(StatusText::completeness(origin, filterActive));
}
