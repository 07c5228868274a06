#pragma once

// The file and folder dialogs of the windows: the folder chooser that remembers its last choice, and
// the open-file dialog. Both are Qt's own dialogs, never the desktop's, so that they look the same
// everywhere and tests can drive them.

#include <QString>
#include <QStringList>
#include <QWidget>

namespace pellora::ui {

// Opens on initialFolder when given, else on the folder chosen last time, else on the program folder.
// Returns the chosen folder, or an empty string when the user cancels; either result becomes the folder
// remembered for next time.
QString ChooseFolder(QWidget* owner, const QString& title, const QString& programFolder,
                     const QString& initialFolder = {});
// The folder the next chooser without an initial folder opens on (empty: the program folder).
QString RememberedFolder();
void SetRememberedFolder(const QString& folder);

// An open-file dialog. initialFile names the file to start with: its last path component (after "/" or
// "\") fills the name field, and its folder, when it exists, is the one shown. With existingFile only an
// existing file is accepted, otherwise any name in an existing folder. Empty when cancelled.
QString ChooseOpenFile(QWidget* owner, const QString& title, const QString& initialFile,
                       const QStringList& filters, bool existingFile);
// The filter for every file, named with item 7 of the string-table section "ETC".
QString AllFilesFilter();

} // namespace pellora::ui
