#pragma once

class FileSystemService;
class VolumeService;
class MessageService;
class FileDialogService;
class PrinterService;
class HelpService;
class DesktopService;

// The seams to the outside world that the windows use; main() binds the real ones, tests the doubles.
struct PlatformServices {
    FileSystemService* fileSystem = nullptr;
    VolumeService* volumes = nullptr;
    MessageService* messages = nullptr;
    FileDialogService* fileDialogs = nullptr;
    PrinterService* printer = nullptr;
    HelpService* help = nullptr;
    DesktopService* desktop = nullptr;
};
