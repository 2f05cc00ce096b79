#include "listingchoicesdialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <limits>

namespace {
// A number with its "no bound" box beside it; the number stands aside while the box is checked.
QWidget* boundRow(QSpinBox* number, QCheckBox* unbounded, QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(number, 1);
    layout->addWidget(unbounded);
    QObject::connect(unbounded, &QCheckBox::toggled, number, &QWidget::setDisabled);
    return row;
}
}

ListingChoicesDialog::ListingChoicesDialog(const ListingChoices& choices, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmListingChoices"));
    setWindowTitle(tr("Depth and Limit"));
    m_depth = new QSpinBox(this);
    m_depth->setObjectName(QStringLiteral("spnDepth"));
    m_depth->setRange(1, 9999);
    m_allLevels = new QCheckBox(tr("&All levels"), this);
    m_allLevels->setObjectName(QStringLiteral("chkAllLevels"));
    m_limit = new QSpinBox(this);
    m_limit->setObjectName(QStringLiteral("spnLimit"));
    m_limit->setRange(1, std::numeric_limits<int>::max());
    m_limit->setGroupSeparatorShown(true);
    m_noLimit = new QCheckBox(tr("&No limit"), this);
    m_noLimit->setObjectName(QStringLiteral("chkNoLimit"));

    auto* form = new QFormLayout(this);
    const auto addRow = [&](const QString& text, QSpinBox* number, QCheckBox* unbounded) {
        auto* label = new QLabel(text, this);
        label->setBuddy(number);
        form->addRow(label, boundRow(number, unbounded, this));
    };
    addRow(tr("&Levels of subfolders:"), m_depth, m_allLevels);
    addRow(tr("&Entries at most:"), m_limit, m_noLimit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    const bool allLevels = choices.depth == ListingChoices::allLevels;
    m_depth->setValue(allLevels ? ListingChoices::defaultDepth : choices.depth);
    m_allLevels->setChecked(allLevels);
    const bool noLimit = choices.limit > m_limit->maximum();
    m_limit->setValue(noLimit ? static_cast<int>(ListingChoices::defaultLimit) : static_cast<int>(choices.limit));
    m_noLimit->setChecked(noLimit);
    m_depth->setDisabled(allLevels);
    m_limit->setDisabled(noLimit);
}

ListingChoices ListingChoicesDialog::choices() const
{
    return { m_allLevels->isChecked() ? ListingChoices::allLevels : m_depth->value(),
        m_noLimit->isChecked() ? ListingChoices::noLimit : qint64 { m_limit->value() } };
}

std::optional<ListingChoices> ListingChoicesDialog::ask(const ListingChoices& choices, QWidget* parent)
{
    ListingChoicesDialog dialog(choices, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choices();
}
