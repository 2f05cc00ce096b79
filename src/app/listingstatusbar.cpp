#include "listingstatusbar.h"

#include <QLabel>
#include <QPainter>
#include <QStyle>

namespace {
// A text too long for its room ends in an ellipsis rather than being cut through a letter; the label keeps the
// whole text, to be selected or read in the tooltip.
class ElidingLabel final : public QLabel {
public:
    ElidingLabel(Qt::TextElideMode mode, QWidget* parent)
        : QLabel(parent)
        , m_mode(mode)
    {
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        const QRect area = contentsRect();
        if (fontMetrics().horizontalAdvance(text()) <= area.width()) {
            QLabel::paintEvent(event);
            return;
        }
        QPainter painter(this);
        style()->drawItemText(&painter, area, int(alignment()), palette(), isEnabled(),
            fontMetrics().elidedText(text(), m_mode, area.width()), foregroundRole());
    }

private:
    Qt::TextElideMode m_mode;
};
}

ListingStatusBar::ListingStatusBar(QWidget* parent)
    : QStatusBar(parent)
{
    setObjectName(QStringLiteral("statusBar"));
    setSizeGripEnabled(true);
    const auto addLabel = [this](const char* name, int stretch, Qt::TextElideMode mode = Qt::ElideRight) {
        auto* label = new ElidingLabel(mode, this);
        label->setObjectName(QLatin1String(name));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setMinimumWidth(1); // a long text is cut, never widens the window
        addWidget(label, stretch);
        return label;
    };
    m_counts = addLabel("lblStatusCounts", 0);
    m_source = addLabel("lblStatusSource", 1, Qt::ElideMiddle); // a path's end says as much as its start
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
