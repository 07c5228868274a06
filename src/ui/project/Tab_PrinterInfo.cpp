#include "ui/project/Tab_PrinterInfo.h"

#include "core/discovery/ModelList.h"
#include "core/document/Corvan2Doc.h"
#include "core/model/ViewMode.h"
#include "core/platform/Profile.h"
#include "ui/project/Tab_PrinterInfoIds.h"
#include "ui/shared/DialogTexts.h"
#include "ui/shared/TabHost.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <algorithm>

namespace pellora::ui {

using namespace printerinfo;

namespace {

// Height of a row of controls.
constexpr int kRowHeight = 22;

bool IsPlaceholderAddress(const std::string& address)
{
    return address == kPlaceholderAddressNone || address == kPlaceholderAddressManual;
}

} // namespace

CTab_PrinterInfo::CTab_PrinterInfo(TabHost& host, QWidget* parent)
    : CTab(host, IDD_TAB_PRINTERINFO, "IDD_TAB_PRINTERINFO", parent)
{
    buildControls();
    buildLayout();
    SetTextLimit(m_name, kMaxPrinterNameBytes);
    SetTextLimit(m_address, kMaxAddressBytes);
    Initialise();
    if (m_model->count() > 0)
        m_model->setCurrentIndex(0);
    // Edits always mark the document modified, also when the model list could not be read: an edit
    // that does not is lost when the project is closed without a question.
    SetMarksModified(true);
}

void CTab_PrinterInfo::buildControls()
{
    m_connectionLabel = AddControl<QLabel>(IDC_CONNECTION_LABEL);
    m_network = AddControl<QRadioButton>(IDC_CONNECTION_NETWORK);
    m_usb = AddControl<QRadioButton>(IDC_CONNECTION_USB);
    m_connection = new QButtonGroup(this);
    m_connection->addButton(m_network, 0);
    m_connection->addButton(m_usb, 1);

    m_nameLabel = AddControl<QLabel>(IDC_PRINTER_NAME_LABEL);
    m_name = AddControl<QLineEdit>(IDC_PRINTER_NAME);
    m_nameLabel->setBuddy(m_name);
    m_addressLabel = AddControl<QLabel>(IDC_ADDRESS_LABEL);
    m_address = AddControl<QLineEdit>(IDC_ADDRESS);
    m_addressLabel->setBuddy(m_address);
    m_modelLabel = AddControl<QLabel>(IDC_MODEL_LABEL);
    m_model = AddControl<QComboBox>(IDC_MODEL);
    m_modelLabel->setBuddy(m_model);
    m_testPrint = AddControl<QCheckBox>(IDC_TEST_PRINT);

    m_instModeLabel = AddControl<QLabel>(IDC_INSTMODE_LABEL);
    m_instNew = AddControl<QRadioButton>(IDC_INSTMODE_NEW);
    m_instUpdate = AddControl<QRadioButton>(IDC_INSTMODE_UPDATE);
    m_instMode = new QButtonGroup(this);
    m_instMode->addButton(m_instNew, 0);
    m_instMode->addButton(m_instUpdate, 1);

    // Tab order follows the rows from top to bottom.
    setTabOrder(m_network, m_usb);
    setTabOrder(m_usb, m_name);
    setTabOrder(m_name, m_testPrint);
    setTabOrder(m_testPrint, m_address);
    setTabOrder(m_address, m_model);
    setTabOrder(m_model, m_instNew);
    setTabOrder(m_instNew, m_instUpdate);

    connect(m_name, &QLineEdit::textEdited, this, &CTab_PrinterInfo::onNameEdited);
    connect(m_address, &QLineEdit::textEdited, this, &CTab_PrinterInfo::onAddressEdited);
    connect(m_model, &QComboBox::activated, this, &CTab_PrinterInfo::onModelChosen);
    connect(m_testPrint, &QCheckBox::clicked, this, &CTab_PrinterInfo::onTestPrintClicked);
    connect(m_connection, &QButtonGroup::idClicked, this, &CTab_PrinterInfo::onConnectionClicked);
    connect(m_instMode, &QButtonGroup::idClicked, this, &CTab_PrinterInfo::onInstModeClicked);
}

void CTab_PrinterInfo::buildLayout()
{
    constexpr int v = kRowHeight;
    LayoutTable& rules = LayoutRules();
    // Labels, the second radio buttons and the test-print box reach as far as the page lets them, so
    // that longer translations have room; the test-print box keeps 12 pixels from the name field at
    // every width.
    rules.SetRule(IDC_CONNECTION_LABEL, 12, 12, "35%-12", v);
    rules.SetRule(IDC_CONNECTION_NETWORK, "35%", 12, 120, v);
    rules.SetRule(IDC_CONNECTION_USB, "35%+128", 12, "65%-140", v);
    rules.SetRule(IDC_INSTMODE_LABEL, 12, 116, "35%-12", v);
    rules.SetRule(IDC_INSTMODE_NEW, "35%", 116, 120, v);
    rules.SetRule(IDC_INSTMODE_UPDATE, "35%+128", 116, "65%-140", v);
    rules.SetRule(IDC_PRINTER_NAME_LABEL, 12, 38, "35%-12", v);
    rules.SetRule(IDC_PRINTER_NAME, "35%", 38, "35%-12", v);
    rules.SetRule(IDC_ADDRESS_LABEL, 12, 64, "35%-12", v);
    rules.SetRule(IDC_ADDRESS, "35%", 64, "35%-12", v);
    rules.SetRule(IDC_MODEL_LABEL, 12, 90, "35%-12", v);
    rules.SetRule(IDC_MODEL, "35%", 90, "35%-12", v);
    rules.SetRule(IDC_TEST_PRINT, "70%", 38, "30%-12", v);
}

void CTab_PrinterInfo::fillModels()
{
    const std::vector<std::string> names = ModelList::InFolder(Host().ProgramFolder()).GroupNames();
    QStringList items;
    for (const auto& name : names)
        items << QString::fromStdString(name);
    QStringList current;
    for (int i = 0; i < m_model->count(); ++i)
        current << m_model->itemText(i);
    if (current == items)
        return;
    const QSignalBlocker blocker(m_model);
    m_model->clear();
    m_model->addItems(items);
    m_model->setCurrentIndex(m_values.modelIndex < m_model->count() ? m_values.modelIndex : -1);
}

int CTab_PrinterInfo::findModel(const std::string& name) const
{
    if (name.empty())
        return -1;
    for (int i = 0; i < m_model->count(); ++i) {
        if (platform::EqualsNoCase(m_model->itemText(i).toStdString(), name))
            return i;
    }
    return -1;
}

void CTab_PrinterInfo::OnRetext()
{
    // The dialog texts leave the model box empty: its items come from the model list.
    fillModels();
}

int CTab_PrinterInfo::FocusTarget(int controlId) const
{
    return controlId == IDC_MODEL_NAME_EDIT ? IDC_MODEL : controlId;
}

QString CTab_PrinterInfo::FullFieldHint(const QLineEdit* field) const
{
    return field == m_name ? ItemText(Section(), kHintNameFull) : QString();
}

QString CTab_PrinterInfo::RefusedKeyHint(const QLineEdit* field, const QString& keyText) const
{
    const std::string typed = keyText.toStdString();
    if (field != m_name || WithoutForbiddenCharacters(typed) == typed)
        return {};
    return ItemText(Section(), kHintNameCharacters);
}

bool CTab_PrinterInfo::ReadControls()
{
    const bool nameFits = ReadText(m_name, m_values.printerName);
    const bool addressFits = ReadText(m_address, m_values.address);
    m_values.modelIndex = m_model->currentIndex();
    const Qt::CheckState state = m_testPrint->checkState();
    m_values.testPrint = state == Qt::PartiallyChecked ? 2 : state == Qt::Checked ? 1 : 0;
    m_values.connection = m_connection->checkedId();
    m_values.instMode = m_instMode->checkedId();
    return nameFits && addressFits;
}

void CTab_PrinterInfo::checkRadio(QButtonGroup* group, int id)
{
    if (group->checkedId() == id)
        return;
    // An exclusive group cannot show "none checked", which a mixed selection needs.
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons()) {
        const QSignalBlocker blocker(button);
        button->setChecked(group->id(button) == id);
    }
    group->setExclusive(true);
}

