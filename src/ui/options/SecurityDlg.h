#pragma once

// The security dialog "IDD_DIALOG_SECURITY": the secure-printing settings a client may not change, with a
// lock toggle beside each.

#include "core/model/DriverBlocks.h"
#include "ui/options/OptionDialog.h"

namespace pellora::ui {

class CSecurityDlg : public COptionDialog {
    Q_OBJECT
public:
    explicit CSecurityDlg(QWidget* parent = nullptr);

    static DialogTemplate Template();

    const SecurityBlock& Block() const { return m_block; }
    void SetBlock(const SecurityBlock& block) { m_block = block; }
    // The value "Lock" of the toggles as they stand.
    std::int32_t LockFromToggles() const;

protected:
    void OnInitDialog() override;
    bool OnOK() override;

private:
    void writeControls();
    void invertToggle(int id);
    void applyHeaderRule();
    void applyPatternRule();
    void runHeaderDialog();

    SecurityBlock m_block;
};

} // namespace pellora::ui
