#pragma once

// The header dialog "IDD_DIALOG_HEADER": what secure printing puts at six places of the page.

#include "ui/options/OptionDialog.h"

#include <array>
#include <cstdint>

namespace pellora::ui {

class CHeaderDlg : public COptionDialog {
    Q_OBJECT
public:
    // The selection of each position: header left, centre, right, footer left, centre, right; -1 for none.
    using Positions = std::array<std::int32_t, 6>;

    explicit CHeaderDlg(QWidget* parent = nullptr);

    static DialogTemplate Template();

    const Positions& Values() const { return m_values; }
    void SetValues(const Positions& values) { m_values = values; }

protected:
    void OnInitDialog() override;
    bool OnOK() override;

private:
    Positions m_values {-1, -1, -1, -1, -1, -1};
};

} // namespace pellora::ui