void CTab_PrinterInfo::WriteControls()
{
    ShowText(m_name, m_values.printerName);
    ShowText(m_address, m_values.address);
    ShowComboIndex(m_model, m_values.modelIndex);
    ShowCheckState(m_testPrint, m_values.testPrint);
    checkRadio(m_connection, m_values.connection);
    checkRadio(m_instMode, m_values.instMode);
}

void CTab_PrinterInfo::UpdateControls()
{
    Selection selection;
    CurrentSelection(selection);
    const std::size_t count = selection.size();

    m_values.printerName = CommonText(selection, [](const CPrinterInfoEx& r) { return r.printerName; });
    m_values.address = CommonText(selection, [](const CPrinterInfoEx& r) { return r.address; });
    if (IsPlaceholderAddress(m_values.address))
        m_values.address.clear();
    m_values.testPrint = CommonCheckState(selection, [](const CPrinterInfoEx& r) { return r.testPrint; });
    m_values.connection = CommonInteger(selection, [](const CPrinterInfoEx& r) { return r.connection; });
    m_values.instMode = CommonInteger(selection, [](const CPrinterInfoEx& r) { return r.instModeOff; });

    // One shared model name shows its entry and gives the records its position; differing names show
    // no entry and leave the records alone.
    m_values.modelIndex = -1;
    const std::string model = CommonText(selection, [](const CPrinterInfoEx& r) { return r.modelName; });
    if (const int index = findModel(model); index >= 0) {
        m_values.modelIndex = index;
        for (CPrinterInfoEx* record : selection)
            record->modelIndex = index;
    }
    WriteControls();

    const bool anyMac = std::any_of(selection.begin(), selection.end(),
                                    [](const CPrinterInfoEx* r) { return !r->macAddress.empty(); });
    const bool anyShared = std::any_of(selection.begin(), selection.end(),
                                       [](const CPrinterInfoEx* r) { return r->sharedPrinter != 0; });
    bool nameEnabled = false;
    bool addressEnabled = false;
    if (m_values.connection == 0) {
        nameEnabled = true;
        addressEnabled = !anyMac;
    } else if (m_values.connection == 1) {
        nameEnabled = m_values.instMode == 1;
    }
    const bool single = count == 1;
    const bool modelEnabled = count > 0 && !anyMac && !anyShared;
    const bool testPrintEnabled = count > 0 && m_values.connection != 1;

    const bool on = !IsViewMode();
    ShowReadOnly(m_name, !IsEditable(count, false));
    ShowReadOnly(m_address, !IsEditable(count, false));
    m_nameLabel->setEnabled(on && nameEnabled);
    m_name->setEnabled(on && nameEnabled);
    m_addressLabel->setEnabled(on && addressEnabled);
    m_address->setEnabled(on && addressEnabled);
    m_modelLabel->setEnabled(on && modelEnabled);
    m_model->setEnabled(on && modelEnabled);
    m_testPrint->setEnabled(on && testPrintEnabled);
    for (QWidget* control : {static_cast<QWidget*>(m_connectionLabel), static_cast<QWidget*>(m_network),
                             static_cast<QWidget*>(m_usb), static_cast<QWidget*>(m_instModeLabel),
                             static_cast<QWidget*>(m_instNew), static_cast<QWidget*>(m_instUpdate)})
        control->setEnabled(on && single);
}

