#pragma once

// The window of pellora-strings: the sections and items of a string-table source, the texts of the item
// chosen, and the commands that have the running preview show, re-text and flash them.

#include "tools/strings/PreviewConnection.h"
#include "tools/strings/StringSource.h"

#include <QMainWindow>

class QAction;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace pellora::strings {

class StringsWindow : public QMainWindow {
    Q_OBJECT
public:
    // program: the "pellora" the preview starts.
    explicit StringsWindow(QString program, QWidget* parent = nullptr);

    bool OpenSource(const QString& file);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildActions();
    void fillTree();
    void showItemTexts();
    void showSelectedText();
    // The record of the item and text chosen; false when nothing is chosen.
    bool chosenRecord(StringServiceRecord& record) const;
    void showInPreview();
    void applyText();
    void switchLanguage(int row);
    void save();
    void updateStates();
    void report(quint32 command, StringServiceClient::Answer answer);

    const QString m_program;
    StringSource m_source;
    PreviewConnection m_preview;
    QTreeWidget* m_tree;
    QListWidget* m_texts;
    QLineEdit* m_text;
    QPushButton* m_show;
    QPushButton* m_apply;
    QComboBox* m_language;
    QAction* m_save = nullptr;
    QAction* m_start = nullptr;
    QAction* m_attach = nullptr;
    QAction* m_close = nullptr;
    // A text applied to the preview is shown there next.
    bool m_showAfterApply = false;
};

} // namespace pellora::strings
