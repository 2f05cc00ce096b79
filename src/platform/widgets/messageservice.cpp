#include "messageservice.h"

#include "apptitle.h"

QMessageBox::StandardButton QtMessageService::show(QWidget* parent, const Message& message)
{
    // The texts join their lines with CR LF; a label wants a plain line feed.
    QString text = message.text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(message.icon, message.title.isEmpty() ? Vellumark::applicationTitle() : message.title, text,
        message.buttons, parent);
    if (message.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(message.defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}
