#pragma once

// The Roviv dialog "IDD_DIALOG_HYDRO": the port settings of a network printer with authenticated printing.

#include "core/model/DriverBlocks.h"
#include "ui/options/OptionDialog.h"

#include <cstdint>

namespace pellora::ui {

class CRovivDlg : public COptionDialog {
    Q_OBJECT
public:
    // showItem: the machine setting "ShowItem"; its bit 3 shows the authenticated-printing part.
    explicit CRovivDlg(std::uint32_t showItem, QWidget* parent = nullptr);

    // "ShowItem" of the machine settings, 0 when it is not set.
    static std::uint32_t MachineShowItem();

    static DialogTemplate Template();
    // Bit 3 of "ShowItem".
    static constexpr std::uint32_t kShowPortSettings = 0x8;

    bool ShowsPortSettings() const { return (m_showItem & kShowPortSettings) != 0; }
    // Whether the auto-following port box takes input.
    void SetAutoPortEnabled(bool enabled) { m_autoPortEnabled = enabled; }

    std::int32_t AutoPort() const { return m_autoPort; }
    std::int32_t UseHydro() const { return m_useHydro; }
    const PortBlock& Block() const { return m_block; }
    void SetValues(std::int32_t autoPort, std::int32_t useHydro, const PortBlock& block);

protected:
    void OnInitDialog() override;
    bool OnOK() override;

private:
    void limitFields();
    // Hides the authenticated-printing part and closes the gap it leaves.
    void hidePortSettings();
    void writeControls();
    // The name and, range-checked, the two numbers.
    bool readControls();
    void applyEnablingRule();

    const std::uint32_t m_showItem;
    bool m_autoPortEnabled = true;
    bool m_partSettled = false;
    std::int32_t m_autoPort = 0;
    std::int32_t m_useHydro = 0;
    PortBlock m_block;
};

} // namespace pellora::ui
