#pragma once

// The custom dialog "IDD_DIALOG_CUSTOM": the status monitor's settings of a printer.

#include "core/model/DriverBlocks.h"
#include "ui/options/OptionDialog.h"

#include <filesystem>
#include <string>

namespace pellora::ui {

class CCustomDlg : public COptionDialog {
    Q_OBJECT
public:
    // programFolder: where the folder chooser begins when no folder is given.
    explicit CCustomDlg(std::filesystem::path programFolder, QWidget* parent = nullptr);
    CCustomDlg(const DialogTemplate& dialogTemplate, std::filesystem::path programFolder, QWidget* parent = nullptr);

    static DialogTemplate Template();

    const MonitorBlock& Block() const { return m_block; }
    void SetBlock(const MonitorBlock& block) { m_block = block; }
    // The folder of the troubleshooting information on the client.
    const std::string& Folder() const { return m_folder; }
    void SetFolder(std::string folder) { m_folder = std::move(folder); }

protected:
    void OnInitDialog() override;
    bool OnOK() override;
    void OnCancel() override;

private:
    void sizeMonitoringBox();
    void writeControls();
    // The check boxes into the block; the intervals too, range-checked, when asked.
    bool readControls(bool withIntervals);
    void applyEnablingRule();
    void removeOptionalBands();
    // Removes the band from the top of first to the top of second.
    void removeBand(int first, int second);
    void browseFolder();

    const std::filesystem::path m_programFolder;
    MonitorBlock m_block;
    std::string m_folder;
    bool m_bandsRemoved = false;
};

} // namespace pellora::ui
