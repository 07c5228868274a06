#pragma once

// The toolbar and tab images of the main frame's commands, drawn by the program.

#include <QIcon>

namespace pellora::ui {

// The image of a command of the standard or the project toolbar; a null icon for other commands.
QIcon CommandIcon(int commandId);
// The image of the document tabs in the status bar.
QIcon DocumentTabIcon();

} // namespace pellora::ui
