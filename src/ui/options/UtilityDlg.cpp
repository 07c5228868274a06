#include "ui/options/UtilityDlg.h"

#include "core/discovery/OsTags.h"
#include "core/plugin/ApplicationList.h"
#include "ui/options/UtilityDlgIds.h"
#include "ui/shared/LayoutApply.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QListWidget>
#include <QResizeEvent>
#include <QTreeWidget>

#include <algorithm>

namespace pellora::ui {

using namespace utility;

namespace {

// Whether an entry of the chosen list was chosen before the dialog opened.
constexpr int kChosenBeforeRole = Qt::UserRole;
constexpr int kColumnWidths[kColumnCount] = {150, 60, 120, 220, 140};

QString toText(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

DialogTemplate CUtilityDlg::Template()
{
    using K = ControlKind;
    return {IDD_DIALOG_UTILITY,
            {600, 320},
            {
                {IDC_CHOSEN_LABEL, K::Static, {4, 4, 256, 18}},
                {IDC_CHOSEN_LIST, K::ListBox, {4, 26, 172, 264}},
                {IDC_ADD, K::PushButton, {180, 132, 76, 22}},
                {IDC_REMOVE, K::PushButton, {180, 193, 76, 22}},
                {IDC_APPLICATION_LIST, K::ListView, {260, 4, 336, 286}},
                {IDC_OK, K::DefaultButton, {416, 294, 88, 22}},
                {IDC_CANCEL, K::PushButton, {508, 294, 88, 22}},
            }};
}

CUtilityDlg::CUtilityDlg(std::filesystem::path programFolder, QWidget* parent)
    : COptionDialog(Template(), kSection, parent)
    , m_programFolder(std::move(programFolder))
{
    setSizeGripEnabled(true);
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    m_layout.SetRule(IDC_CHOSEN_LABEL, 4, 4, "30%+76", 18);
    m_layout.SetRule(IDC_CHOSEN_LIST, 4, 26, "30%-8", "100%-26-30");
    m_layout.SetRule(IDC_ADD, "30%", "100%-100/3+26", 76, 22);
    m_layout.SetRule(IDC_REMOVE, "30%", "100%-100/3*2+48", 76, 22);
    m_layout.SetRule(IDC_APPLICATION_LIST, "30%+80", 4, "70%-80-4", "100%-4-30");
    m_layout.SetRule(IDC_OK, "100%-184", "100%-26", 88, 22);
    m_layout.SetRule(IDC_CANCEL, "100%-92", "100%-26", 88, 22);

    QTreeWidget* list = ApplicationList();
    list->setColumnCount(kColumnCount);
    for (int column = 0; column < kColumnCount; ++column)
        list->setColumnWidth(column, kColumnWidths[column]);
    connect(list, &QTreeWidget::itemSelectionChanged, this, &CUtilityDlg::updateCommandStates);
    connect(list, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (auto* add = Item<QAbstractButton>(IDC_ADD))
            QMetaObject::invokeMethod(add, &QAbstractButton::click, Qt::QueuedConnection);
    });
    connect(ChosenList(), &QListWidget::itemSelectionChanged, this, &CUtilityDlg::updateCommandStates);
    OnCommand(IDC_ADD, [this] { addSelected(); });
    OnCommand(IDC_REMOVE, [this] { removeCurrent(); });
}

QTreeWidget* CUtilityDlg::ApplicationList() const
{
    return Item<QTreeWidget>(IDC_APPLICATION_LIST);
}

QListWidget* CUtilityDlg::ChosenList() const
{
    return Item<QListWidget>(IDC_CHOSEN_LIST);
}

void CUtilityDlg::SetChosen(std::vector<std::string> identifiers, std::vector<std::string> names)
{
    names.resize(identifiers.size());
    m_chosenIdentifiers = std::move(identifiers);
    m_chosenNames = std::move(names);
}

void CUtilityDlg::OnInitDialog()
{
    ApplyLayout(m_layout, this);
    fillApplications();
    fillChosenList();
    updateCommandStates();
}

void CUtilityDlg::fillApplications()
{
    QTreeWidget* list = ApplicationList();
    list->clear();
    const ApplicationListLibrary library(m_programFolder);
    for (const ApplicationEntry& entry : library.ListApplications(m_modelFilter, m_option)) {
        auto* row = new QTreeWidgetItem(list);
        row->setText(kNameColumn, toText(entry.name));
        row->setText(kVersionColumn, toText(entry.version));
        row->setText(kSystemsColumn, toText(FormatOsTags(entry.osMask, entry.platform)));
        row->setText(kIdentifierColumn, toText(entry.identifier));
        row->setText(kModelsColumn, toText(FormatModelList(entry.hasModelList, entry.models)));
    }
}

void CUtilityDlg::fillChosenList()
{
    QListWidget* chosen = ChosenList();
    chosen->clear();
    for (const std::string& name : m_chosenNames) {
        auto* entry = new QListWidgetItem(toText(name), chosen);
        entry->setData(kChosenBeforeRole, true);
    }
}

void CUtilityDlg::addSelected()
{
    QTreeWidget* list = ApplicationList();
    bool added = false;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = list->topLevelItem(i);
        if (!row->isSelected())
            continue;
        const QString identifier = row->text(kIdentifierColumn);
        const bool known = std::any_of(m_chosenIdentifiers.begin(), m_chosenIdentifiers.end(), [&](const std::string& chosen) {
            return identifier.compare(toText(chosen), Qt::CaseInsensitive) == 0;
        });
        if (known)
            continue;
        m_chosenIdentifiers.push_back(identifier.toStdString());
        m_chosenNames.push_back(row->text(kNameColumn).toStdString());
        auto* entry = new QListWidgetItem(row->text(kNameColumn), ChosenList());
        entry->setData(kChosenBeforeRole, false);
        added = true;
    }
    if (added)
        ChosenList()->setFocus(Qt::OtherFocusReason);
    updateCommandStates();
}

void CUtilityDlg::removeCurrent()
{
    // The entry the user picked: the list's current row may come from the focus alone.
    QListWidget* chosen = ChosenList();
    const QList<QListWidgetItem*> picked = chosen->selectedItems();
    if (picked.isEmpty())
        return;
    const int row = chosen->row(picked.front());
    const std::unique_ptr<QListWidgetItem> entry(chosen->takeItem(row));
    if (static_cast<std::size_t>(row) < m_chosenIdentifiers.size()) {
        m_chosenIdentifiers.erase(m_chosenIdentifiers.begin() + row);
        m_chosenNames.erase(m_chosenNames.begin() + row);
    }
    if (entry->data(kChosenBeforeRole).toBool())
        m_removed.push_back(entry->text().toStdString());
    updateCommandStates();
}

void CUtilityDlg::updateCommandStates()
{
    EnableControl(IDC_ADD, !ApplicationList()->selectedItems().isEmpty());
    EnableControl(IDC_REMOVE, !ChosenList()->selectedItems().isEmpty());
}

void CUtilityDlg::resizeEvent(QResizeEvent* event)
{
    COptionDialog::resizeEvent(event);
    ApplyLayout(m_layout, this, event->size().width(), event->size().height());
    update();
}

} // namespace pellora::ui
