#pragma once

#include <QString>
#include <memory>

class HelpService;
class QWidget;

namespace Vellumark {
// The help collection this program opens, found from the program's folder: the installed copy where
// `cmake --install` puts it beside the program, else the build tree's copy for the program built there.
[[nodiscard]] QString helpFilePath();
[[nodiscard]] QString helpFilePathFor(const QString& programDir);

// The keyword identifier under which the help collection holds its contents page.
[[nodiscard]] QString helpContentsId();

// The Qt Help service over helpFilePath(), for main() to bind into PlatformServices.
[[nodiscard]] std::unique_ptr<HelpService> createHelpService();
}

// Help > Help Topics: the help's contents page, in the help window that belongs to the main window.
void showHelpTopics(HelpService* help, QWidget* mainWindow);
