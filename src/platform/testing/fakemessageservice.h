#pragma once

#include "messageservice.h"

#include <QList>
#include <functional>

// Records every message and answers from a queue; with the queue empty it presses the first offered button
// among OK, Yes, Abort.
class FakeMessageService final : public MessageService {
public:
    QList<Message> shown;
    QList<QMessageBox::StandardButton> answers;
    std::function<void(const Message&)> onShow; // runs while the "box" is up

    QMessageBox::StandardButton show(QWidget*, const Message& message) override
    {
        shown.append(message);
        if (onShow)
            onShow(message);
        if (!answers.isEmpty())
            return answers.takeFirst();
        for (const auto button : { QMessageBox::Ok, QMessageBox::Yes, QMessageBox::Abort })
            if (message.buttons & button)
                return button;
        return QMessageBox::NoButton;
    }
};