void CTab_PrinterInfo::onNameEdited()
{
    if (!BeginEdit())
        return;
    const std::string cleaned = WithoutForbiddenCharacters(m_values.printerName);
    // Typed characters are refused before they arrive (RefusedKeyHint); pasted ones are removed here.
    if (cleaned != m_values.printerName)
        ShowFieldHint(m_name, ItemText(Section(), kHintNameCharacters));
    m_values.printerName = cleaned;
    ApplyToSelection([&cleaned](CPrinterInfoEx& record) { record.SetPrinterName(cleaned); });
    WriteControls();
    EndEdit();
}

void CTab_PrinterInfo::onAddressEdited()
{
    if (!BeginEdit())
        return;
    const std::string address = m_values.address;
    ApplyToSelection([&address](CPrinterInfoEx& record) {
        // Through the network setter, so that the derived network address follows the new address.
        const std::string mask = record.subnetMask;
        const std::string mac = record.macAddress;
        const std::string extra = record.addressExtra;
        record.SetNetwork(record.addressKind, address, mask, mac, extra);
    });
    WriteControls();
    EndEdit();
}

void CTab_PrinterInfo::onModelChosen()
{
    if (!BeginEdit())
        return;
    const int index = m_values.modelIndex;
    const std::string name = index >= 0 ? m_model->itemText(index).toStdString() : std::string();
    ApplyToSelection([index, &name](CPrinterInfoEx& record) {
        record.modelIndex = index;
        if (!name.empty())
            record.modelName = name;
    });
    WriteControls();
    EndEdit();
}

void CTab_PrinterInfo::onTestPrintClicked()
{
    if (!BeginEdit())
        return;
    const int state = m_values.testPrint;
    ApplyToSelection([state](CPrinterInfoEx& record) { record.testPrint = state; });
    WriteControls();
    EndEdit();
}

void CTab_PrinterInfo::onConnectionClicked()
{
    if (!BeginEdit())
        return;
    const int connection = m_values.connection;
    ApplyToSelection([connection](CPrinterInfoEx& record) { record.SetConnection(connection); });
    WriteControls();
    EndEdit();
}

void CTab_PrinterInfo::onInstModeClicked()
{
    if (!BeginEdit())
        return;
    const int mode = m_values.instMode;
    ApplyToSelection([mode](CPrinterInfoEx& record) { record.instModeOff = mode; });
    WriteControls();
    EndEdit();
}

} // namespace pellora::ui
