#pragma once

// The driver information tab: the driver folder and the driver extension settings file of the selected
// printers, each with its browse dialog.

#include "ui/shared/Tab.h"

#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QToolButton;

namespace pellora::ui {

class CTab_DriverInfo : public CTab {
    Q_OBJECT

public:
    static constexpr std::size_t kMaxFolderBytes = 255;
    static constexpr std::size_t kMaxBsfPathBytes = 255;

    CTab_DriverInfo(TabHost& host, QWidget* parent = nullptr);

    // Whether every record lists the same driver folders (same count, entries equal without regard to case).
    static bool FolderListsEqual(const Selection& selection);
    // The first driver folder becomes folder; an empty folder removes the first entry.
    static void SetFirstFolder(CPrinterInfoEx& record, const std::string& folder);
    // The filters of the settings-file dialog.
    static QStringList BsfFilters();

protected:
    bool ReadControls() override;
    void WriteControls() override;
    void UpdateControls() override;

private:
    struct Values {
        std::string folder;
        std::string bsfPath;
    };

    void buildControls();
    void buildLayout();

    void onFolderEdited();
    void onBrowseFolder();
    void onBsfPathEdited();
    void onBrowseBsf();

    Values m_values;

    QLabel* m_folderLabel = nullptr;
    QLineEdit* m_folder = nullptr;
    QToolButton* m_browseFolder = nullptr;
    QLabel* m_bsfLabel = nullptr;
    QLineEdit* m_bsfPath = nullptr;
    QToolButton* m_browseBsf = nullptr;
};

} // namespace pellora::ui
