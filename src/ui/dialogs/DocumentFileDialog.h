#pragma once

// The open and save-as dialogs of project documents, with the filters of scripts, packages and all files.

#include <QString>
#include <QStringList>
#include <QWidget>

#include <filesystem>

namespace pellora::ui {

// Object name of the dialogs, so that they can be told apart from other file dialogs.
inline constexpr char kDocumentDialogName[] = "DocumentFileDialog";

// Scripts (item 3 of "ETC", "*.qst"), then every file (item 7, "*.*").
QStringList DocumentOpenFilters();
// Scripts, then packages (item 6 of "ETC", "*.exe").
QStringList DocumentSaveFilters();

// Asks for one or several files to open, starting in folder. Empty when cancelled.
QStringList PromptOpenDocuments(QWidget* owner, const QString& folder = {});
// Asks for the file to save to, starting with initialPath; asks before replacing a file. A name
// without extension gets that of the filter chosen. Empty when cancelled.
QString PromptSaveDocument(QWidget* owner, const QString& initialPath);

// Whether a chosen file is opened as a project: a script of this program, or a package (".exe" in any case).
bool IsOpenableDocument(const std::filesystem::path& path);

} // namespace pellora::ui
