#pragma once

// The save dialog of the project view's "save project as" and "create package" commands: one file
// type, an existing folder required, and a question before a file is replaced.

#include <QFileDialog>
#include <QString>

namespace pellora::ui {

class ProjectSaveDialog : public QFileDialog {
    Q_OBJECT

public:
    // Object name of the dialog, so that it can be told apart from other file dialogs.
    static constexpr char kObjectName[] = "ProjectSaveDialog";

    // title: the caption; typeName and extension (".qst") make the one filter "typeName (*.qst)";
    // defaultName fills the name field; folder, when it exists, is the one shown.
    ProjectSaveDialog(QWidget* owner, const QString& title, const QString& typeName, const QString& extension,
                      const QString& defaultName, const QString& folder);

    // The chosen path, or empty when the user cancelled.
    QString Prompt();
    // Puts fields (which the dialog then owns) below the file type, across the dialog.
    void AddFields(QWidget* fields);

    // The question before replacing a file and the notice for a missing folder, with the path in place of %1.
    static QString ReplaceQuestion(const QString& path);
    static QString MissingFolderNotice(const QString& folder);

public slots:
    void accept() override;
};

} // namespace pellora::ui
