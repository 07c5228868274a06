#pragma once

// The utility dialog "IDD_DIALOG_UTILITY": the utilities of the application-list plugin and the ones
// chosen for a printer.

#include "core/i18n/LayoutValue.h"
#include "ui/options/OptionDialog.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class QListWidget;
class QTreeWidget;

namespace pellora::ui {

class CUtilityDlg : public COptionDialog {
    Q_OBJECT
public:
    static constexpr int kMinimumWidth = 256;
    static constexpr int kMinimumHeight = 128;

    // programFolder holds the application-list plugin.
    explicit CUtilityDlg(std::filesystem::path programFolder, QWidget* parent = nullptr);

    static DialogTemplate Template();

    // The chosen applications: identifying texts and names, entry by entry.
    const std::vector<std::string>& ChosenIdentifiers() const { return m_chosenIdentifiers; }
    const std::vector<std::string>& ChosenNames() const { return m_chosenNames; }
    // The applications chosen before the dialog opens (their list entries are marked as such).
    void SetChosen(std::vector<std::string> identifiers, std::vector<std::string> names);
    // The names of entries chosen before the dialog opened and removed in it.
    const std::vector<std::string>& Removed() const { return m_removed; }
    // The models whose utilities are listed (every utility when empty), and the plugin's option bits.
    void SetModelFilter(std::vector<std::string> models) { m_modelFilter = std::move(models); }
    void SetOption(std::uint32_t option) { m_option = option; }

    QTreeWidget* ApplicationList() const;
    QListWidget* ChosenList() const;
    const LayoutTable& Layout() const { return m_layout; }

protected:
    void OnInitDialog() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fillApplications();
    void fillChosenList();
    void addSelected();
    void removeCurrent();
    void updateCommandStates();

    const std::filesystem::path m_programFolder;
    LayoutTable m_layout;
    std::vector<std::string> m_chosenIdentifiers;
    std::vector<std::string> m_chosenNames;
    std::vector<std::string> m_removed;
    std::vector<std::string> m_modelFilter;
    std::uint32_t m_option = 0;
};

} // namespace pellora::ui
