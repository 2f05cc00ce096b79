#include "messageservice.h"

#include "apptitle.h"

QMessageBox::StandardButton QtMessageService::show(QWidget* parent, const Message& message)
{
    QMessageBox box(message.icon, message.title.isEmpty() ? Vellumark::applicationTitle() : message.title, message.text,
        message.buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}
