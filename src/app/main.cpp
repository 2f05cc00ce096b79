#include "appicon.h"
#include "filedialogservice.h"
#include "filesystemservice.h"
#include "helpservice.h"
#include "helptopics.h"
#include "mainwindow.h"
#include "messageservice.h"
#include "printerservice.h"
#include "volumeservice.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vellumark"));
    QApplication::setApplicationVersion(QStringLiteral(VELLUMARK_VERSION));
    Vellumark::applyDesktopIdentity();

    PosixFileSystemService fileSystem;
    QtVolumeService volumes;
    QtMessageService messages;
    QtFileDialogService fileDialogs;
    QtPrinterService printer;
    const std::unique_ptr<HelpService> help = Vellumark::createHelpService();
    PlatformServices services;
    services.fileSystem = &fileSystem;
    services.volumes = &volumes;
    services.messages = &messages;
    services.fileDialogs = &fileDialogs;
    services.printer = &printer;
    services.help = help.get();

    MainWindow window(services);
    QObject::connect(&window, &MainWindow::programEnded, &app, &QApplication::quit, Qt::QueuedConnection);
    window.show();
    return QApplication::exec();
}
