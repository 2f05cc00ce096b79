#include "mainwindow.h"

// Commands that the listing file, report, options and about subsystems serve.

void MainWindow::savereport() { }

void MainWindow::openreport() { }

void MainWindow::checkforsave() { }

void MainWindow::printlisting() { }

void MainWindow::showPrintPreview() { }

void MainWindow::showOptions() { m_reportOptionsWindow.show(this, m_options); }

void MainWindow::showHelpTopics() { }

void MainWindow::showAbout() { }

void MainWindow::unloadSecondaryWindows() { m_reportOptionsWindow.unload(); }
