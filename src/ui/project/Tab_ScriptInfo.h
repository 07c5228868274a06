#pragma once

// The script information tab: the description and the log file of the project's install script.

#include "ui/shared/Tab.h"

#include <string>

class QLabel;
class QLineEdit;
class QToolButton;

namespace pellora::ui {

class CTab_ScriptInfo : public CTab {
    Q_OBJECT

public:
    static constexpr std::size_t kMaxDescriptionBytes = 255;
    static constexpr std::size_t kMaxLogFileBytes = 255;
    // The name the log-file dialog offers while no log file is set.
    static constexpr const char* kDefaultLogFileName = "log.txt";

    CTab_ScriptInfo(TabHost& host, QWidget* parent = nullptr);

protected:
    bool ReadControls() override;
    void WriteControls() override;
    void UpdateControls() override;

private:
    struct Values {
        std::string description;
        std::string logFile;
    };

    void buildControls();
    void buildLayout();
    // The edit protocol of this tab: it needs no selected printer, only the document.
    bool beginScriptEdit();
    void storeValues();

    void onDescriptionEdited();
    void onLogFileEdited();
    void onBrowseLogFile();

    Values m_values;

    QLabel* m_descriptionLabel = nullptr;
    QLineEdit* m_description = nullptr;
    QLabel* m_logFileLabel = nullptr;
    QLineEdit* m_logFile = nullptr;
    QToolButton* m_browseLogFile = nullptr;
};

} // namespace pellora::ui
