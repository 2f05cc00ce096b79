#include "filedialogservice.h"
#include "filesystemservice.h"
#include "mainwindow.h"
#include "messageservice.h"
#include "volumeservice.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vellumark"));
    QApplication::setApplicationVersion(QStringLiteral(VELLUMARK_VERSION));

    PosixFileSystemService fileSystem;
    QtVolumeService volumes;
    QtMessageService messages;
    QtFileDialogService fileDialogs;
    PlatformServices services;
    services.fileSystem = &fileSystem;
    services.volumes = &volumes;
    services.messages = &messages;
    services.fileDialogs = &fileDialogs;

    MainWindow window(services);
    QObject::connect(&window, &MainWindow::programEnded, &app, &QApplication::quit, Qt::QueuedConnection);
    window.show();
    return QApplication::exec();
}
