#include "dialogprinterservice.h"

#include "apptitle.h"

#include <QPrintDialog>
#include <QPrinter>

std::unique_ptr<QPrinter> QtDialogPrinterService::choosePrinter(QWidget* parent)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(Vellumark::applicationTitle());
    printer->setCreator(Vellumark::applicationTitle());
    QPrintDialog dialog(printer.get(), parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return printer;
}
