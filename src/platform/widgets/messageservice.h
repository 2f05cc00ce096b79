#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

struct Message {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title; // empty: the application's title
    QString text;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton; // none: the box's own choice

    bool operator==(const Message&) const = default;
};

// Modal message boxes; the answer is the button pressed.
class MessageService {
public:
    virtual ~MessageService() = default;
    virtual QMessageBox::StandardButton show(QWidget* parent, const Message& message) = 0;
};

class QtMessageService final : public MessageService {
public:
    QMessageBox::StandardButton show(QWidget* parent, const Message& message) override;
};
