#pragma once

#include "listingchoices.h"

#include <QDialog>
#include <optional>

class QCheckBox;
class QSpinBox;

// Report > Depth and Limit: how many levels Create List walks and how many entries a listing takes, each a
// number or no bound at all. Asked for before a walk or an Open, so it is a small modal dialog of its own.
class ListingChoicesDialog final : public QDialog {
    Q_OBJECT
public:
    ListingChoicesDialog(const ListingChoices& choices, QWidget* parent);

    [[nodiscard]] ListingChoices choices() const;

    // Shows the dialog and gives the choices made, or nothing when it is cancelled.
    [[nodiscard]] static std::optional<ListingChoices> ask(const ListingChoices& choices, QWidget* parent);

private:
    QSpinBox* m_depth = nullptr;
    QCheckBox* m_allLevels = nullptr;
    QSpinBox* m_limit = nullptr;
    QCheckBox* m_noLimit = nullptr;
};
