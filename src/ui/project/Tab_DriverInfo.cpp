#include "ui/project/Tab_DriverInfo.h"

#include "core/model/ViewMode.h"
#include "core/platform/Profile.h"
#include "core/util/Support.h"
#include "ui/dialogs/FileDialogs.h"
#include "ui/project/Tab_DriverInfoIds.h"
#include "ui/shared/DialogTexts.h"
#include "ui/shared/TabHost.h"

#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

namespace pellora::ui {

using namespace driverinfo;

namespace {

// The row height grows by this much over the classic dialog metrics.
constexpr int v = 4;
// Items of the string-table section "ETC" used by the browse dialogs.
constexpr int kEtcDriverFolderTitle = 106;
constexpr int kEtcBsfFileType = 112;

} // namespace

CTab_DriverInfo::CTab_DriverInfo(TabHost& host, QWidget* parent)
    : CTab(host, IDD_TAB_DRIVERINFO, "IDD_TAB_DRIVERINFO", parent)
{
    buildControls();
    buildLayout();
    SetTextLimit(m_folder, kMaxFolderBytes);
    SetTextLimit(m_bsfPath, kMaxBsfPathBytes);
    Initialise();
    SetMarksModified(true);
}

void CTab_DriverInfo::buildControls()
{
    const QIcon browseIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize);
    const auto makeBrowse = [&](int id) {
        auto* button = AddControl<QToolButton>(id);
        button->setIcon(browseIcon);
        button->setIconSize(QSize(iconSize, iconSize));
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        return button;
    };

    m_folderLabel = AddControl<QLabel>(IDC_DRIVER_FOLDER_LABEL);
    m_folder = AddControl<QLineEdit>(IDC_DRIVER_FOLDER);
    m_folderLabel->setBuddy(m_folder);
    m_browseFolder = makeBrowse(IDC_BROWSE_DRIVER_FOLDER);
    m_bsfLabel = AddControl<QLabel>(IDC_BSF_PATH_LABEL);
    m_bsfPath = AddControl<QLineEdit>(IDC_BSF_PATH);
    m_bsfLabel->setBuddy(m_bsfPath);
    m_browseBsf = makeBrowse(IDC_BROWSE_BSF);

    connect(m_folder, &QLineEdit::textEdited, this, &CTab_DriverInfo::onFolderEdited);
    connect(m_browseFolder, &QToolButton::clicked, this, &CTab_DriverInfo::onBrowseFolder);
    connect(m_bsfPath, &QLineEdit::textEdited, this, &CTab_DriverInfo::onBsfPathEdited);
    connect(m_browseBsf, &QToolButton::clicked, this, &CTab_DriverInfo::onBrowseBsf);
}

void CTab_DriverInfo::buildLayout()
{
    LayoutTable& rules = LayoutRules();
    rules.SetRule(IDC_DRIVER_FOLDER_LABEL, 12, 12, "50%", 18 + v);
    rules.SetRule(IDC_DRIVER_FOLDER, 12, 32 + v, "50%", 18 + v);
    rules.SetRule(IDC_BROWSE_DRIVER_FOLDER, "50%+16", 30 + v, 76, 22);
    rules.SetRule(IDC_BSF_PATH_LABEL, 12, 70, "50%", 18 + v);
    rules.SetRule(IDC_BSF_PATH, 12, 90 + v, "50%", 18 + v);
    rules.SetRule(IDC_BROWSE_BSF, "50%+16", 88 + v, 76, 22);
}

bool CTab_DriverInfo::FolderListsEqual(const Selection& selection)
{
    if (selection.empty())
        return false;
    const auto& first = selection.front()->driverFolders;
    return std::all_of(selection.begin() + 1, selection.end(), [&first](const CPrinterInfoEx* record) {
        const auto& folders = record->driverFolders;
        return folders.size() == first.size() &&
               std::equal(folders.begin(), folders.end(), first.begin(),
                          [](const std::string& a, const std::string& b) { return platform::EqualsNoCase(a, b); });
    });
}

void CTab_DriverInfo::SetFirstFolder(CPrinterInfoEx& record, const std::string& folder)
{
    auto& folders = record.driverFolders;
    // The entry is replaced where it stands: folders behind it keep their places, so that a text typed
    // key by key never pushes the other folders out of the list.
    if (folder.empty()) {
        if (!folders.empty())
            folders.erase(folders.begin());
    } else if (folders.empty()) {
        folders.push_back(folder);
    } else {
        folders.front() = folder;
    }
}

QStringList CTab_DriverInfo::BsfFilters()
{
    return {ItemText("ETC", kEtcBsfFileType) + QStringLiteral(" (*.BSF)"), AllFilesFilter()};
}

bool CTab_DriverInfo::ReadControls()
{
    const bool folderFits = ReadText(m_folder, m_values.folder);
    const bool bsfFits = ReadText(m_bsfPath, m_values.bsfPath);
    return folderFits && bsfFits;
}

void CTab_DriverInfo::WriteControls()
{
    ShowText(m_folder, m_values.folder);
    ShowText(m_bsfPath, m_values.bsfPath);
}

void CTab_DriverInfo::UpdateControls()
{
    Selection selection;
    CurrentSelection(selection);
    const std::size_t count = selection.size();

    const bool foldersEqual = FolderListsEqual(selection);
    m_values.folder.clear();
    if (foldersEqual && !selection.front()->driverFolders.empty())
        m_values.folder = selection.front()->driverFolders.front();
    m_values.bsfPath = CommonText(selection, [](const CPrinterInfoEx& r) { return r.bsfPath; });
    WriteControls();

    const bool on = !IsViewMode();
    m_folderLabel->setEnabled(on && count > 0);
    m_folder->setEnabled(on && foldersEqual);
    m_browseFolder->setEnabled(on && foldersEqual);
    m_bsfLabel->setEnabled(on && count > 0);
    m_bsfPath->setEnabled(on && count == 1);
    m_browseBsf->setEnabled(on && count == 1);
}

void CTab_DriverInfo::onFolderEdited()
{
    if (!BeginEdit())
        return;
    const std::string folder = m_values.folder;
    ApplyToSelection([&folder](CPrinterInfoEx& record) { SetFirstFolder(record, folder); });
    WriteControls();
    EndEdit();
}

void CTab_DriverInfo::onBrowseFolder()
{
    if (!EditAllowed())
        return;
    const QString folder = ChooseFolder(this, ItemText("ETC", kEtcDriverFolderTitle),
                                        QString::fromStdString(Host().ProgramFolder().string()));
    if (folder.isEmpty())
        return;
    m_folder->setText(folder);
    onFolderEdited();
}

void CTab_DriverInfo::onBsfPathEdited()
{
    if (!BeginEdit())
        return;
    const std::string path = m_values.bsfPath;
    ApplyToSelection([&path](CPrinterInfoEx& record) { record.bsfPath = path; });
    WriteControls();
    EndEdit();
}

void CTab_DriverInfo::onBrowseBsf()
{
    if (!EditAllowed())
        return;
    const QString path = ChooseOpenFile(this, m_browseBsf->text(), m_bsfPath->text(), BsfFilters(), true);
    if (path.isEmpty())
        return;
    m_bsfPath->setText(path);
    onBsfPathEdited();
}

} // namespace pellora::ui
