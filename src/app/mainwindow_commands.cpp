#include "mainwindow.h"

#include "aboutbox.h"
#include "helptopics.h"
#include "printpreviewwindow.h"
#include "reportcommands.h"

// Commands that the listing file, report, options and about subsystems serve.

void MainWindow::savereport() { m_listingFiles.savereport(); }

void MainWindow::openreport() { m_listingFiles.openreport(); }

void MainWindow::checkforsave() { m_listingFiles.checkforsave(); }

void MainWindow::printlisting() { ReportCommands(*this, m_options).printlisting(); }

void MainWindow::printWithDialog() { ReportCommands(*this, m_options).printWithDialog(); }

void MainWindow::exportPdf() { ReportCommands(*this, m_options).exportPdf(); }

void MainWindow::showPrintPreview() { ::showPrintPreview(*this, m_options); }

void MainWindow::showOptions() { m_reportOptionsWindow.show(this, m_options); }

void MainWindow::showHelpTopics() { ::showHelpTopics(m_services.help, this); }

void MainWindow::showAbout() { ::showAbout(this); }

void MainWindow::unloadSecondaryWindows() { m_reportOptionsWindow.unload(); }
