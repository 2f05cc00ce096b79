#pragma once

#include "printerservice.h"

// The window's printer: the platform's print dialog lets the user choose printer, copies and pages.
class QtDialogPrinterService final : public QtPrinterService {
public:
    std::unique_ptr<QPrinter> choosePrinter(QWidget* parent) override;
};
