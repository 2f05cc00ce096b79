#pragma once

#include "helpservice.h"

#include <QList>

// Records every request for the contents page and the window it was made for.
class FakeHelpService final : public HelpService {
public:
    QList<QWidget*> contentsShownFor;

    void showContents(QWidget* owner) override { contentsShownFor.append(owner); }
};
