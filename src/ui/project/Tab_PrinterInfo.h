#pragma once

// The printer information tab: name, address, model, test print, connection and install mode of the
// selected printers.

#include "ui/shared/Tab.h"

#include <string>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace pellora::ui {

class CTab_PrinterInfo : public CTab {
    Q_OBJECT

public:
    static constexpr std::size_t kMaxAddressBytes = 255;

    CTab_PrinterInfo(TabHost& host, QWidget* parent = nullptr);

protected:
    bool ReadControls() override;
    void WriteControls() override;
    void UpdateControls() override;
    void OnRetext() override;
    int FocusTarget(int controlId) const override;
    QString FullFieldHint(const QLineEdit* field) const override;
    QString RefusedKeyHint(const QLineEdit* field, const QString& keyText) const override;

private:
    struct Values {
        std::string printerName;
        std::string address;
        int modelIndex = -1;
        int testPrint = 0;
        int connection = -1;
        int instMode = -1;
    };

    void buildControls();
    void buildLayout();
    void fillModels();
    int findModel(const std::string& name) const;
    static void checkRadio(QButtonGroup* group, int id);

    void onNameEdited();
    void onAddressEdited();
    void onModelChosen();
    void onTestPrintClicked();
    void onConnectionClicked();
    void onInstModeClicked();

    Values m_values;

    QLabel* m_connectionLabel = nullptr;
    QRadioButton* m_network = nullptr;
    QRadioButton* m_usb = nullptr;
    QButtonGroup* m_connection = nullptr;
    QLabel* m_instModeLabel = nullptr;
    QRadioButton* m_instNew = nullptr;
    QRadioButton* m_instUpdate = nullptr;
    QButtonGroup* m_instMode = nullptr;
    QLabel* m_nameLabel = nullptr;
    QLineEdit* m_name = nullptr;
    QLabel* m_addressLabel = nullptr;
    QLineEdit* m_address = nullptr;
    QLabel* m_modelLabel = nullptr;
    QComboBox* m_model = nullptr;
    QCheckBox* m_testPrint = nullptr;
};

} // namespace pellora::ui
